#include "ModelLoader.h"

#include "HostInterface.h"

#ifdef MAXSIM_WITH_ASSIMP
#include <assimp/Importer.hpp>
#include <assimp/commonMetaData.h>
#include <assimp/postprocess.h>
#include <assimp/scene.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <set>
#include <unordered_map>
#include <vector>

#include "max.h"

#include "MNNormalSpec.h"
#include "imtl.h"
#include "inode.h"
#include "iparamb2.h"
#include "iskin.h"
#include "istdplug.h"
#include "modstack.h"
#include "polyobj.h"
#include "stdmat.h"
#endif

namespace maxsim {
#ifndef MAXSIM_WITH_ASSIMP
bool ModelLoader::IsAvailable() {
    return false;
}

bool ModelLoader::Load(HostInterface&, const std::string& path, Result&, std::string& error) {
    error = "cannot load \"" + path + "\": this build of the host reads no model files (built without Assimp)";
    return false;
}
#else
namespace {
// Assimp's matrices transform column vectors and are stored row by row
// (a1 a2 a3 a4 is the first row); the host's transform row vectors. Row i
// of the host matrix is column i of Assimp's upper 3x4 part.
Matrix3 ToHost(const aiMatrix4x4& m) {
    Matrix3 r(TRUE);
    r.SetRow(0, Point3(m.a1, m.b1, m.c1));
    r.SetRow(1, Point3(m.a2, m.b2, m.c2));
    r.SetRow(2, Point3(m.a3, m.b3, m.c3));
    r.SetRow(3, Point3(m.a4, m.b4, m.c4));
    r.ValidateFlags();
    return r;
}

float Determinant(const Matrix3& m) {
    return DotProd(m.GetRow(0), CrossProd(m.GetRow(1), m.GetRow(2)));
}

// Y up becomes Z up: a quarter turn about x, (x, y, z) -> (x, -z, y).
Matrix3 YUpToZUp() {
    Matrix3 r(TRUE);
    r.SetRow(0, Point3(1.0f, 0.0f, 0.0f));
    r.SetRow(1, Point3(0.0f, 0.0f, 1.0f));
    r.SetRow(2, Point3(0.0f, -1.0f, 0.0f));
    r.SetRow(3, Point3(0.0f, 0.0f, 0.0f));
    r.ValidateFlags();
    return r;
}

// Scenes from Assimp are Y-up, except where a format keeps its own axes
// and says so in the scene's metadata (FBX: UpAxis 2 is Z).
bool IsZUp(const aiScene* scene) {
    int32_t up = 1;
    return scene->mMetaData && scene->mMetaData->Get("UpAxis", up) && up == 2;
}

// Whether the format ignores the transform of a skinned mesh's node: glTF 2.0
// says so (a skinned mesh's vertices are placed by its joints alone), and
// DirectX skinning draws a skinned .x mesh with the bone matrices alone, its
// frame's own matrix unused; those files' offset matrices are made for that.
// Assimp names the reader that took the file in the scene's metadata.
bool IgnoresSkinnedNodeTransform(const aiScene* scene) {
    aiString format;
    if (!scene->mMetaData || !scene->mMetaData->Get(AI_METADATA_SOURCE_FORMAT, format))
        return false;
    return std::strcmp(format.C_Str(), "glTF2 Importer") == 0 ||
           std::strcmp(format.C_Str(), "Direct3D XFile Importer") == 0;
}

// Float keys compare by value: -0 and 0 are one position.
uint32_t Bits(float f) {
    if (f == 0.0f)
        f = 0.0f;
    uint32_t b;
    std::memcpy(&b, &f, sizeof b);
    return b;
}

// One skin weight of a file vertex: a slot of the node's skin and its weight.
typedef std::pair<int, float> SlotWeight;

struct WeldKey {
    uint32_t x, y, z;
    std::vector<std::pair<int, uint32_t>> weights;
    bool operator==(const WeldKey& o) const { return x == o.x && y == o.y && z == o.z && weights == o.weights; }
};

struct WeldKeyHash {
    size_t operator()(const WeldKey& k) const {
        size_t h = k.x * 73856093u ^ k.y * 19349663u ^ k.z * 83492791u;
        for (const auto& w : k.weights)
            h = h * 31u + size_t(w.first) * 2654435761u + w.second;
        return h;
    }
};

struct Vec3Hash {
    size_t operator()(const std::array<uint32_t, 3>& k) const {
        return k[0] * 73856093u ^ k[1] * 19349663u ^ k[2] * 83492791u;
    }
};
typedef std::unordered_map<std::array<uint32_t, 3>, int, Vec3Hash> PoolIndex;

// The index of p in the pool, where an equal value is shared.
int Pooled(PoolIndex& index, std::vector<Point3>& pool, const Point3& p) {
    const std::array<uint32_t, 3> key{Bits(p.x), Bits(p.y), Bits(p.z)};
    auto it = index.find(key);
    if (it != index.end())
        return it->second;
    index.emplace(key, int(pool.size()));
    pool.push_back(p);
    return int(pool.size()) - 1;
}

class SceneBuilder {
public:
    SceneBuilder(HostInterface& host, const aiScene* scene, ModelLoader::Result& result)
        : m_host(host), m_scene(scene), m_result(result), m_t(host.GetTime()),
          m_fileWorld(IsZUp(scene) ? Matrix3(TRUE) : YUpToZUp()),
          m_ignoreSkinnedNodeTransform(IgnoresSkinnedNodeTransform(scene)) {}

