#pragma once

#include <cstdint>

class INode;
class Mtl;

namespace merrow::platform_3dsmax {

// A copyable handle to a host object: a node, a material or an index item.
//
//     HObject node = HObject::FromNode(inode);   // kind 1
//     if (node.IsValid()) use(node.GetNode());
//
// The host pointer is held pointer-sized. The hash is the CRC-32 of the
// pointer's (or index's) low four bytes, least significant first, so that it
// is the same number the 32-bit host build computes. It is part of the value
// but comparisons do not use it.
class HObject {
public:
    enum Kind : int32_t {
        KIND_EMPTY = 0,
        KIND_NODE = 1,
        KIND_MATERIAL = 2,
        KIND_INDEX = 3,
    };

    // Superclass id, then the two halves of the class id.
    struct CompleteClassID {
        uint32_t superClassID;
        uint32_t classIDA;
        uint32_t classIDB;
    };

    // The empty handle: every field 0.
    HObject() : m_pointer(0), m_kind(KIND_EMPTY), m_hash(0) {}
    HObject(uintptr_t pointer, int32_t kind) : m_pointer(pointer), m_kind(kind), m_hash(Hash(pointer)) {}
    virtual ~HObject();

    static HObject FromNode(INode* node);
    static HObject FromMaterial(Mtl* material);
    static HObject FromIndex(uint32_t index);

    // CRC-32 of the value's four low bytes, least significant byte first.
    static uint32_t Hash(uintptr_t value);

    uintptr_t GetPointer() const { return m_pointer; }
    int32_t GetKind() const { return m_kind; }
    uint32_t GetHash() const { return m_hash; }

    // The node of a node handle; none for any other kind.
    INode* GetNode() const { return m_kind == KIND_NODE ? reinterpret_cast<INode*>(m_pointer) : nullptr; }
    // The material of a material handle; none for any other kind.
    Mtl* GetMaterial() const { return m_kind == KIND_MATERIAL ? reinterpret_cast<Mtl*>(m_pointer) : nullptr; }
    uint32_t GetIndex() const { return uint32_t(m_pointer); }

    // An index other than 0xFFFFFFFF for index items, a pointer otherwise.
    bool IsValid() const;

    // Equal kinds and the same node (the collection compares node handles only).
    // Materials carry no node, so any two material handles are equal here:
    // compare materials by their pointers, never with this.
    bool operator==(const HObject& other) const { return m_kind == other.m_kind && GetNode() == other.GetNode(); }

private:
    uintptr_t m_pointer;
    int32_t m_kind;
    uint32_t m_hash;
};

} // namespace merrow::platform_3dsmax
