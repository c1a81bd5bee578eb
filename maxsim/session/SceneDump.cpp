#include "SceneDump.h"

#include <charconv>
#include <map>
#include <vector>

#include "max.h"

#include "HostInterface.h"
#include "imtl.h"
#include "inode.h"
#include "iparamb2.h"
#include "iskin.h"
#include "modstack.h"
#include "polyobj.h"

using json = nlohmann::ordered_json;

namespace maxsim {
namespace {
// The shortest decimal that reads back as the same float, as a double.
double Number(float f) {
    char buf[64];
    auto written = std::to_chars(buf, buf + sizeof buf, f);
    double d = f;
    std::from_chars(buf, written.ptr, d);
    return d;
}

// Host text is 8-bit; JSON is UTF-8. Bytes are taken as Latin-1, so
// every name survives and reads back byte for byte.
std::string Text(const char* s) {
    std::string out;
    for (const unsigned char* c = reinterpret_cast<const unsigned char*>(s ? s : ""); *c; ++c)
        if (*c < 0x80)
            out += char(*c);
        else {
            out += char(0xC0 | (*c >> 6));
            out += char(0x80 | (*c & 0x3F));
        }
    return out;
}

json Vector(const Point3& p) {
    return json::array({Number(p.x), Number(p.y), Number(p.z)});
}

json MatrixRows(const Matrix3& m) {
    json rows = json::array();
    for (int i = 0; i < 4; ++i)
        rows.push_back(Vector(m.GetRow(i)));
    return rows;
}

json ClassIdJson(const Class_ID& cid) {
    return json::array({cid.PartA(), cid.PartB()});
}

// Materials in the order of the scene library, then the sub-materials and
// node materials that the library does not hold.
class MaterialTable {
public:
    int Add(Mtl* m) {
        if (!m)
            return -1;
        auto it = m_index.find(m);
        if (it != m_index.end())
            return it->second;
        const int at = int(m_list.size());
        m_index[m] = at;
        m_list.push_back(m);
        for (int i = 0; i < m->NumSubMtls(); ++i)
            Add(m->GetSubMtl(i));
        return at;
    }

