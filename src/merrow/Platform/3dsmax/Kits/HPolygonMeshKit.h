#pragma once

#include <cstdint>
#include <memory>

#include "max.h"

#include "maxapi.h"
#include "merrow/Platform/3dsmax/Kits/HNodeKit.h"
#include "orlo/Math/TVector2.h"
#include "orlo/Math/TVector3.h"
#include "orlo/Utils/UArray.h"
#include "ref.h"

class Matrix3;
class PolyObject;

namespace merrow::platform_3dsmax {

class ConvertedPolyObject;

// The kit over a mesh node: reads its geometry, builds new poly mesh nodes,
// and reads and writes its skin.
//
// Reading converts the node's evaluated object to an editable poly once and
// keeps the result until something changes (the current time, the node's
// object, the pose mode); every reader reuses it. Positions and normals come
// in world space.
//
//     HPolygonMeshKit<float> kit(meshHandle);
//     kit.SetPoseMode(POSE_BIND);              // the skin is off while read
//     UArray<TVector3<float>> vertices;
//     kit.GetVertices(vertices);
//
// Building: an empty kit creates a node, then normals, channels and the skin
// are added in this order:
//
//     HPolygonMeshKit<float> kit;
//     kit.CreateMesh(vertices, indices, counts, parentHandle);
//     kit.SetNormals(normals, normalIndices);
//     kit.AddTextureCoordinateSet(); kit.SetTextureCoordinates(uvs, uvIndices, 0);
//     kit.AddSkin(bones); kit.SetWeights(weights, boneIndices, weightCounts);
//
// Statuses: 0 done, 1 failed (outputs untouched), 2 inputs that do not fit
// (nothing changed).
// What a kit reads: the mesh as the scene shows it, or its bind pose (the
// mesh with its skin off).
enum HPoseMode : int32_t { POSE_CURRENT = 0, POSE_BIND = 1 };

template <class T>
class HPolygonMeshKit : public HNodeKit, public ReferenceMaker, public TimeChangeCallback {
public:
    using Vector2 = orlo::TVector2<T>;
    using Vector3 = orlo::TVector3<T>;
    using IndexList = orlo::UArray<unsigned int>;

    HPolygonMeshKit();
    explicit HPolygonMeshKit(const HObject& object);
    ~HPolygonMeshKit() override;

    // The handle is copied and the kit goes stale.
    void SetObject(const HObject& object) override;

    // Reading.
    PolyObject* Get3dsmaxPolyObject();
    Matrix3 GetObjectTransformationMatrix();
    // A pose mode (HPoseMode); the bind pose needs a skin modifier.
    HStatus SetPoseMode(int32_t mode);
    int32_t GetPoseMode() const { return m_poseMode; }
    unsigned int GetNumVertices();
    unsigned int GetNumNormals();
    unsigned int GetNumTextureCoordinateSets();
    HStatus GetVertices(orlo::UArray<Vector3>& out);
    HStatus GetNormals(orlo::UArray<Vector3>& out);
    HStatus GetTextureCoordinates(unsigned int set, orlo::UArray<Vector2>& out);
    HStatus GetMaterials(orlo::UArray<HObject>& out);
    HStatus GetPolygons(IndexList& counts, IndexList& indices);
    HStatus GetPolygonNormalIndices(IndexList& out);
    HStatus GetPolygonTexCoordIndices(unsigned int set, IndexList& out);
    HStatus GetPolygonMaterialIndices(IndexList& out);

    // Building.
    HStatus CreateMesh(const orlo::UArray<Vector3>& vertices, const IndexList& indices, const IndexList& counts,
                       const HObject& parent);
    bool MakeEditablePoly();
    HStatus SetNormals(const orlo::UArray<Vector3>& normals, const IndexList& indices);
    HStatus AddTextureCoordinateSet();
    HStatus SetTextureCoordinates(const orlo::UArray<Vector2>& coordinates, const IndexList& indices, unsigned int set);
    // Takes the node that CreateMesh made out of the scene again, with all
    // that was built on it: for a build that cannot be finished.
    void DiscardCreatedMesh();

    // The skin.
    HStatus GetBones(orlo::UArray<HObject>& out);
    unsigned int GetNumWeights();
    HStatus GetWeights(orlo::UArray<float>& weights, IndexList& boneIndices, IndexList& counts);
    HStatus AddSkin(const orlo::UArray<HObject>& bones);
    HStatus SetWeights(const orlo::UArray<float>& weights, const IndexList& boneIndices, const IndexList& counts);

    // The watched reference: the node's object.
    int NumRefs() override;
    RefTargetHandle GetReference(int i) override;
    void SetReference(int i, RefTargetHandle rtarg) override;
    RefResult NotifyRefChanged(Interval changeInt, RefTargetHandle hTarget, PartID& partID,
                               RefMessage message) override;
    void TimeChanged(TimeValue t) override;

    bool IsStale() const { return m_stale; }

private:
    void DestroyConvertedObject();
    void DiscardNewNode(INode* node);
    // The node's own poly object after making it an editable poly; none
    // when either fails.
    PolyObject* GetEditablePolyObject();
    // The renumbering of the converted mesh's vertices after dead ones were
    // removed, or null when none were.
    const orlo::UArray<int32_t>* VertexRenumbering();
    static bool IsDeadVertex(const orlo::UArray<int32_t>* renumbering, int v);

    int32_t m_poseMode;
    ConvertedPolyObject* m_convertedObject;
    bool m_stale;
    RefTargetHandle m_watchedReference;
    // Held while a mesh is built and given back before a node that cannot be
    // finished is discarded: when the host has run out of memory, telling it
    // of the change still finds some.
    std::unique_ptr<char[]> m_discardReserve;
};

extern template class HPolygonMeshKit<float>;

} // namespace merrow::platform_3dsmax
