#include "merrow/Platform/3dsmax/Kits/HPolygonMeshKit.h"

#include <cmath>
#include <cstdio>
#include <new>

#include "max.h"

#include "merrow/Platform/3dsmax/HHostClassIDs.h"

#include "imtl.h"
#include "iparamb2.h"
#include "iskin.h"
#include "merrow/Platform/3dsmax/Kits/ConvertedPolyObject.h"
#include "merrow/Platform/3dsmax/Kits/HSkinAccess.h"
#include "modstack.h"
#include "orlo/ErrorDescription.h"
#include "orlo/Utils/TTypeName.h"
#include "polyobj.h"

namespace merrow::platform_3dsmax {

namespace {

// Error reports of this kit have always named this source.
const char* const kSourceFile = "merrow/platform/3dsmax/Kits/HPolygonMeshKit";

double LengthOf(const Point3& v) {
    return std::sqrt(double(v.x) * v.x + double(v.y) * v.y + double(v.z) * v.z);
}

const PartID kPartsGeometry = 3; // topology and geometry
const PartID kPartsTextureMaps = 4;
const PartID kSkinChangeParts = 0x800037FF;
const int kMaxMapChannels = 99;
// Enough for the host to tell an object's dependents of a change.
const size_t kDiscardReserveBytes = size_t(1) << 20;
const DWORD kMapChannelDead = 2;

// "merrow::platform_3dsmax::HPolygonMeshKit<float>::member"; valid until the next call.
template <class T>
const char* MemberName(const char* member) {
    static char name[256];
    snprintf(name, sizeof(name), "merrow::platform_3dsmax::HPolygonMeshKit<%s>::%s", orlo::TTypeName<T>::Get(), member);
    return name;
}

#define MESH_KIT_ASSURE(expression, member)                                                                    \
    do {                                                                                                       \
        if (!(expression))                                                                                     \
            ::orlo::RaiseError(kSourceFile, MemberName<T>(member), "'assure' failed: " #expression, __LINE__); \
    } while (false)

TimeValue Now() {
    return GetCOREInterface()->GetTime();
}

// The change notice after the kit edited a poly object's mesh. Only new
// faces change the topology: then its edge and vertex lists go with the
// cache flags and are built again; normals and maps leave them valid.
enum class Topology { Changed, Kept };
void MeshChanged(PolyObject* poly, PartID parts, Topology topology) {
    poly->mm.InvalidateGeomCache();
    poly->mm.InvalidateTopoCache(topology == Topology::Changed);
    // The pipeline works on the edge and vertex lists.
    if (!poly->mm.GetFlag(MN_MESH_FILLED_IN))
        poly->mm.FillInMesh();
    poly->NotifyDependents(FOREVER, parts, REFMSG_CHANGE);
    poly->mm.PrepForPipeline();
}

// Live set k: the k-th channel among 1 .. numm - 1 that is not dead.
MNMap* LiveChannel(MNMesh& mesh, unsigned int set) {
    unsigned int live = 0;
    for (int channel = 1; channel < mesh.numm; ++channel) {
        MNMap* map = mesh.M(channel);
        if (map == nullptr || map->GetFlag(kMapChannelDead))
            continue;
        if (live == set)
            return map;
        ++live;
    }
    return nullptr;
}

int64_t CornerCount(const MNMesh& mesh) {
    int64_t corners = 0;
    for (int f = 0; f < mesh.numf; ++f)
        corners += mesh.f[f].deg;
    return corners;
}

// One index per polygon corner, each within a pool of `poolSize` entries
// (an empty pool fits nothing).
bool IndicesFitCorners(const MNMesh& mesh, const orlo::UArray<unsigned int>& indices, int32_t poolSize) {
    if (CornerCount(mesh) != indices.Num() || poolSize == 0)
        return false;
    for (unsigned int index : indices)
        if (index >= unsigned(poolSize))
            return false;
    return true;
}

} // namespace

template <class T>
HPolygonMeshKit<T>::HPolygonMeshKit() : HPolygonMeshKit(HObject()) {}

template <class T>
HPolygonMeshKit<T>::HPolygonMeshKit(const HObject& object)
    : HNodeKit(object), m_poseMode(POSE_CURRENT), m_convertedObject(nullptr), m_stale(true),
      m_watchedReference(nullptr) {
    GetCOREInterface()->RegisterTimeChangeCallback(this);
}

template <class T>
HPolygonMeshKit<T>::~HPolygonMeshKit() {
    GetCOREInterface()->UnRegisterTimeChangeCallback(this);
    DeleteReference(0);
    DestroyConvertedObject();
}

template <class T>
void HPolygonMeshKit<T>::DestroyConvertedObject() {
    ConvertedPolyObject* converted = m_convertedObject;
    m_convertedObject = nullptr;
    delete converted;
}

template <class T>
void HPolygonMeshKit<T>::SetObject(const HObject& object) {
    HNodeKit::SetObject(object);
    m_stale = true;
}

// ---- Reading ----------------------------------------------------------------

template <class T>
PolyObject* HPolygonMeshKit<T>::Get3dsmaxPolyObject() {
    if (m_stale) {
        // The previous holder goes first: a bind-pose holder switches its
        // skin back on, and that change must reach the new conversion rather
        // than throw away what the new one points into.
        DestroyConvertedObject();
        if (INode* node = GetNode()) {
            m_convertedObject = new ConvertedPolyObject(this, node, m_poseMode == POSE_BIND);
            if (m_convertedObject->GetPolyObject() != nullptr) {
                m_stale = false;
                ReplaceReference(0, node->GetObjectRef(), TRUE);
            }
        }
    }
    MESH_KIT_ASSURE(m_convertedObject, "Get3dsmaxPolyObject");
    return m_convertedObject->GetPolyObject();
}

// The bind pose is placed where the skin bound the mesh, not where the node
// stands now: a mesh moved after binding keeps its points matching the
// bones' bind matrices.
template <class T>
Matrix3 HPolygonMeshKit<T>::GetObjectTransformationMatrix() {
    INode* node = GetNode();
    if (node == nullptr)
        return Matrix3(TRUE);
    Matrix3 bind(TRUE);
    if (m_poseMode == POSE_BIND && HSkinAccess::GetMeshBindTransform(node, bind))
        return bind;
    return node->GetObjectTM(Now());
}

template <class T>
HStatus HPolygonMeshKit<T>::SetPoseMode(int32_t mode) {
    if (mode != POSE_CURRENT && mode != POSE_BIND)
        return HStatus(HStatus::NOT_SUPPORTED);
    if (mode == POSE_BIND && HSkinAccess::FindModifier(GetNode(), HSkinAccess::SkinClassID()) == nullptr)
        return HStatus(HStatus::NOT_SUPPORTED);
    if (mode != m_poseMode) {
        m_poseMode = mode;
        m_stale = true;
    }
    return HStatus(HStatus::DONE);
}

template <class T>
unsigned int HPolygonMeshKit<T>::GetNumVertices() {
    PolyObject* poly = Get3dsmaxPolyObject();
    return poly != nullptr ? unsigned(poly->mm.numv) : 0u;
}

template <class T>
unsigned int HPolygonMeshKit<T>::GetNumNormals() {
    PolyObject* poly = Get3dsmaxPolyObject();
    if (poly == nullptr)
        return 0;
    MNNormalSpec* spec = m_convertedObject->GetNormals();
    return spec != nullptr ? unsigned(spec->GetNumNormals()) : 0u;
}

template <class T>
unsigned int HPolygonMeshKit<T>::GetNumTextureCoordinateSets() {
    PolyObject* poly = Get3dsmaxPolyObject();
    if (poly == nullptr)
        return 0;
    unsigned int live = 0;
    for (int channel = 1; channel < poly->mm.numm; ++channel)
        if (MNMap* map = poly->mm.M(channel); map != nullptr && !map->GetFlag(kMapChannelDead))
            ++live;
    return live;
}

template <class T>
HStatus HPolygonMeshKit<T>::GetVertices(orlo::UArray<Vector3>& out) {
    PolyObject* poly = Get3dsmaxPolyObject();
    if (poly == nullptr)
        return HStatus();
    const Matrix3 m = GetObjectTransformationMatrix();
    const MNMesh& mesh = poly->mm;
    out.Empty();
    out.AddUninitialized(mesh.numv);
    for (int i = 0; i < mesh.numv; ++i) {
        const Point3 p = m.PointTransform(mesh.v[i].p);
        out[i] = Vector3{T(p.x), T(p.y), T(p.z)};
    }
    return HStatus(HStatus::DONE);
}

template <class T>
HStatus HPolygonMeshKit<T>::GetNormals(orlo::UArray<Vector3>& out) {
    PolyObject* poly = Get3dsmaxPolyObject();
    if (poly == nullptr)
        return HStatus();
    MNNormalSpec* spec = m_convertedObject->GetNormals();
    if (spec == nullptr)
        return HStatus();
    // Normals go by the inverse transpose of the object transform.
    const Matrix3 m = GetObjectTransformationMatrix();
    Matrix3 n(TRUE);
    for (int row = 0; row < 3; ++row)
        n.SetRow(row, m.GetColumn3(row));
    n.SetRow(3, Point3(0.0f, 0.0f, 0.0f));
    n.Invert();
    const int count = spec->GetNumNormals();
    out.Empty();
    out.AddUninitialized(count);
    for (int i = 0; i < count; ++i) {
        const Point3 v = spec->Normal(i);
        const Point3 d = n.VectorTransform(v);
        // Lengths in double: the square of a long normal (beyond 1.8e19)
        // leaves the float range, and the normal would become NaN. A zero
        // normal, or one that the transform collapses, has no direction to
        // keep; it stays zero.
        const double length = LengthOf(v);
        const double direction = LengthOf(d);
        const double scale = length > 0.0 && direction > 0.0 ? length / direction : 0.0;
        out[i] = Vector3{T(d.x * scale), T(d.y * scale), T(d.z * scale)};
    }
    return HStatus(HStatus::DONE);
}

template <class T>
HStatus HPolygonMeshKit<T>::GetPolygonNormalIndices(IndexList& out) {
    PolyObject* poly = Get3dsmaxPolyObject();
    if (poly == nullptr)
        return HStatus();
    MNNormalSpec* spec = m_convertedObject->GetNormals();
    if (spec == nullptr)
        return HStatus();
    out.Empty();
    for (int face = 0; face < spec->GetNumFaces(); ++face) {
        const int degree = spec->Face(face).GetDegree();
        for (int corner = 0; corner < degree; ++corner)
            out.Add(unsigned(spec->GetNormalIndex(face, corner)));
    }
    return HStatus(HStatus::DONE);
}

template <class T>
HStatus HPolygonMeshKit<T>::GetTextureCoordinates(unsigned int set, orlo::UArray<Vector2>& out) {
    PolyObject* poly = Get3dsmaxPolyObject();
    if (poly == nullptr)
        return HStatus();
    MNMap* map = LiveChannel(poly->mm, set);
    if (map == nullptr)
        return HStatus();
    out.Empty();
    out.AddUninitialized(map->numv);
    for (int i = 0; i < map->numv; ++i)
        out[i] = Vector2{T(map->v[i].x), T(map->v[i].y)};
    return HStatus(HStatus::DONE);
}

template <class T>
HStatus HPolygonMeshKit<T>::GetPolygonTexCoordIndices(unsigned int set, IndexList& out) {
    PolyObject* poly = Get3dsmaxPolyObject();
    if (poly == nullptr)
        return HStatus();
    MNMap* map = LiveChannel(poly->mm, set);
    if (map == nullptr)
        return HStatus();
    out.Empty();
    for (int face = 0; face < map->numf; ++face) {
        const MNMapFace* mapFace = map->F(face);
        for (int corner = 0; corner < mapFace->deg; ++corner)
            out.Add(unsigned(mapFace->tv[corner]));
    }
    return HStatus(HStatus::DONE);
}

template <class T>
HStatus HPolygonMeshKit<T>::GetPolygons(IndexList& counts, IndexList& indices) {
    PolyObject* poly = Get3dsmaxPolyObject();
    if (poly == nullptr)
        return HStatus();
    const MNMesh& mesh = poly->mm;
    counts.Empty();
    indices.Empty();
    for (int face = 0; face < mesh.numf; ++face) {
        const MNFace& f = mesh.f[face];
        counts.Add(unsigned(f.deg));
        for (int corner = 0; corner < f.deg; ++corner)
            indices.Add(unsigned(f.vtx[corner]));
    }
    return HStatus(HStatus::DONE);
}

template <class T>
HStatus HPolygonMeshKit<T>::GetMaterials(orlo::UArray<HObject>& out) {
    PolyObject* poly = Get3dsmaxPolyObject();
    if (poly == nullptr)
        return HStatus();
    Mtl* material = GetNode()->GetMtl();
    if (material == nullptr)
        return HStatus();
    out.Empty();
    if (material->ClassID() == ToClassID(kMultiMaterialClassID)) {
        for (int i = 0; i < material->NumSubMtls(); ++i)
            out.Add(HObject::FromMaterial(material->GetSubMtl(i)));
    } else {
        out.Add(HObject::FromMaterial(material));
    }
    return HStatus(HStatus::DONE);
}

template <class T>
HStatus HPolygonMeshKit<T>::GetPolygonMaterialIndices(IndexList& out) {
    PolyObject* poly = Get3dsmaxPolyObject();
    if (poly == nullptr)
        return HStatus();
    Mtl* material = GetNode()->GetMtl();
    if (material == nullptr)
        return HStatus();
    const unsigned int subMaterials = material->NumSubMtls() > 1 ? unsigned(material->NumSubMtls()) : 1u;
    const MNMesh& mesh = poly->mm;
    out.Empty();
    out.AddUninitialized(mesh.numf);
    for (int face = 0; face < mesh.numf; ++face)
        out[face] = unsigned(mesh.f[face].material) % subMaterials;
    return HStatus(HStatus::DONE);
}

// The skin's points are the evaluated mesh's vertices, dead ones among them;
// the readers hand out the mesh without those, so the weights skip them too.
template <class T>
const orlo::UArray<int32_t>* HPolygonMeshKit<T>::VertexRenumbering() {
    if (GetNode() == nullptr || Get3dsmaxPolyObject() == nullptr)
        return nullptr;
    const orlo::UArray<int32_t>& renumbering = m_convertedObject->GetVertexRenumbering();
    return renumbering.Num() > 0 ? &renumbering : nullptr;
}

template <class T>
bool HPolygonMeshKit<T>::IsDeadVertex(const orlo::UArray<int32_t>* renumbering, int v) {
    return renumbering != nullptr && v < renumbering->Num() && (*renumbering)[v] < 0;
}

// ---- Watching the node's object -------------------------------------------

template <class T>
int HPolygonMeshKit<T>::NumRefs() {
    return 1;
}

template <class T>
RefTargetHandle HPolygonMeshKit<T>::GetReference(int i) {
    MESH_KIT_ASSURE(!i, "GetReference");
    return m_watchedReference;
}

template <class T>
void HPolygonMeshKit<T>::SetReference(int i, RefTargetHandle rtarg) {
    MESH_KIT_ASSURE(!i, "SetReference");
    m_watchedReference = rtarg;
}

template <class T>
RefResult HPolygonMeshKit<T>::NotifyRefChanged(Interval, RefTargetHandle, PartID&, RefMessage message) {
    // The host calls this; nothing may be raised into it. A kit retargeted
    // away from its node still watches the old object: it hears nothing
    // that concerns it.
    if (GetNode() == nullptr)
        return REF_SUCCEED;
    switch (message) {
    case REFMSG_TARGET_DELETED:
    case REFMSG_CHANGE:
    case REFMSG_REF_DELETED:
        m_stale = true;
        break;
    default:
        break;
    }
    return REF_SUCCEED;
}

template <class T>
void HPolygonMeshKit<T>::TimeChanged(TimeValue) {
    m_stale = true;
}

// ---- Building ---------------------------------------------------------------

template <class T>
void HPolygonMeshKit<T>::DiscardNewNode(INode* node) {
    // A build stopped half-way (the host out of memory) may have changed
    // the node's object without saying so yet: the host hears of it before
    // the object goes, with the reserve's memory to do it in.
    m_discardReserve.reset();
    DestroyConvertedObject();
    if (Object* object = node->GetObjectRef())
        object->NotifyDependents(FOREVER, PART_ALL, REFMSG_CHANGE);
    DeleteReference(0);
    GetCOREInterface()->DeleteNode(node, FALSE);
    SetObject(HObject());
}

template <class T>
void HPolygonMeshKit<T>::DiscardCreatedMesh() {
    if (INode* node = GetNode())
        DiscardNewNode(node);
}

template <class T>
HStatus HPolygonMeshKit<T>::CreateMesh(const orlo::UArray<Vector3>& vertices, const IndexList& indices,
                                       const IndexList& counts, const HObject& parent) {
    HStatus status;
    // The host is handed no index it could read past: every check comes
    // before the first node exists.
    int64_t corners = 0;
    for (unsigned int count : counts) {
        if (count < 3)
            return HStatus(HStatus::NOT_SUPPORTED);
        corners += count;
    }
    if (corners != indices.Num())
        return HStatus(HStatus::NOT_SUPPORTED);
    for (unsigned int index : indices)
        if (index >= unsigned(vertices.Num()))
            return HStatus(HStatus::NOT_SUPPORTED);

    Interface* host = GetCOREInterface();
    m_discardReserve.reset(new (std::nothrow) char[kDiscardReserveBytes]);
    PolyObject* poly = ConvertedPolyObject::NewPolyObject();
    if (poly == nullptr)
        return status;
    INode* node = host->CreateObjectNode(poly);
    if (node == nullptr) {
        poly->MaybeAutoDelete();
        return status;
    }
    // The node's object is the kit's to fill: it is changed through the
    // node's reference, and the host is told once it is built. A half-filled
    // mesh does not stay in the scene, also when the host runs out of memory.
    try {
        SetObject(HObject::FromNode(node));
        MNMesh& mesh = poly->mm;
        mesh.VAlloc(vertices.Num(), TRUE);
        for (const Vector3& vertex : vertices) {
            Point3 p(float(vertex.x), float(vertex.y), float(vertex.z));
            mesh.NewVert(p);
        }
        mesh.FAlloc(counts.Num(), TRUE);
        mesh.VEdgeAlloc();
        mesh.VFaceAlloc();
        orlo::UArray<int> corner;
        int32_t position = 0;
        for (unsigned int count : counts) {
            corner.Empty();
            for (unsigned int j = 0; j < count; ++j)
                corner.Add(int(indices[position++]));
            if (mesh.CreateFace(int(count), corner.GetData()) < 0) {
                DiscardNewNode(node);
                return status;
            }
        }
        MeshChanged(poly, kPartsGeometry, Topology::Changed);
        if (!MakeEditablePoly())
            return status;
    } catch (...) {
        DiscardNewNode(node);
        throw;
    }
    host->RedrawViews(Now(), REDRAW_NORMAL, nullptr);
    if (parent.IsValid() && parent.GetNode() != nullptr)
        parent.GetNode()->AttachChild(node, TRUE);
    status.SetCode(HStatus::DONE);
    return status;
}

template <class T>
bool HPolygonMeshKit<T>::MakeEditablePoly() {
    INode* node = GetNode();
    if (node == nullptr)
        return false;
    Object* object = node->GetObjectRef();
    if (object == nullptr)
        return false;
    const TimeValue t = Now();
    Object* evaluated = object->Eval(t).obj;
    if (evaluated == nullptr)
        return false;
    Object* collapsed = evaluated->CollapseObject();
    if (collapsed == nullptr)
        return false;
    Object* poly = collapsed->CanConvertToType(ToClassID(kPolyObjectClassID))
                       ? collapsed->ConvertToType(t, ToClassID(kPolyObjectClassID))
                       : nullptr;
    if (poly == nullptr) {
        if (collapsed != evaluated)
            collapsed->DeleteThis();
        return false;
    }
    // The stack's result belongs to the pipeline and goes with the stack:
    // the node gets a copy of its own.
    if (poly == evaluated && poly != object) {
        PolyObject* copy = ConvertedPolyObject::NewPolyObject();
        if (copy == nullptr)
            return false;
        copy->mm = static_cast<PolyObject*>(poly)->mm;
        poly = copy;
    }
    object->SetAFlag(A_LOCK_TARGET);
    node->SetObjectRef(poly);
    GetCOREInterface7()->InvalidateObCache(node);
    node->NotifyDependents(FOREVER, 0, REFMSG_SUBANIM_STRUCTURE_CHANGED);
    object->ClearAFlag(A_LOCK_TARGET);
    // The replaced object goes unless something still holds it; an object
    // whose stack result became the node's object is no exception.
    if (object != poly)
        object->MaybeAutoDelete();
    if (collapsed != evaluated && collapsed != poly)
        collapsed->MaybeAutoDelete();
    return true;
}

// The node's own poly object, to be changed and then announced; not the
// evaluated one, which is the host's to hand out.
template <class T>
PolyObject* HPolygonMeshKit<T>::GetEditablePolyObject() {
    if (!MakeEditablePoly())
        return nullptr;
    Object* object = GetNode()->GetObjectRef();
    if (object == nullptr || object->ClassID() != ToClassID(kPolyObjectClassID))
        return nullptr;
    return static_cast<PolyObject*>(object);
}

template <class T>
HStatus HPolygonMeshKit<T>::SetNormals(const orlo::UArray<Vector3>& normals, const IndexList& indices) {
    HStatus status;
    PolyObject* poly = GetEditablePolyObject();
    if (poly == nullptr)
        return status;
    MNMesh& mesh = poly->mm;
    if (!IndicesFitCorners(mesh, indices, normals.Num()))
        return HStatus(HStatus::NOT_SUPPORTED);
    if (mesh.GetSpecifiedNormals() == nullptr)
        mesh.SpecifyNormals();
    MNNormalSpec* spec = mesh.GetSpecifiedNormals();
    if (spec == nullptr)
        return status;
    spec->SetParent(&mesh);
    // Building and computing need the normal faces, which new specified
    // normals do not have.
    if (spec->GetNumFaces() != mesh.numf)
        spec->SetNumFaces(mesh.numf);
    spec->CheckNormals();
    spec->SetNumNormals(normals.Num());
    spec->MakeNormalsExplicit(false, nullptr, true);
    // The inverse of the world-space transform of reading, without
    // renormalising: the transpose of the object transform's 3x3 part.
    const Matrix3 m = GetObjectTransformationMatrix();
    Matrix3 transpose(TRUE);
    for (int row = 0; row < 3; ++row)
        transpose.SetRow(row, m.GetColumn3(row));
    transpose.SetRow(3, Point3(0.0f, 0.0f, 0.0f));
    for (int32_t i = 0; i < normals.Num(); ++i) {
        const Point3 world(float(normals[i].x), float(normals[i].y), float(normals[i].z));
        spec->Normal(i) = transpose.VectorTransform(world);
    }
    int32_t position = 0;
    for (int face = 0; face < mesh.numf; ++face)
        for (int corner = 0; corner < mesh.f[face].deg; ++corner)
            spec->SetNormalIndex(face, corner, int(indices[position++]));
    MeshChanged(poly, kPartsGeometry, Topology::Kept);
    GetCOREInterface()->RedrawViews(Now(), REDRAW_NORMAL, nullptr);
    status.SetCode(HStatus::DONE);
    return status;
}

template <class T>
HStatus HPolygonMeshKit<T>::AddTextureCoordinateSet() {
    HStatus status;
    PolyObject* poly = GetEditablePolyObject();
    if (poly == nullptr)
        return status;
    MNMesh& mesh = poly->mm;
    const int channel = mesh.numm < 1 ? 1 : mesh.numm;
    if (channel >= kMaxMapChannels)
        return status;
    mesh.SetMapNum(channel + 1);
    mesh.InitMap(channel);
    MeshChanged(poly, kPartsTextureMaps, Topology::Kept);
    status.SetCode(HStatus::DONE);
    return status;
}

template <class T>
HStatus HPolygonMeshKit<T>::SetTextureCoordinates(const orlo::UArray<Vector2>& coordinates, const IndexList& indices,
                                                  unsigned int set) {
    HStatus status;
    PolyObject* poly = GetEditablePolyObject();
    if (poly == nullptr)
        return status;
    MNMesh& mesh = poly->mm;
    if (!IndicesFitCorners(mesh, indices, coordinates.Num()))
        return HStatus(HStatus::NOT_SUPPORTED);
    MNMap* map = LiveChannel(mesh, set);
    if (map == nullptr)
        return status;
    // The channel's own faces take the indices; they must have the corners counted.
    int64_t mapCorners = 0;
    for (int face = 0; face < map->numf && face < mesh.numf; ++face)
        mapCorners += map->F(face)->deg;
    if (mapCorners != indices.Num())
        return HStatus(HStatus::NOT_SUPPORTED);
    map->setNumVerts(coordinates.Num());
    for (int32_t i = 0; i < coordinates.Num(); ++i)
        map->v[i] = UVVert(float(coordinates[i].x), float(coordinates[i].y), 0.0f);
    int32_t position = 0;
    for (int face = 0; face < map->numf && face < mesh.numf; ++face) {
        MNMapFace* mapFace = map->F(face);
        for (int corner = 0; corner < mapFace->deg; ++corner)
            mapFace->tv[corner] = int(indices[position++]);
    }
    MeshChanged(poly, kPartsTextureMaps, Topology::Kept);
    GetCOREInterface()->RedrawViews(Now(), REDRAW_NORMAL, nullptr);
    status.SetCode(HStatus::DONE);
    return status;
}

// ---- The skin ---------------------------------------------------------------

template <class T>
HStatus HPolygonMeshKit<T>::GetBones(orlo::UArray<HObject>& out) {
    Modifier* skin = HSkinAccess::FindModifier(GetNode(), HSkinAccess::SkinClassID());
    if (skin == nullptr)
        return HStatus();
    ISkin* skinInterface = static_cast<ISkin*>(skin->GetInterface(I_SKIN));
    if (skinInterface == nullptr)
        return HStatus();
    out.Empty();
    for (int i = 0; i < skinInterface->GetNumBones(); ++i)
        out.Add(HObject::FromNode(skinInterface->GetBone(i)));
    skin->ReleaseInterface(I_SKIN, skinInterface);
    return HStatus(HStatus::DONE);
}

template <class T>
unsigned int HPolygonMeshKit<T>::GetNumWeights() {
    INode* node = GetNode();
    Modifier* skin = HSkinAccess::FindModifier(node, HSkinAccess::SkinClassID());
    if (skin == nullptr)
        return 0;
    ISkin* skinInterface = static_cast<ISkin*>(skin->GetInterface(I_SKIN));
    if (skinInterface == nullptr)
        return 0;
    unsigned int total = 0;
    if (ISkinContextData* context = skinInterface->GetContextInterface(node)) {
        const orlo::UArray<int32_t>* renumbering = VertexRenumbering();
        for (int v = 0; v < context->GetNumPoints(); ++v) {
            if (IsDeadVertex(renumbering, v))
                continue;
            const int assigned = context->GetNumAssignedBones(v);
            total += assigned > 0 ? unsigned(assigned) : 0u;
        }
    }
    skin->ReleaseInterface(I_SKIN, skinInterface);
    return total;
}

template <class T>
HStatus HPolygonMeshKit<T>::GetWeights(orlo::UArray<float>& weights, IndexList& boneIndices, IndexList& counts) {
    INode* node = GetNode();
    Modifier* skin = HSkinAccess::FindModifier(node, HSkinAccess::SkinClassID());
    if (skin == nullptr)
        return HStatus();
    ISkin* skinInterface = static_cast<ISkin*>(skin->GetInterface(I_SKIN));
    if (skinInterface == nullptr)
        return HStatus();
    ISkinContextData* context = skinInterface->GetContextInterface(node);
    if (context != nullptr) {
        const orlo::UArray<int32_t>* renumbering = VertexRenumbering();
        weights.Empty();
        boneIndices.Empty();
        counts.Empty();
        for (int v = 0; v < context->GetNumPoints(); ++v) {
            if (IsDeadVertex(renumbering, v))
                continue;
            const int assigned = context->GetNumAssignedBones(v) > 0 ? context->GetNumAssignedBones(v) : 0;
            counts.Add(unsigned(assigned));
            for (int k = 0; k < assigned; ++k) {
                boneIndices.Add(unsigned(context->GetAssignedBone(v, k)));
                weights.Add(context->GetBoneWeight(v, k));
            }
        }
    }
    skin->ReleaseInterface(I_SKIN, skinInterface);
    return HStatus(HStatus::DONE);
}

template <class T>
HStatus HPolygonMeshKit<T>::AddSkin(const orlo::UArray<HObject>& bones) {
    HStatus status;
    INode* node = GetNode();
    if (node == nullptr)
        return status;
    if (bones.Num() == 0)
        return HStatus(HStatus::NOT_SUPPORTED);
    Interface* host = GetCOREInterface();
    const ObjectState& state = node->EvalWorldState(Now());
    Object* evaluated = state.obj;
    if (evaluated == nullptr)
        return status;
    // A stack the node already has is extended, so that none of its
    // modifiers is lost.
    Object* reference = node->GetObjectRef();
    const bool extend = reference != nullptr && reference->SuperClassID() == kDerivedObjectSuperClassID;
    IDerivedObject* derived = extend ? static_cast<IDerivedObject*>(reference) : CreateDerivedObject(evaluated);
    Modifier* skin =
        static_cast<Modifier*>(host->CreateInstance(kObjectSpaceModifierSuperClassID, HSkinAccess::SkinClassID()));
    if (skin == nullptr) {
        if (!extend)
            derived->MaybeAutoDelete();
        return status;
    }
    derived->SetAFlag(A_LOCK_TARGET);
    derived->AddModifier(skin, nullptr, 0);
    derived->ClearAFlag(A_LOCK_TARGET);
    node->SetObjectRef(derived);
    ISkinImportData* import = static_cast<ISkinImportData*>(skin->GetInterface(I_SKINIMPORTDATA));
    if (import == nullptr)
        return status;
    for (int32_t i = 0; i < bones.Num(); ++i)
        import->AddBoneEx(bones[i].GetNode(), i == bones.Num() - 1 ? TRUE : FALSE);
    skin->ReleaseInterface(I_SKINIMPORTDATA, import);
    node->GetObjectRef()->NotifyDependents(FOREVER, kSkinChangeParts, REFMSG_CHANGE);
    status.SetCode(HStatus::DONE);
    return status;
}

template <class T>
HStatus HPolygonMeshKit<T>::SetWeights(const orlo::UArray<float>& weights, const IndexList& boneIndices,
                                       const IndexList& counts) {
    HStatus status;
    INode* node = GetNode();
    // Finding the skin evaluates the node, so that the skin has its data for it.
    Modifier* skin = HSkinAccess::FindModifier(node, HSkinAccess::SkinClassID());
    if (skin == nullptr)
        return status;
    ISkin* skinInterface = static_cast<ISkin*>(skin->GetInterface(I_SKIN));
    if (skinInterface == nullptr)
        return status;
    const int boneCount = skinInterface->GetNumBones();
    if (boneCount == 0 || weights.Num() == 0 || boneIndices.Num() == 0 || counts.Num() == 0) {
        skin->ReleaseInterface(I_SKIN, skinInterface);
        return HStatus(HStatus::NOT_SUPPORTED);
    }
    // Every list position and bone index is checked before the first weight
    // is set, so a list that does not fit changes nothing.
    int64_t total = 0;
    for (unsigned int count : counts)
        total += count;
    bool fits = total <= weights.Num() && total <= boneIndices.Num();
    for (int64_t p = 0; fits && p < total; ++p)
        fits = boneIndices[int32_t(p)] < unsigned(boneCount);
    if (!fits) {
        skin->ReleaseInterface(I_SKIN, skinInterface);
        return status;
    }
    if (ISkinImportData* import = static_cast<ISkinImportData*>(skin->GetInterface(I_SKINIMPORTDATA))) {
        status.SetCode(HStatus::DONE);
        int32_t p = 0;
        for (int32_t v = 0; v < counts.Num(); ++v) {
            Tab<INode*> boneTable;
            Tab<float> weightTable;
            for (unsigned int j = 0; j < counts[v]; ++j, ++p) {
                INode* bone = skinInterface->GetBone(int(boneIndices[p]));
                float weight = weights[p];
                boneTable.Append(1, &bone);
                weightTable.Append(1, &weight);
            }
            if (!import->AddWeights(node, v, boneTable, weightTable)) {
                status.SetCode(HStatus::FAILED);
                break;
            }
        }
        skin->ReleaseInterface(I_SKINIMPORTDATA, import);
    }
    skin->ReleaseInterface(I_SKIN, skinInterface);
    if (status.IsDone())
        node->GetObjectRef()->NotifyDependents(FOREVER, kSkinChangeParts, REFMSG_CHANGE);
    return status;
}

template class HPolygonMeshKit<float>;

} // namespace merrow::platform_3dsmax
