#pragma once

#include <cstdint>

#include "orlo/CoreServices/Implementations/ULock.h"
#include "orlo/Utils/UArray.h"

class INode;
class MNNormalSpec;
class PolyObject;

namespace merrow::platform_3dsmax {

class HNodeKit;

// What one conversion of a mesh node to the host's editable poly form
// produced, held by the mesh kit while nothing changes. In bind-pose mode it
// switches an enabled skin modifier off for its whole life and back on when
// it goes; a copy the conversion made is deleted with it.
//
// The object a conversion hands back may be the node's own object or the
// pipeline's result, which are the host's and read-only: a mesh with dead
// vertices or faces is collapsed in a copy of the holder's own, and normals
// are built in a normal set of its own.
//
//     ConvertedPolyObject converted(kit, node, true);   // bind pose: skin off while it lives
//     if (PolyObject* poly = converted.GetPolyObject()) read(poly->mm);
class ConvertedPolyObject {
public:
    ConvertedPolyObject(HNodeKit* owner, INode* node, bool bindPose);
    ~ConvertedPolyObject();
    ConvertedPolyObject(const ConvertedPolyObject&) = delete;
    ConvertedPolyObject& operator=(const ConvertedPolyObject&) = delete;

    // An empty poly object of the kit's own; null when the host makes none.
    static PolyObject* NewPolyObject();

    // Null when the node's object cannot become a poly object.
    PolyObject* GetPolyObject() const { return m_polyObject; }
    // The conversion made a new object, which goes with this holder.
    bool IsOwned() const { return m_owned; }
    HNodeKit* GetOwner() const { return m_owner; }
    // True when this holder switched the skin off.
    bool WasSkinEnabled() const { return m_wasEnabled; }
    bool WasSkinEnabledInViews() const { return m_wasEnabledInViews; }
    // After dead vertices were removed: the new index of each vertex of the
    // evaluated mesh, -1 for a dead one. Empty when nothing was removed.
    const orlo::UArray<int32_t>& GetVertexRenumbering() const { return m_vertexRenumbering; }
    // The mesh's normals as the host builds them (specified ones kept, the
    // others from smoothing groups, computed), made on the first call and
    // kept; null without a poly object.
    MNNormalSpec* GetNormals();

private:
    void CollapseInOwnCopy();

    orlo::ULock m_lock;
    PolyObject* m_polyObject;
    bool m_owned;
    HNodeKit* m_owner;
    bool m_wasEnabled;
    bool m_wasEnabledInViews;
    INode* m_node;
    orlo::UArray<int32_t> m_vertexRenumbering;
    MNNormalSpec* m_normals;
};

} // namespace merrow::platform_3dsmax
