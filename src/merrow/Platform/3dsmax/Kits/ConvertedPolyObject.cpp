#include "merrow/Platform/3dsmax/Kits/ConvertedPolyObject.h"

#include "max.h"

#include "merrow/Platform/3dsmax/HHostClassIDs.h"
#include "merrow/Platform/3dsmax/Kits/HSkinAccess.h"
#include "polyobj.h"

namespace merrow::platform_3dsmax {

namespace {

const DWORD kModifierDisabled = 0x20;
const DWORD kModifierDisabledInViews = 0x100;
const PartID kSkinSwitchParts = 0x80003FFF;

void NotifySkinSwitched(Modifier* skin) {
    skin->NotifyDependents(FOREVER, kSkinSwitchParts, REFMSG_CHANGE);
}

bool HasDeadStructs(const MNMesh& mesh) {
    for (int i = 0; i < mesh.numv; ++i)
        if (mesh.v[i].GetFlag(MN_DEAD))
            return true;
    for (int i = 0; i < mesh.numf; ++i)
        if (mesh.f[i].GetFlag(MN_DEAD))
            return true;
    return false;
}

} // namespace

PolyObject* ConvertedPolyObject::NewPolyObject() {
    Object* object =
        static_cast<Object*>(GetCOREInterface()->CreateInstance(kGeometrySuperClassID, ToClassID(kPolyObjectClassID)));
    if (object == nullptr)
        return nullptr;
    if (object->ClassID() != ToClassID(kPolyObjectClassID)) {
        object->DeleteThis();
        return nullptr;
    }
    return static_cast<PolyObject*>(object);
}

ConvertedPolyObject::ConvertedPolyObject(HNodeKit* owner, INode* node, bool bindPose)
    : m_polyObject(nullptr), m_owned(false), m_owner(owner), m_wasEnabled(false), m_wasEnabledInViews(false),
      m_node(node), m_normals(nullptr) {
    m_lock.Enter();
    const TimeValue t = GetCOREInterface()->GetTime();
    if (bindPose) {
        Modifier* skin = HSkinAccess::FindModifier(node, HSkinAccess::SkinClassID());
        if (skin != nullptr && !skin->TestAFlag(kModifierDisabled)) {
            // The user's viewport setting is recorded but never touched.
            m_wasEnabled = true;
            m_wasEnabledInViews = !skin->TestAFlag(kModifierDisabledInViews);
            skin->SetAFlag(kModifierDisabled);
            NotifySkinSwitched(skin);
        }
    }
    const ObjectState& state = node->EvalWorldState(t);
    Object* evaluated = state.obj;
    if (evaluated != nullptr && evaluated->CanConvertToType(ToClassID(kPolyObjectClassID))) {
        Object* converted = evaluated->ConvertToType(t, ToClassID(kPolyObjectClassID));
        if (converted != nullptr) {
            m_polyObject = static_cast<PolyObject*>(converted);
            m_owned = converted != evaluated;
            if (HasDeadStructs(m_polyObject->mm))
                CollapseInOwnCopy();
        }
    }
}

// Dead parts go from a mesh the holder owns, and the skin's points, which
// count the dead vertices too, are told apart through the renumbering.
void ConvertedPolyObject::CollapseInOwnCopy() {
    if (!m_owned) {
        PolyObject* copy = NewPolyObject();
        if (copy == nullptr) {
            m_polyObject = nullptr;
            return;
        }
        copy->mm = m_polyObject->mm;
        m_polyObject = copy;
        m_owned = true;
    }
    MNMesh& mesh = m_polyObject->mm;
    m_vertexRenumbering.Empty();
    m_vertexRenumbering.AddUninitialized(mesh.numv);
    int32_t next = 0;
    for (int i = 0; i < mesh.numv; ++i)
        m_vertexRenumbering[i] = mesh.v[i].GetFlag(MN_DEAD) ? -1 : next++;
    mesh.CollapseDeadStructs();
}

MNNormalSpec* ConvertedPolyObject::GetNormals() {
    if (m_polyObject == nullptr)
        return nullptr;
    if (m_normals == nullptr) {
        MNMesh& mesh = m_polyObject->mm;
        m_normals = new MNNormalSpec;
        if (MNNormalSpec* specified = mesh.GetSpecifiedNormals())
            *m_normals = *specified;
        // Building reads the mesh and writes only this normal set, whose
        // faces must be there first.
        m_normals->SetParent(&mesh);
        m_normals->SetNumFaces(mesh.numf);
        m_normals->BuildNormals();
    }
    return m_normals;
}

ConvertedPolyObject::~ConvertedPolyObject() {
    delete m_normals;
    if (m_wasEnabled) {
        if (Modifier* skin = HSkinAccess::FindModifier(m_node, HSkinAccess::SkinClassID())) {
            skin->ClearAFlag(kModifierDisabled);
            NotifySkinSwitched(skin);
        }
    }
    m_lock.Leave();
    if (m_owned && m_polyObject != nullptr)
        m_polyObject->DeleteThis();
}

} // namespace merrow::platform_3dsmax