    void Build() {
        FindBones();
        BuildNode(m_scene->mRootNode, nullptr, m_fileWorld);
        for (auto& entry : m_skinned)
            BuildSkin(entry.first, entry.second);
        // Bone objects reach to their first child, as the host draws them.
        for (INode* bone : m_boneObjects)
            bone->ResetBoneStretch(m_t);
        for (unsigned i = 0; i < m_scene->mNumCameras; ++i)
            Skip("camera", m_scene->mCameras[i]->mName);
        for (unsigned i = 0; i < m_scene->mNumLights; ++i)
            Skip("light", m_scene->mLights[i]->mName);
        for (unsigned i = 0; i < m_scene->mNumAnimations; ++i)
            Skip("animation", m_scene->mAnimations[i]->mName);
        m_result.bones = int(m_boneNodes.size()) + m_result.addedBones;
    }

private:
    // A node's skin: its bones in file order and each one's offset matrix.
    struct Skin {
        // The file node of each bone; null for a bone that names no node.
        std::vector<const aiNode*> bones;
        std::vector<std::string> names;
        std::vector<aiMatrix4x4> offsets;
        // Per welded vertex, its weights.
        std::vector<std::vector<SlotWeight>> weights;
    };

    void Info(const std::string& text) {
        m_host.Log()->LogEntry(SYSLOG_INFO, NO_DIALOG, nullptr, const_cast<TCHAR*>("%s"), text.c_str());
    }
    void Warn(const std::string& text) {
        m_host.Log()->LogEntry(SYSLOG_WARN, NO_DIALOG, nullptr, const_cast<TCHAR*>("%s"), text.c_str());
    }
    void Skip(const char* what, const aiString& name) {
        Info(std::string("model file: skipped ") + what + " \"" + name.C_Str() + "\"");
        ++m_result.skipped;
    }

    // Every node that a bone names; the first node of that name, depth first.
    void FindBones() {
        for (unsigned m = 0; m < m_scene->mNumMeshes; ++m) {
            const aiMesh* mesh = m_scene->mMeshes[m];
            for (unsigned b = 0; b < mesh->mNumBones; ++b)
                if (const aiNode* node = m_scene->mRootNode->FindNode(mesh->mBones[b]->mName))
                    m_boneNodes.insert(node);
        }
    }

    std::string UniqueName(const aiNode* node) {
        TSTR name(node->mName.C_Str());
        if (name.Length() == 0 || m_host.GetINodeByName(name.data()))
            m_host.MakeNameUnique(name);
        return std::string(name.data());
    }