    json ToJson() {
        json out = json::array();
        for (size_t i = 0; i < m_list.size(); ++i) {
            Mtl* m = m_list[i];
            json subs = json::array();
            for (int s = 0; s < m->NumSubMtls(); ++s) {
                Mtl* sub = m->GetSubMtl(s);
                subs.push_back(sub ? json(m_index[sub]) : json(nullptr));
            }
            out.push_back(
                {{"name", Text(m->GetName().data())}, {"classID", ClassIdJson(m->ClassID())}, {"subMaterials", subs}});
        }
        return out;
    }

private:
    std::vector<Mtl*> m_list;
    std::map<Mtl*, int> m_index;
};

json MeshJson(MNMesh& mm) {
    json vertices = json::array();
    for (int i = 0; i < mm.numv; ++i)
        vertices.push_back(Vector(mm.P(i)));
    json faces = json::array();
    for (int i = 0; i < mm.numf; ++i) {
        const MNFace* f = mm.F(i);
        faces.push_back({{"vtx", std::vector<int>(f->vtx, f->vtx + f->deg)}, {"material", f->material}});
    }
    json maps = json::array();
    for (int c = 0; c < mm.numm; ++c) {
        MNMap* map = mm.M(c);
        json verts = json::array();
        for (int i = 0; i < map->numv; ++i)
            verts.push_back(Vector(map->v[i]));
        json mapFaces = json::array();
        for (int i = 0; i < map->numf; ++i)
            mapFaces.push_back(std::vector<int>(map->f[i].tv, map->f[i].tv + map->f[i].deg));
        maps.push_back({{"channel", c}, {"dead", map->GetFlag(MN_DEAD)}, {"verts", verts}, {"faces", mapFaces}});
    }
    json normals = nullptr;
    if (MNNormalSpec* normalSpec = mm.GetSpecifiedNormals()) {
        json values = json::array();
        json explicitFlags = json::array();
        for (int i = 0; i < normalSpec->GetNumNormals(); ++i) {
            values.push_back(Vector(normalSpec->Normal(i)));
            explicitFlags.push_back(normalSpec->GetNormalExplicit(i));
        }
        json normalFaces = json::array();
        json specified = json::array();
        for (int i = 0; i < normalSpec->GetNumFaces(); ++i) {
            std::vector<int> ids;
            std::vector<bool> corners;
            for (int c = 0; c < normalSpec->Face(i).GetDegree(); ++c) {
                ids.push_back(normalSpec->Face(i).GetNormalID(c));
                corners.push_back(normalSpec->Face(i).GetSpecified(c));
            }
            normalFaces.push_back(ids);
            specified.push_back(corners);
        }
        // explicit: per normal; specified: per face corner.
        normals = {{"normals", values}, {"explicit", explicitFlags}, {"faces", normalFaces}, {"specified", specified}};
    }
    return {{"vertices", vertices}, {"faces", faces}, {"maps", maps}, {"normals", normals}};
}

// The poly form of obj, or null; a converted copy is deleted afterwards.
template <class Use>
json WithPolyForm(Object* obj, TimeValue t, Use use) {
    const Class_ID poly(POLYOBJ_CLASS_ID, 0);
    if (!obj || !obj->CanConvertToType(poly))
        return nullptr;
    Object* converted = obj->ConvertToType(t, poly);
    if (!converted)
        return nullptr;
    json out = use(static_cast<PolyObject*>(converted)->mm);
    if (converted != obj)
        converted->DeleteThis();
    return out;
}

Modifier* FindSkin(INode* node) {
    Object* obj = node->GetObjectRef();
    while (obj && obj->SuperClassID() == GEN_DERIVOB_CLASS_ID) {
        IDerivedObject* d = static_cast<IDerivedObject*>(obj);
        for (int i = 0; i < d->NumModifiers(); ++i)
            if (d->GetModifier(i) && d->GetModifier(i)->ClassID() == SKIN_CLASSID)
                return d->GetModifier(i);
        obj = d->GetObjRef();
    }
    return nullptr;
}

json SkinJson(INode* node) {
    Modifier* mod = FindSkin(node);
    ISkin* skin = mod ? static_cast<ISkin*>(mod->GetInterface(I_SKIN)) : nullptr;
    if (!skin)
        return nullptr;
    json bones = json::array();
    json initTMs = json::array();
    for (int b = 0; b < skin->GetNumBones(); ++b) {
        INode* bone = skin->GetBone(b);
        bones.push_back(bone ? json(bone->GetHandle()) : json(nullptr));
        Matrix3 tm(TRUE);
        if (bone && skin->GetBoneInitTM(bone, tm, false) == SKIN_OK)
            initTMs.push_back(MatrixRows(tm));
        else
            initTMs.push_back(nullptr);
    }
    json meshInit = nullptr;
    Matrix3 meshTM(TRUE);
    if (skin->GetSkinInitTM(node, meshTM, true) == SKIN_OK)
        meshInit = MatrixRows(meshTM);
    json weights = json::array();
    if (ISkinContextData* ctx = skin->GetContextInterface(node))
        for (int v = 0; v < ctx->GetNumPoints(); ++v) {
            json point = json::array();
            for (int k = 0; k < ctx->GetNumAssignedBones(v); ++k)
                point.push_back(json::array({ctx->GetAssignedBone(v, k), Number(ctx->GetBoneWeight(v, k))}));
            weights.push_back(point);
        }
    mod->ReleaseInterface(I_SKIN, skin);
    return {{"bones", bones}, {"initTMs", initTMs}, {"meshInitTM", meshInit}, {"weights", weights}};
}

json ObjectJson(INode* node) {
    Object* obj = node->GetObjectRef();
    if (!obj)
        return nullptr;
    json modifiers = json::array();
    Object* base = obj;
    while (base && base->SuperClassID() == GEN_DERIVOB_CLASS_ID) {
        IDerivedObject* d = static_cast<IDerivedObject*>(base);
        for (int i = 0; i < d->NumModifiers(); ++i)
            if (Modifier* m = d->GetModifier(i))
                modifiers.push_back({{"classID", ClassIdJson(m->ClassID())},
                                     {"enabled", m->IsEnabled() != 0},
                                     {"enabledInViews", m->IsEnabledInViews() != 0}});
        base = d->GetObjRef();
    }
    if (!base)
        return nullptr;
    return {
        {"superClassID", base->SuperClassID()}, {"classID", ClassIdJson(base->ClassID())}, {"modifiers", modifiers}};
}
} // namespace

json SceneDump::ToJson(HostInterface& host) {
    const TimeValue t = host.GetTime();
    MaterialTable materials;
    MtlBaseLib* lib = host.GetSceneMtls();
    for (int i = 0; i < lib->Count(); ++i)
        if ((*lib)[i] && (*lib)[i]->SuperClassID() == MATERIAL_CLASS_ID)
            materials.Add(static_cast<Mtl*>((*lib)[i]));

    json nodes = json::array();
    for (INode* node : host.AllNodes()) {
        INode* parent = node->GetParentNode();
        json entry;
        entry["handle"] = node->GetHandle();
        entry["name"] = Text(node->GetName());
        entry["parent"] = parent && !parent->IsRootNode() ? json(parent->GetHandle()) : json(nullptr);
        entry["selected"] = node->Selected() != 0;
        entry["nodeTM"] = MatrixRows(node->GetNodeTM(t));
        entry["objectTM"] = MatrixRows(node->GetObjectTM(t));
        entry["bone"] = {{"on", node->GetBoneNodeOnOff() != 0},
                         {"autoAlign", node->GetBoneAutoAlign() != 0},
                         {"freezeLength", node->GetBoneFreezeLen() != 0},
                         {"scaleType", node->GetBoneScaleType()},
                         {"axis", node->GetBoneAxis()},
                         {"axisFlip", node->GetBoneAxisFlip() != 0}};
        entry["object"] = ObjectJson(node);
        Object* base = node->GetObjectRef() ? node->GetObjectRef()->FindBaseObject() : nullptr;
        entry["mesh"] = WithPolyForm(base, t, [](MNMesh& mm) { return MeshJson(mm); });
        const Matrix3 objectTM = node->GetObjectTM(t);
        entry["worldVertices"] = WithPolyForm(node->EvalWorldState(t).obj, t, [&](MNMesh& mm) {
            json points = json::array();
            for (int i = 0; i < mm.numv; ++i)
                points.push_back(Vector(objectTM.PointTransform(mm.P(i))));
            return points;
        });
        const int material = materials.Add(node->GetMtl());
        entry["material"] = material >= 0 ? json(material) : json(nullptr);
        entry["skin"] = SkinJson(node);
        nodes.push_back(entry);
    }
    return {{"time", t}, {"nodes", nodes}, {"materials", materials.ToJson()}};
}

std::string SceneDump::ToText(HostInterface& host, int indent) {
    return ToJson(host).dump(indent);
}
} // namespace maxsim
