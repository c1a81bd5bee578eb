#include "merrow/Platform/3dsmax/HObject.h"

#include "orlo/Utils/UCrc32.h"

namespace merrow::platform_3dsmax {

HObject::~HObject() = default;

HObject HObject::FromNode(INode* node) {
    return HObject(reinterpret_cast<uintptr_t>(node), KIND_NODE);
}

HObject HObject::FromMaterial(Mtl* material) {
    return HObject(reinterpret_cast<uintptr_t>(material), KIND_MATERIAL);
}

HObject HObject::FromIndex(uint32_t index) {
    return HObject(uintptr_t(index), KIND_INDEX);
}

uint32_t HObject::Hash(uintptr_t value) {
    // The 32-bit host hashes the pointer's own four bytes; spelled out byte by
    // byte so that a 64-bit build and a big-endian one agree with it.
    const unsigned char bytes[4] = {
        (unsigned char)(value & 0xFFu),
        (unsigned char)((value >> 8) & 0xFFu),
        (unsigned char)((value >> 16) & 0xFFu),
        (unsigned char)((value >> 24) & 0xFFu),
    };
    return orlo::UCrc32::Compute(bytes, sizeof(bytes));
}

bool HObject::IsValid() const {
    if (m_kind == KIND_INDEX)
        return uint32_t(m_pointer) != 0xFFFFFFFFu;
    return m_pointer != 0;
}

} // namespace merrow::platform_3dsmax
