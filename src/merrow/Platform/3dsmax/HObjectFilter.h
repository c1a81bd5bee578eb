#pragma once

#include "merrow/Platform/3dsmax/HObject.h"
#include "orlo/Utils/UArray.h"

class Object;

namespace merrow::platform_3dsmax {

// Which host objects a scene collection keeps: included when an entry of
// the first list matches the object exactly or the object can convert to
// the class of an entry of the second, then excluded again by superclass,
// by an exact match, or by convertibility.
//
//     HObjectFilter filter = HPluginModule::GetObjectFilter(1);
//     if (filter.Accepts(object)) ...
class HObjectFilter {
public:
    using ClassList = orlo::UArray<HObject::CompleteClassID>;

    ClassList m_includeExact;
    ClassList m_includeConvertible; // only the class id of an entry counts
    orlo::UArray<unsigned long> m_excludeSuperClasses;
    ClassList m_excludeExact;
    ClassList m_excludeConvertible;

    // The node walk's test of an evaluated object.
    bool Accepts(Object* object) const;

    static bool HoldsExactly(const ClassList& list, uint32_t superClassID, uint32_t classIDA, uint32_t classIDB);
    static bool HoldsSuperClass(const orlo::UArray<unsigned long>& list, uint32_t superClassID);
    // The first entry, in order, that the object can convert to decides.
    static bool ConvertsToAny(const ClassList& list, Object* object);
};

} // namespace merrow::platform_3dsmax