    void BuildNode(const aiNode* fileNode, INode* parent, const Matrix3& parentWorld) {
        const Matrix3 world = ToHost(fileNode->mTransformation) * parentWorld;
        Object* obj = nullptr;
        Skin skin;
        Mtl* mtl = nullptr;
        const bool hasMesh = HasPolygons(fileNode);
        // Where the node stands: where the file puts it, or, for a skinned
        // mesh of a format that ignores its node's transform, in the file's
        // world frame, where the file's offset matrices put its points.
        const bool inFileWorld = hasMesh && m_ignoreSkinnedNodeTransform && HasBones(fileNode);
        const Matrix3 placed = inFileWorld ? m_fileWorld : world;
        if (hasMesh) {
            const Matrix3 rigidToObject = world * Inverse(placed);
            obj = BuildPoly(fileNode, skin, mtl, inFileWorld ? &rigidToObject : nullptr);
        } else if (m_boneNodes.count(fileNode))
            obj = static_cast<Object*>(m_host.CreateInstance(GEOMOBJECT_CLASS_ID, BONE_OBJ_CLASSID));
        else
            obj = static_cast<Object*>(m_host.CreateInstance(HELPER_CLASS_ID, Class_ID(DUMMY_CLASS_ID, 0)));
        const std::string name = UniqueName(fileNode);
        INode* node = m_host.CreateObjectNode(obj, name.c_str());
        ++m_result.nodes;
        if (parent)
            parent->AttachChild(node, TRUE);
        node->SetNodeTM(m_t, const_cast<Matrix3&>(placed));
        if (mtl)
            node->SetMtl(mtl);
        if (!hasMesh && m_boneNodes.count(fileNode)) {
            node->SetBoneNodeOnOff(TRUE, m_t);
            node->SetBoneAutoAlign(TRUE);
            node->SetBoneFreezeLen(TRUE);
            node->SetBoneScaleType(BONE_SCALETYPE_SCALE);
            node->SetBoneAxis(BONE_AXIS_X);
            m_boneObjects.push_back(node);
        }
        m_nodes[fileNode] = node;
        if (!skin.bones.empty())
            m_skinned.emplace_back(node, std::move(skin));
        for (unsigned i = 0; i < fileNode->mNumChildren; ++i)
            BuildNode(fileNode->mChildren[i], node, world);
    }

    bool HasBones(const aiNode* node) {
        for (unsigned i = 0; i < node->mNumMeshes; ++i)
            if (m_scene->mMeshes[node->mMeshes[i]]->mNumBones > 0)
                return true;
        return false;
    }

    bool HasPolygons(const aiNode* node) {
        for (unsigned i = 0; i < node->mNumMeshes; ++i) {
            const aiMesh* mesh = m_scene->mMeshes[node->mMeshes[i]];
            for (unsigned f = 0; f < mesh->mNumFaces; ++f)
                if (ModelLoader::IsPolygon(mesh, mesh->mFaces[f]))
                    return true;
        }
        return false;
    }

    Mtl* Material(unsigned index) {
        auto it = m_materials.find(index);
        if (it != m_materials.end())
            return it->second;
        StdMat2* mtl = NewDefaultStdMat();
        aiString name;
        if (index < m_scene->mNumMaterials && m_scene->mMaterials[index]->Get(AI_MATKEY_NAME, name) == AI_SUCCESS &&
            name.length > 0)
            mtl->SetName(TSTR(name.C_Str()));
        m_materials[index] = mtl;
        ++m_result.materials;
        return mtl;
    }

