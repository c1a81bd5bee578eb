#pragma once

#include <cstdint>
#include <type_traits>

#include "orlo/Utils/UArray.h"
#include "orlo/Utils/UBaseString.h"

namespace orlo {

// The one hash function of the library: each byte XORed in at a shift of
// 0, 8, 16 or 24 bits, by its position. A string without storage hashes to 0.
uint32_t HashKey(const UBaseString<unsigned char>& key);

// A hash table with string keys. Nodes stay in insertion order in one array
// (a node's index never changes); buckets chain node indices, and the number
// of buckets doubles whenever it falls below the number of nodes.
//
//     UTable<UString, Header> directory(64);
//     directory.Add(name, header);
//     if (Header* found = directory.Find(name)) ...
//
// The key type is a parameter only to keep the table's familiar spelling: it
// must be UBaseString<unsigned char>, the one type HashKey hashes.
template <class K, class V>
requires std::is_same_v<K, UBaseString<unsigned char>>
class UTable {
public:
    struct Node {
        K key;
        V value;
        int32_t next; // next node in the bucket's chain, -1 at its end
    };

    // The bucket count is rounded up to a power of two; no bucket array exists
    // before the first insertion.
    explicit UTable(int32_t bucketCount = 64) {
        m_hashSize = 1;
        while (m_hashSize < bucketCount)
            m_hashSize *= 2;
    }
    UTable(const UTable&) = delete;
    UTable& operator=(const UTable&) = delete;
    ~UTable() {
        if (m_buckets != nullptr)
            Free(m_buckets, LOCATION_DELETE_ARRAY);
    }

    // False, and nothing changes, when the key is already present.
    bool Add(const K& key, const V& value) {
        if (Find(key) != nullptr)
            return false;
        if (m_buckets == nullptr)
            Rebuild(m_hashSize);
        int32_t index = m_nodes.Add(Node{key, value, -1});
        int32_t& bucket = m_buckets[HashKey(key) & uint32_t(m_hashSize - 1)];
        m_nodes[index].next = bucket;
        bucket = index;
        if (m_hashSize < m_nodes.Num())
            Rebuild(m_hashSize * 2);
        return true;
    }

    // The value stored for `key`, or none. A key without storage matches nothing.
    V* Find(const K& key) {
        if (m_nodes.Num() == 0 || key.Num() == 0)
            return nullptr;
        for (int32_t i = m_buckets[HashKey(key) & uint32_t(m_hashSize - 1)]; i != -1; i = m_nodes[i].next) {
            Node& node = m_nodes[i];
            if (node.key.Num() != 0 && strcmp(node.key.c_str(), key.c_str()) == 0)
                return &node.value;
        }
        return nullptr;
    }
    const V* Find(const K& key) const { return const_cast<UTable*>(this)->Find(key); }
    bool Contains(const K& key) const { return Find(key) != nullptr; }

    // The nodes in insertion order.
    const UArray<Node>& GetNodes() const { return m_nodes; }
    int32_t Num() const { return m_nodes.Num(); }
    int32_t GetHashSize() const { return m_hashSize; }

private:
    // A fresh bucket array of `hashSize` entries, every node pushed at the head
    // of its chain from index 0 up, so that a chain lists later nodes first.
    // The table changes only once the new array exists.
    void Rebuild(int32_t hashSize) {
        auto* buckets =
            static_cast<int32_t*>(AllocateOrRaise(uint64_t(hashSize) * sizeof(int32_t), LOCATION_NEW_ARRAY));
        for (int32_t i = 0; i < hashSize; ++i)
            buckets[i] = -1;
        for (int32_t i = 0; i < m_nodes.Num(); ++i) {
            int32_t& bucket = buckets[HashKey(m_nodes[i].key) & uint32_t(hashSize - 1)];
            m_nodes[i].next = bucket;
            bucket = i;
        }
        if (m_buckets != nullptr)
            Free(m_buckets, LOCATION_DELETE_ARRAY);
        m_buckets = buckets;
        m_hashSize = hashSize;
    }

    UArray<Node> m_nodes;
    int32_t* m_buckets = nullptr;
    int32_t m_hashSize;
};

} // namespace orlo
