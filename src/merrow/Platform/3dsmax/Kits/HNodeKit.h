#pragma once

// The host's headers come first: on Windows they bring the system's
// GetObject macro, which must rename this kit's GetObject alike in every
// file that sees it.
#include "max.h"

#include "merrow/Platform/3dsmax/HObject.h"
#include "merrow/Platform/3dsmax/HStatus.h"
#include "merrow/Platform/3dsmax/TransformSpace.h"
#include "orlo/Math/TMatrix4.h"
#include "orlo/Utils/UBaseString.h"

namespace merrow::platform_3dsmax {

// The kit over a node handle, and the base of every other kit: names, the
// parent, and the node transform in world or parent space.
//
//     HNodeKit kit(HObject::FromNode(node));
//     orlo::UBaseString<unsigned char> path = kit.GetPathName();      // "a|b"
//     orlo::TMatrix4<float> local = kit.GetTransformationMatrix(TRANSFORM_SPACE_PARENT);
//
// Without a node (an empty handle, a material handle) every operation does
// nothing and answers its default: status 1, an empty string, the identity.
// All host reads use the host's current time.
class HNodeKit {
public:
    HNodeKit() = default;
    explicit HNodeKit(const HObject& object) : m_object(object) {}
    HNodeKit(const HNodeKit&) = delete;
    HNodeKit& operator=(const HNodeKit&) = delete;

    virtual ~HNodeKit();
    virtual HStatus SetName(const orlo::UBaseString<unsigned char>& name);
    virtual orlo::UBaseString<unsigned char> GetName();
    virtual const HObject& GetObject() const;
    // Copies pointer, kind and hash.
    virtual void SetObject(const HObject& object);
    // The name, or when other nodes share it the name with "_" and the
    // node's handle appended until no node has it.
    virtual orlo::UBaseString<unsigned char> GetUniqueName();
    // Ancestor names below the root and the node's own, joined by "|"; a "|"
    // inside a name becomes "_".
    virtual orlo::UBaseString<unsigned char> GetPathName();
    virtual HStatus SetTransformationMatrix(const orlo::TMatrix4<float>& matrix, int32_t space);
    virtual orlo::TMatrix4<float> GetTransformationMatrix(int32_t space);

    // A node handle of the node's parent; its pointer is null unless the
    // handle is a node below a parent other than the root.
    static HObject GetParent(const HObject& object);

protected:
    INode* GetNode() const { return m_object.GetNode(); }

    HObject m_object;
};

} // namespace merrow::platform_3dsmax