    // The node's meshes as one poly object: per mesh, its points welded, its
    // polygons appended, its normals and texture coordinates per corner.
    // Where the node stands elsewhere than the file puts it (a skinned node
    // whose transform the format ignores), points and normals of a mesh
    // that no bone moves go through rigidToObject, so that the mesh keeps
    // the place the file gives it.
    Object* BuildPoly(const aiNode* fileNode, Skin& skin, Mtl*& mtl, const Matrix3* rigidToObject) {
        const Matrix3 normalToObject = rigidToObject ? Inverse(*rigidToObject) : Matrix3(TRUE);
        PolyObject* poly = static_cast<PolyObject*>(
            static_cast<Object*>(m_host.CreateInstance(GEOMOBJECT_CLASS_ID, Class_ID(POLYOBJ_CLASS_ID, 0))));
        MNMesh& mm = poly->mm;
        std::vector<Point3> points;
        std::vector<std::vector<int>> faceVerts;
        std::vector<MtlID> faceMtls;
        std::vector<std::vector<int>> faceNormals;
        std::vector<Point3> normals;
        bool anyNormals = false;
        unsigned channels = 0;
        std::vector<std::vector<Point3>> coords;               // per channel
        std::vector<std::vector<std::vector<int>>> faceCoords; // per channel, per face
        std::vector<unsigned> mtlSlots;                        // file material per slot
        PoolIndex normalIndex;
        std::vector<PoolIndex> coordIndex;
        std::map<std::pair<const aiNode*, std::string>, int> slotOf;
        bool vertexColours = false;

        for (unsigned i = 0; i < fileNode->mNumMeshes; ++i) {
            const aiMesh* mesh = m_scene->mMeshes[fileNode->mMeshes[i]];
            unsigned meshChannels = 0;
            while (meshChannels < AI_MAX_NUMBER_OF_TEXTURECOORDS && mesh->mTextureCoords[meshChannels])
                ++meshChannels;
            channels = std::max(channels, meshChannels);
            vertexColours = vertexColours || mesh->mColors[0];
        }
        coords.resize(channels);
        faceCoords.resize(channels);
        coordIndex.resize(channels);

        for (unsigned i = 0; i < fileNode->mNumMeshes; ++i) {
            const aiMesh* mesh = m_scene->mMeshes[fileNode->mMeshes[i]];
            ++m_result.fileMeshes;
            // The mesh's skin weights per file vertex, as slots of the node's skin.
            std::vector<std::vector<SlotWeight>> vertexWeights(mesh->mNumVertices);
            for (unsigned b = 0; b < mesh->mNumBones; ++b) {
                const aiBone* bone = mesh->mBones[b];
                const aiNode* boneNode = m_scene->mRootNode->FindNode(bone->mName);
                // A bone that names no node is known by its name alone.
                const auto id = std::make_pair(boneNode, std::string(boneNode ? "" : bone->mName.C_Str()));
                auto found = slotOf.find(id);
                int slot;
                if (found == slotOf.end()) {
                    slot = int(skin.bones.size());
                    slotOf[id] = slot;
                    skin.bones.push_back(boneNode);
                    skin.names.push_back(bone->mName.C_Str());
                    skin.offsets.push_back(bone->mOffsetMatrix);
                } else {
                    slot = found->second;
                    if (!(skin.offsets[size_t(slot)] == bone->mOffsetMatrix))
                        Warn(std::string("model file: bone \"") + bone->mName.C_Str() +
                             "\" has another bind pose in mesh \"" + mesh->mName.C_Str() +
                             "\" than in an earlier mesh of its node; the first is kept");
                }
                for (unsigned w = 0; w < bone->mNumWeights; ++w) {
                    const aiVertexWeight& vw = bone->mWeights[w];
                    if (vw.mVertexId < mesh->mNumVertices)
                        vertexWeights[vw.mVertexId].emplace_back(slot, vw.mWeight);
                }
            }

            const bool moved = rigidToObject && mesh->mNumBones == 0;
            auto position = [&](unsigned v) {
                const aiVector3D& p = mesh->mVertices[v];
                return moved ? rigidToObject->PointTransform(Point3(p.x, p.y, p.z)) : Point3(p.x, p.y, p.z);
            };
            // Normals go through the inverse transpose, which keeps them
            // perpendicular to their faces under any scale.
            auto normal = [&](unsigned v) {
                const Point3 n(mesh->mNormals[v].x, mesh->mNormals[v].y, mesh->mNormals[v].z);
                if (!moved)
                    return n;
                return Normalize(Point3(DotProd(n, normalToObject.GetRow(0)), DotProd(n, normalToObject.GetRow(1)),
                                        DotProd(n, normalToObject.GetRow(2))));
            };

            // Weld: one vertex per position and set of weights.
            std::unordered_map<WeldKey, int, WeldKeyHash> welded;
            std::vector<int> vertexOf(mesh->mNumVertices, -1);
            auto vertex = [&](unsigned v) {
                if (vertexOf[v] >= 0)
                    return vertexOf[v];
                const Point3 p = position(v);
                WeldKey key{Bits(p.x), Bits(p.y), Bits(p.z), {}};
                for (const SlotWeight& w : vertexWeights[v])
                    key.weights.emplace_back(w.first, Bits(w.second));
                auto it = welded.find(key);
                if (it == welded.end()) {
                    it = welded.emplace(std::move(key), int(points.size())).first;
                    points.push_back(p);
                    skin.weights.push_back(vertexWeights[v]);
                }
                return vertexOf[v] = it->second;
            };

            // The material slot of this mesh's faces.
            MtlID mtlSlot = 0;
            {
                auto it = std::find(mtlSlots.begin(), mtlSlots.end(), mesh->mMaterialIndex);
                mtlSlot = MtlID(it - mtlSlots.begin());
                if (it == mtlSlots.end())
                    mtlSlots.push_back(mesh->mMaterialIndex);
            }

            unsigned dropped = 0;
            for (unsigned f = 0; f < mesh->mNumFaces; ++f) {
                const aiFace& face = mesh->mFaces[f];
                if (!ModelLoader::IsPolygon(mesh, face)) {
                    ++dropped;
                    continue;
                }
                std::vector<int> corners, cornerNormals;
                for (unsigned c = 0; c < face.mNumIndices; ++c) {
                    const unsigned v = face.mIndices[c];
                    corners.push_back(vertex(v));
                    if (mesh->mNormals) {
                        cornerNormals.push_back(Pooled(normalIndex, normals, normal(v)));
                    } else {
                        cornerNormals.push_back(-1);
                    }
                }
                anyNormals = anyNormals || mesh->mNormals;
                for (unsigned k = 0; k < channels; ++k) {
                    std::vector<int> tv;
                    for (unsigned c = 0; c < face.mNumIndices; ++c) {
                        Point3 uv(0.0f, 0.0f, 0.0f);
                        if (mesh->mTextureCoords[k]) {
                            const aiVector3D& t = mesh->mTextureCoords[k][face.mIndices[c]];
                            uv = Point3(t.x, t.y, mesh->mNumUVComponents[k] > 2 ? t.z : 0.0f);
                        }
                        tv.push_back(Pooled(coordIndex[k], coords[k], uv));
                    }
                    faceCoords[k].push_back(tv);
                }
                faceVerts.push_back(corners);
                faceNormals.push_back(cornerNormals);
                faceMtls.push_back(mtlSlot);
            }
            if (dropped) {
                Info("model file: mesh \"" + std::string(mesh->mName.C_Str()) + "\": left out " +
                     std::to_string(dropped) + " points, lines or polygons with corners at one position");
                ++m_result.skipped;
            }
        }
        if (vertexColours) {
            Info("model file: node \"" + std::string(fileNode->mName.C_Str()) + "\": skipped vertex colours");
            ++m_result.skipped;
        }

        mm.VAlloc(int(points.size()));
        for (Point3& p : points)
            mm.NewVert(p);
        mm.FAlloc(int(faceVerts.size()));
        mm.VEdgeAlloc();
        mm.VFaceAlloc();
        for (size_t f = 0; f < faceVerts.size(); ++f) {
            const int fi = mm.CreateFace(int(faceVerts[f].size()), faceVerts[f].data());
            if (fi >= 0)
                mm.F(fi)->material = faceMtls[f];
        }
        // The edges and the vertices' lists, once all faces are in: the
        // mesh enters the pipeline filled in.
        mm.FillInMesh();

        if (channels > 0) {
            mm.SetMapNum(int(channels) + 1);
            for (unsigned k = 0; k < channels; ++k) {
                const int channel = int(k) + 1;
                mm.InitMap(channel);
                MNMap* map = mm.M(channel);
                map->setNumVerts(int(coords[k].size()));
                for (size_t i = 0; i < coords[k].size(); ++i)
                    map->v[i] = coords[k][i];
                for (int f = 0; f < mm.numf; ++f)
                    map->f[f].MakePoly(int(faceCoords[k][size_t(f)].size()), faceCoords[k][size_t(f)].data());
            }
        }

        // Explicit normals; a mesh of the node without normals of its own
        // takes the face's normal at its corners.
        if (anyNormals) {
            for (int f = 0; f < mm.numf; ++f)
                for (int& n : faceNormals[size_t(f)])
                    if (n < 0) {
                        const Point3 fn = mm.GetFaceNormal(f, true);
                        n = Pooled(normalIndex, normals, fn);
                    }
            // Every corner's normal is given: the normal faces are made here
            // (SpecifyNormals makes none), each corner specified and every
            // normal explicit, so that nothing is left for the host to build.
            mm.SpecifyNormals();
            MNNormalSpec* spec = mm.GetSpecifiedNormals();
            spec->SetParent(&mm);
            spec->SetNumFaces(mm.numf);
            spec->SetNumNormals(int(normals.size()));
            for (size_t i = 0; i < normals.size(); ++i)
                spec->Normal(int(i)) = normals[i];
            spec->SetAllExplicit(true);
            for (int f = 0; f < mm.numf; ++f) {
                spec->Face(f).SetDegree(mm.F(f)->deg);
                for (int c = 0; c < mm.F(f)->deg; ++c)
                    spec->SetNormalIndex(f, c, faceNormals[size_t(f)][size_t(c)]);
            }
            spec->SetFlag(MNNORMAL_NORMALS_BUILT);
            spec->CheckNormals();
        }
        mm.PrepForPipeline();

        if (mtlSlots.size() == 1) {
            mtl = Material(mtlSlots[0]);
        } else if (mtlSlots.size() > 1) {
            MultiMtl* multi = NewDefaultMultiMtl();
            multi->SetNumSubMtls(int(mtlSlots.size()));
            for (size_t i = 0; i < mtlSlots.size(); ++i)
                multi->SetSubMtl(int(i), Material(mtlSlots[i]));
            ++m_result.materials;
            mtl = multi;
        }

        ++m_result.meshNodes;
        m_result.polygons += mm.numf;
        m_result.vertices += mm.numv;
        if (skin.bones.empty())
            skin.weights.clear();
        return poly;
    }

