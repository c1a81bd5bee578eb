#include "merrow/Platform/3dsmax/Kits/HMaterialKit.h"

#include <charconv>

#include "max.h"

#include "imtl.h"
#include "orlo/ErrorDescription.h"
#include "orlo/Utils/UTable.h"

namespace merrow::platform_3dsmax {

using UString = orlo::UBaseString<unsigned char>;

HStatus HMaterialKit::SetName(const UString& name) {
    HStatus status;
    Mtl* material = m_object.GetMaterial();
    if (material == nullptr)
        return status;
    material->SetName(CStr(name.c_str()));
    status.SetCode(HStatus::DONE);
    return status;
}

UString HMaterialKit::GetName() {
    Mtl* material = m_object.GetMaterial();
    if (material == nullptr)
        return UString();
    return UString(material->GetName().data());
}

UString HMaterialKit::GetPathName() {
    return GetName();
}

UString HMaterialKit::GetUniqueName() {
    Mtl* material = m_object.GetMaterial();
    if (material == nullptr)
        return UString();
    UString uniqueName = GetName();
    orlo::UTable<UString, uint32_t> nameCounts(64);
    if (MtlBaseLib* library = GetCOREInterface()->GetSceneMtls()) {
        for (int i = 0; i < library->Count(); ++i) {
            MtlBase* entry = (*library)[i];
            if (entry == nullptr)
                continue;
            UString name(entry->GetName().data());
            if (uint32_t* count = nameCounts.Find(name))
                ++*count;
            else
                nameCounts.Add(name, 1u);
        }
    }
    assure(nameCounts.Contains(uniqueName));
    if (*nameCounts.Find(uniqueName) > 1) {
        // The material's address: unique to it for as long as the host runs.
        char digits[24];
        const auto end = std::to_chars(digits, digits + sizeof(digits) - 1, uint64_t(m_object.GetPointer())).ptr;
        *end = 0;
        do {
            uniqueName += "_";
            uniqueName += digits;
        } while (nameCounts.Contains(uniqueName));
    }
    return uniqueName;
}

} // namespace merrow::platform_3dsmax
