#include "merrow/Platform/3dsmax/HObjectFilter.h"

#include "max.h"

namespace merrow::platform_3dsmax {

bool HObjectFilter::HoldsExactly(const ClassList& list, uint32_t superClassID, uint32_t classIDA, uint32_t classIDB) {
    for (const HObject::CompleteClassID& entry : list)
        if (entry.superClassID == superClassID && entry.classIDA == classIDA && entry.classIDB == classIDB)
            return true;
    return false;
}

bool HObjectFilter::HoldsSuperClass(const orlo::UArray<unsigned long>& list, uint32_t superClassID) {
    for (unsigned long entry : list)
        if (entry == superClassID)
            return true;
    return false;
}

bool HObjectFilter::ConvertsToAny(const ClassList& list, Object* object) {
    for (const HObject::CompleteClassID& entry : list)
        if (object->CanConvertToType(Class_ID(entry.classIDA, entry.classIDB)))
            return true;
    return false;
}

bool HObjectFilter::Accepts(Object* object) const {
    if (object == nullptr)
        return false;
    const Class_ID classID = object->ClassID();
    const uint32_t superClassID = uint32_t(object->SuperClassID());
    const uint32_t a = uint32_t(classID.PartA());
    const uint32_t b = uint32_t(classID.PartB());
    if (!HoldsExactly(m_includeExact, superClassID, a, b) && !ConvertsToAny(m_includeConvertible, object))
        return false;
    if (HoldsSuperClass(m_excludeSuperClasses, superClassID) || HoldsExactly(m_excludeExact, superClassID, a, b) ||
        ConvertsToAny(m_excludeConvertible, object))
        return false;
    return true;
}

} // namespace merrow::platform_3dsmax