    // The skin: its bones' init transforms put the node's points, as they
    // stand in the node's object space, into each bone's space exactly as
    // the file's offset matrix does.
    void BuildSkin(INode* node, Skin& skin) {
        IDerivedObject* derived = CreateDerivedObject(node->GetObjectRef());
        Modifier* modifier = static_cast<Modifier*>(m_host.CreateInstance(OSM_CLASS_ID, SKIN_CLASSID));
        derived->AddModifier(modifier);
        node->SetObjectRef(derived);
        ISkinImportData* import = static_cast<ISkinImportData*>(modifier->GetInterface(I_SKINIMPORTDATA));
        std::vector<INode*> bones;
        for (size_t b = 0; b < skin.bones.size(); ++b) {
            bones.push_back(skin.bones[b] ? m_nodes[skin.bones[b]] : MissingBone(node, skin.names[b], skin.offsets[b]));
            import->AddBoneEx(bones.back(), b + 1 == skin.bones.size());
        }
        // The skin has data for the node once it has run for it.
        node->EvalWorldState(m_t);
        const Matrix3 bind = node->GetObjectTM(m_t);
        const Matrix3 nodeBind = node->GetNodeTM(m_t);
        import->SetSkinTm(node, bind, nodeBind);
        for (size_t b = 0; b < bones.size(); ++b) {
            const Matrix3 offset = ToHost(skin.offsets[b]);
            Matrix3 init = bones[b]->GetNodeTM(m_t);
            if (std::fabs(Determinant(offset)) > 1e-12f)
                init = Inverse(offset) * bind;
            else
                Warn(std::string("model file: bone \"") + bones[b]->GetName() +
                     "\" has a singular offset matrix; its current pose is taken as its bind pose");
            import->SetBoneTm(bones[b], init, init);
        }
        for (size_t v = 0; v < skin.weights.size(); ++v) {
            if (skin.weights[v].empty())
                continue;
            Tab<INode*> boneTab;
            Tab<float> weightTab;
            for (const SlotWeight& w : skin.weights[v]) {
                INode* bone = bones[size_t(w.first)];
                float weight = w.second;
                boneTab.Append(1, &bone);
                weightTab.Append(1, &weight);
            }
            if (import->AddWeights(node, int(v), boneTab, weightTab))
                m_result.weights += boneTab.Count();
        }
        modifier->ReleaseInterface(I_SKINIMPORTDATA, import);
        // The evaluation above left a result in the derived object's cache,
        // made before the skin had weights: every point stood where it was.
        // The skin says that it changed, so that the derived object drops
        // that result and the node's dependents hear of it.
        modifier->NotifyDependents(FOREVER, PART_GEOM, REFMSG_CHANGE);
        ++m_result.skins;
    }

    // A bone node for a bone that names no node of the file, so that its
    // weights are kept: a bone object under the file's root, standing in
    // its bind pose. Skins of other nodes that name it share it.
    INode* MissingBone(INode* skinned, const std::string& name, const aiMatrix4x4& offset) {
        auto it = m_missingBones.find(name);
        if (it != m_missingBones.end())
            return it->second;
        TSTR unique(name.c_str());
        if (unique.Length() == 0 || m_host.GetINodeByName(unique.data()))
            m_host.MakeNameUnique(unique);
        INode* bone = m_host.CreateObjectNode(
            static_cast<Object*>(m_host.CreateInstance(GEOMOBJECT_CLASS_ID, BONE_OBJ_CLASSID)), unique.data());
        m_nodes[m_scene->mRootNode]->AttachChild(bone, TRUE);
        const Matrix3 offsetTM = ToHost(offset);
        Matrix3 tm = skinned->GetObjectTM(m_t);
        if (std::fabs(Determinant(offsetTM)) > 1e-12f)
            tm = Inverse(offsetTM) * tm;
        bone->SetNodeTM(m_t, tm);
        bone->SetBoneNodeOnOff(TRUE, m_t);
        bone->SetBoneAutoAlign(TRUE);
        bone->SetBoneFreezeLen(TRUE);
        bone->SetBoneScaleType(BONE_SCALETYPE_SCALE);
        bone->SetBoneAxis(BONE_AXIS_X);
        Warn("model file: bone \"" + name + "\" names no node; added as bone node \"" + unique.data() +
             "\" in its bind pose");
        m_missingBones[name] = bone;
        ++m_result.nodes;
        ++m_result.addedBones;
        return bone;
    }

    HostInterface& m_host;
    const aiScene* m_scene;
    ModelLoader::Result& m_result;
    TimeValue m_t;
    // The file's world frame in the host: its root's parent transform.
    const Matrix3 m_fileWorld;
    const bool m_ignoreSkinnedNodeTransform;
    std::set<const aiNode*> m_boneNodes;
    std::map<const aiNode*, INode*> m_nodes;
    std::map<unsigned, Mtl*> m_materials;
    std::vector<std::pair<INode*, Skin>> m_skinned;
    std::vector<INode*> m_boneObjects;
    std::map<std::string, INode*> m_missingBones;
};
} // namespace

bool ModelLoader::IsAvailable() {
    return true;
}

bool ModelLoader::IsPolygon(const aiMesh* mesh, const aiFace& face) {
    if (face.mNumIndices < 3)
        return false;
    for (unsigned a = 0; a < face.mNumIndices; ++a)
        for (unsigned b = a + 1; b < face.mNumIndices; ++b)
            if (mesh->mVertices[face.mIndices[a]] == mesh->mVertices[face.mIndices[b]])
                return false;
    return true;
}

bool ModelLoader::Load(HostInterface& host, const std::string& path, Result& result, std::string& error) {
    result = Result();
    Assimp::Importer importer;
    // No post-processing that changes the file's polygons or points: the
    // validation only refuses scenes whose lists do not fit together.
    const aiScene* scene = importer.ReadFile(path, aiProcess_ValidateDataStructure);
    if (!scene || !scene->mRootNode) {
        const char* reason = importer.GetErrorString();
        error = "cannot load \"" + path + "\": " + (reason && *reason ? reason : "the file holds no scene");
        return false;
    }
    SceneBuilder(host, scene, result).Build();
    return true;
}
#endif
} // namespace maxsim
