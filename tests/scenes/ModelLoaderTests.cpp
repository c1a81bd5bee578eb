// ModelLoader: model files in the host scene, held to what Assimp reads
// from the same files.
#include "SceneSupport.h"

#include <cmath>
#include <fstream>

#include "max.h"

#include "MNNormalSpec.h"
#include "polyobj.h"

using namespace scenes;

namespace {
// The host objects of a loaded node.
struct HostMesh {
    PolyObject* base = nullptr; // the poly object below any modifier
    Modifier* skin = nullptr;
};

HostMesh MeshOf(INode* node) {
    HostMesh m;
    Object* obj = node->GetObjectRef();
    while (obj && obj->SuperClassID() == GEN_DERIVOB_CLASS_ID) {
        IDerivedObject* d = static_cast<IDerivedObject*>(obj);
        for (int i = 0; i < d->NumModifiers(); ++i)
            if (d->GetModifier(i)->ClassID() == SKIN_CLASSID)
                m.skin = d->GetModifier(i);
        obj = d->GetObjRef();
    }
    if (obj && obj->ClassID() == Class_ID(POLYOBJ_CLASS_ID, 0))
        m.base = static_cast<PolyObject*>(obj);
    return m;
}

class ModelLoaderTest : public MaxsimTest {
protected:
    maxsim::ModelLoader::Result Load(const fs::path& path) {
        maxsim::ModelLoader::Result result;
        std::string error;
        EXPECT_TRUE(maxsim::ModelLoader::Load(Host(), path.string(), result, error)) << error;
        return result;
    }
};

struct Model {
    const char* path;
    // As `assimp info` counts them: nodes, meshes, faces, bones.
    int nodes, meshes, polygons, bones;
    // Bones that name no node of the file; they get nodes of their own.
    int addedBones;
    // The farthest the skin moves a point from where its node alone puts
    // it: how far the bones' pose in the file is from their bind pose.
    float moved;
};

void PrintTo(const Model& model, std::ostream* os) {
    *os << model.path;
}

const Model kModels[] = {
    {"glTF2/simple_skin/simple_skin.gltf", 3, 1, 8, 2, 0, 0.5f},
    {"X/anim_test.x", 5, 1, 840, 4, 2, 0.0666f},
    // Three skinned meshes whose frames carry transforms of their own, which
    // the format ignores for a skinned mesh.
    {"X/BCN_Epileptic.X", 58, 3, 5126, 54, 0, 0.0f},
    {"Collada/cube_with_2UVs.DAE", 3, 1, 12, 0, 0, 0.0f},
    {"Collada/teapots.DAE", 4, 3, 2976, 0, 0, 0.0f},
    // The bone stands a translation of (-2, 2, 1) from its bind pose: the
    // skin moves every point by that.
    {"Collada/box_nested_animation.dae", 4, 1, 12, 1, 0, 3.0f},
};

// One model of the package, as Assimp reads it and as loaded into the host;
// the file's nodes in depth-first order, and the host's nodes in theirs.
class NamedModelTest : public ModelLoaderTest, public ::testing::WithParamInterface<Model> {
protected:
    void SetUp() override {
        ModelLoaderTest::SetUp();
        const fs::path path = ModelPath(GetParam().path);
        SKIP_WITHOUT_MODEL(path);
        m_file = std::make_unique<FileScene>(path);
        ASSERT_TRUE(m_file->scene) << m_file->importer.GetErrorString();
        m_result = Load(path);
        CollectNodes(m_file->scene->mRootNode, m_fileNodes);
        m_hostNodes = Host().AllNodes();
    }

    std::unique_ptr<FileScene> m_file;
    maxsim::ModelLoader::Result m_result;
    std::vector<const aiNode*> m_fileNodes;
    std::vector<INode*> m_hostNodes;
};

std::string Name(const ::testing::TestParamInfo<Model>& info) {
    return TestNameOf(info.param.path);
}
} // namespace

// Nodes, meshes, polygons and bones of the file stand in the scene; weights
// and vertices as the file's points give them once coinciding points with
// the same weights are one vertex.
TEST_P(NamedModelTest, LoadedSceneKeepsTheFileCounts) {
    const Model& model = GetParam();
    const FileScene& file = *m_file;
    const maxsim::ModelLoader::Result& r = m_result;
    const std::vector<const aiNode*>& fileNodes = m_fileNodes;
    ASSERT_EQ(int(fileNodes.size()), model.nodes);
    EXPECT_EQ(r.nodes, model.nodes + model.addedBones);
    EXPECT_EQ(r.addedBones, model.addedBones);
    EXPECT_EQ(int(Host().AllNodes().size()), model.nodes + model.addedBones);
    EXPECT_EQ(r.fileMeshes, model.meshes);
    EXPECT_EQ(r.polygons, model.polygons);
    EXPECT_EQ(r.bones, model.bones);

    // The distinct (position, weights) points that the polygons use, and
    // their weights, per mesh.
    int vertices = 0, weights = 0, polygons = 0, meshNodes = 0;
    for (const aiNode* n : MeshNodes(file.scene)) {
        ++meshNodes;
        for (unsigned i = 0; i < n->mNumMeshes; ++i) {
            const aiMesh* mesh = file.scene->mMeshes[n->mMeshes[i]];
            std::vector<std::vector<std::pair<std::string, float>>> w(mesh->mNumVertices);
            for (unsigned b = 0; b < mesh->mNumBones; ++b)
                for (unsigned k = 0; k < mesh->mBones[b]->mNumWeights; ++k)
                    w[mesh->mBones[b]->mWeights[k].mVertexId].emplace_back(mesh->mBones[b]->mName.C_Str(),
                                                                           mesh->mBones[b]->mWeights[k].mWeight);
            std::set<std::pair<std::vector<float>, std::vector<std::pair<std::string, float>>>> points;
            for (unsigned f = 0; f < mesh->mNumFaces; ++f) {
                if (!maxsim::ModelLoader::IsPolygon(mesh, mesh->mFaces[f]))
                    continue;
                ++polygons;
                for (unsigned c = 0; c < mesh->mFaces[f].mNumIndices; ++c) {
                    const unsigned v = mesh->mFaces[f].mIndices[c];
                    const aiVector3D& p = mesh->mVertices[v];
                    points.insert({{p.x + 0.0f, p.y + 0.0f, p.z + 0.0f}, w[v]});
                }
            }
            vertices += int(points.size());
            for (const auto& p : points)
                weights += int(p.second.size());
        }
    }
    EXPECT_EQ(polygons, model.polygons);
    EXPECT_EQ(r.meshNodes, meshNodes);
    EXPECT_EQ(r.vertices, vertices);
    EXPECT_EQ(r.weights, weights);
    EXPECT_EQ(r.skins > 0, model.bones > 0);

    // The scene itself agrees with what the loader says it built.
    int hostPolys = 0, hostVerts = 0, hostMeshes = 0, hostWeights = 0;
    std::set<INode*> hostBones;
    for (INode* node : Host().AllNodes()) {
        const HostMesh m = MeshOf(node);
        if (!m.base)
            continue;
        ++hostMeshes;
        hostPolys += m.base->mm.numf;
        hostVerts += m.base->mm.numv;
        if (!m.skin)
            continue;
        ISkin* skin = SkinOf(m.skin);
        for (int b = 0; b < skin->GetNumBones(); ++b)
            hostBones.insert(skin->GetBone(b));
        ISkinContextData* ctx = skin->GetContextInterface(node);
        ASSERT_TRUE(ctx);
        for (int v = 0; v < ctx->GetNumPoints(); ++v)
            hostWeights += ctx->GetNumAssignedBones(v);
        m.skin->ReleaseInterface(I_SKIN, skin);
    }
    EXPECT_EQ(hostMeshes, meshNodes);
    EXPECT_EQ(hostPolys, model.polygons);
    EXPECT_EQ(hostVerts, vertices);
    EXPECT_EQ(int(hostBones.size()), model.bones);
    EXPECT_EQ(hostWeights, weights);
}

// Each polygon corner of the file is a corner of the host's polygon with the
// same position (object space), weights, normal, texture coordinates per
// channel and material.
TEST_P(NamedModelTest, CornersKeepTheFileData) {
    const FileScene& file = *m_file;
    const std::vector<const aiNode*>& fileNodes = m_fileNodes;
    const std::vector<INode*>& hostNodes = m_hostNodes;
    ASSERT_GE(hostNodes.size(), fileNodes.size());
    for (size_t n = 0; n < fileNodes.size(); ++n) {
        const aiNode* fileNode = fileNodes[n];
        INode* node = hostNodes[n];
        const HostMesh m = MeshOf(node);
        if (!m.base)
            continue;
        MNMesh& mm = m.base->mm;
        ISkin* skin = m.skin ? SkinOf(m.skin) : nullptr;
        ISkinContextData* ctx = skin ? skin->GetContextInterface(node) : nullptr;
        MNNormalSpec* normals = mm.GetSpecifiedNormals();
        int hostFace = 0;
        std::vector<unsigned> materials;
        for (unsigned i = 0; i < fileNode->mNumMeshes; ++i) {
            const aiMesh* mesh = file.scene->mMeshes[fileNode->mMeshes[i]];
            if (std::find(materials.begin(), materials.end(), mesh->mMaterialIndex) == materials.end())
                materials.push_back(mesh->mMaterialIndex);
            const MtlID slot =
                MtlID(std::find(materials.begin(), materials.end(), mesh->mMaterialIndex) - materials.begin());
            for (unsigned f = 0; f < mesh->mNumFaces; ++f) {
                const aiFace& face = mesh->mFaces[f];
                if (!maxsim::ModelLoader::IsPolygon(mesh, face))
                    continue;
                ASSERT_LT(hostFace, mm.numf);
                MNFace* hf = mm.F(hostFace);
                ASSERT_EQ(hf->deg, int(face.mNumIndices));
                EXPECT_EQ(hf->material, slot);
                for (unsigned c = 0; c < face.mNumIndices; ++c) {
                    const unsigned v = face.mIndices[c];
                    const int hv = hf->vtx[c];
                    const aiVector3D& p = mesh->mVertices[v];
                    ASSERT_EQ(mm.P(hv), Point3(p.x, p.y, p.z)) << "face " << f << " corner " << c;
                    if (mesh->mNormals) {
                        ASSERT_TRUE(normals);
                        const aiVector3D& fn = mesh->mNormals[v];
                        EXPECT_EQ(normals->Normal(normals->GetNormalIndex(hostFace, int(c))), Point3(fn.x, fn.y, fn.z));
                    }
                    for (unsigned k = 0; mesh->mTextureCoords[k] && k < AI_MAX_NUMBER_OF_TEXTURECOORDS; ++k) {
                        MNMap* map = mm.M(int(k) + 1);
                        ASSERT_TRUE(map && !map->GetFlag(MN_DEAD));
                        const UVVert uv = map->v[map->f[hostFace].tv[c]];
                        EXPECT_EQ(uv.x, mesh->mTextureCoords[k][v].x);
                        EXPECT_EQ(uv.y, mesh->mTextureCoords[k][v].y);
                    }
                    // The weights: same bones (by name) and values, in file order.
                    std::vector<std::pair<std::string, float>> expected, actual;
                    for (unsigned b = 0; b < mesh->mNumBones; ++b)
                        for (unsigned k = 0; k < mesh->mBones[b]->mNumWeights; ++k)
                            if (mesh->mBones[b]->mWeights[k].mVertexId == v)
                                expected.emplace_back(mesh->mBones[b]->mName.C_Str(),
                                                      mesh->mBones[b]->mWeights[k].mWeight);
                    if (ctx)
                        for (int k = 0; k < ctx->GetNumAssignedBones(hv); ++k)
                            actual.emplace_back(skin->GetBone(ctx->GetAssignedBone(hv, k))->GetName(),
                                                ctx->GetBoneWeight(hv, k));
                    ASSERT_EQ(actual, expected) << "face " << f << " corner " << c;
                }
                ++hostFace;
            }
        }
        EXPECT_EQ(hostFace, mm.numf);
        if (skin)
            m.skin->ReleaseInterface(I_SKIN, skin);
        // One material, or a multi/sub-object material with one slot per
        // file material in the order of first use, each named as in the file.
        Mtl* mtl = node->GetMtl();
        ASSERT_TRUE(mtl);
        for (size_t s = 0; s < materials.size(); ++s) {
            Mtl* sub = materials.size() == 1 ? mtl : mtl->GetSubMtl(int(s));
            ASSERT_TRUE(sub);
            aiString name;
            if (file.scene->mMaterials[materials[s]]->Get(AI_MATKEY_NAME, name) == AI_SUCCESS && name.length) {
                EXPECT_STREQ(sub->GetName().data(), name.C_Str());
            }
        }
    }
}

// Every point of a skinned mesh stands where the file's skinning puts it:
// the weighted sum of global(bone) * offset(bone) * point, recomputed here
// from the file; points without weights stay where the file places the
// mesh's points (SkinSpace).
TEST_P(NamedModelTest, SkinnedPointsAreTheLinearBlendOfTheBindPose) {
    const FileScene& file = *m_file;
    const std::vector<const aiNode*>& fileNodes = m_fileNodes;
    const std::vector<INode*>& hostNodes = m_hostNodes;
    int checked = 0;
    for (size_t n = 0; n < fileNodes.size(); ++n) {
        const aiNode* fileNode = fileNodes[n];
        const HostMesh m = MeshOf(hostNodes[n]);
        if (!m.base)
            continue;
        const std::vector<Point3> world = WorldPoints(hostNodes[n]);
        int hostFace = 0;
        for (unsigned i = 0; i < fileNode->mNumMeshes; ++i) {
            const aiMesh* mesh = file.scene->mMeshes[fileNode->mMeshes[i]];
            const Matrix3 skinSpace = SkinSpace(file.scene, fileNode, mesh);
            // Per point: the weighted sum and the total weight.
            std::vector<Point3> sum(mesh->mNumVertices, Point3(0.0f, 0.0f, 0.0f));
            std::vector<float> total(mesh->mNumVertices, 0.0f);
            for (unsigned b = 0; b < mesh->mNumBones; ++b) {
                const aiBone* bone = mesh->mBones[b];
                const aiNode* boneNode = file.scene->mRootNode->FindNode(bone->mName);
                for (unsigned k = 0; k < bone->mNumWeights; ++k) {
                    const unsigned v = bone->mWeights[k].mVertexId;
                    // A bone that names no node stands in its bind pose.
                    const Point3 at =
                        boneNode ? HostWorld(file.scene, boneNode)
                                       .PointTransform(Skinned(aiMatrix4x4(), bone->mOffsetMatrix, mesh->mVertices[v]))
                                 : skinSpace.PointTransform(
                                       Point3(mesh->mVertices[v].x, mesh->mVertices[v].y, mesh->mVertices[v].z));
                    sum[v] += at * bone->mWeights[k].mWeight;
                    total[v] += bone->mWeights[k].mWeight;
                }
            }
            for (unsigned f = 0; f < mesh->mNumFaces; ++f) {
                const aiFace& face = mesh->mFaces[f];
                if (!maxsim::ModelLoader::IsPolygon(mesh, face))
                    continue;
                for (unsigned c = 0; c < face.mNumIndices; ++c) {
                    const unsigned v = face.mIndices[c];
                    const aiVector3D& p = mesh->mVertices[v];
                    const Point3 expected =
                        total[v] != 0.0f ? sum[v] / total[v] : skinSpace.PointTransform(Point3(p.x, p.y, p.z));
                    const Point3 actual = world[size_t(m.base->mm.F(hostFace)->vtx[c])];
                    const float tolerance = 1e-4f * std::max(1.0f, expected.Length());
                    ASSERT_NEAR(actual.x, expected.x, tolerance) << "face " << f << " corner " << c;
                    ASSERT_NEAR(actual.y, expected.y, tolerance) << "face " << f << " corner " << c;
                    ASSERT_NEAR(actual.z, expected.z, tolerance) << "face " << f << " corner " << c;
                    ++checked;
                }
                ++hostFace;
            }
        }
    }
    EXPECT_GT(checked, 0);
}

// The evaluated mesh is what the skin's own records give: each point p of
// the object below the skin, by linear blend skinning,
//   world = sum_i w_i * (p * meshBind * init_i^-1 * current_i) / sum_i w_i
// from the skin's mesh bind transform (GetSkinInitTM), each bone's init
// transform (GetBoneInitTM) and where the bone stands now; a point without
// weights stays where its node puts it. The loaded bones keep their length,
// so their stretch is none. Held to the model's figure of how far the skin
// moves a point, so that a skin whose result was never recomputed after its
// weights came in (every point left where it was) cannot pass.
TEST_P(NamedModelTest, EvaluatedMeshIsTheLinearBlendOfWhatTheSkinRecords) {
    int skinned = 0;
    float moved = 0.0f;
    for (INode* node : m_hostNodes) {
        const HostMesh m = MeshOf(node);
        if (!m.base || !m.skin)
            continue;
        ++skinned;
        ISkin* skin = SkinOf(m.skin);
        ISkinContextData* ctx = skin->GetContextInterface(node);
        ASSERT_TRUE(ctx);
        Matrix3 meshBind(TRUE);
        ASSERT_EQ(skin->GetSkinInitTM(node, meshBind, true), SKIN_OK);
        std::vector<Matrix3> boneTMs(size_t(skin->GetNumBones()), Matrix3(TRUE));
        for (int b = 0; b < skin->GetNumBones(); ++b) {
            INode* bone = skin->GetBone(b);
            ASSERT_TRUE(bone);
            Matrix3 init(TRUE);
            ASSERT_EQ(skin->GetBoneInitTM(bone, init, false), SKIN_OK);
            boneTMs[size_t(b)] = meshBind * Inverse(init) * bone->GetNodeTM(Now());
        }
        const Matrix3 objectTM = node->GetObjectTM(Now());
        const std::vector<Point3> world = WorldPoints(node);
        MNMesh& mm = m.base->mm;
        ASSERT_EQ(int(world.size()), mm.numv);
        ASSERT_EQ(ctx->GetNumPoints(), mm.numv);
        for (int v = 0; v < mm.numv; ++v) {
            const Point3 p = mm.P(v);
            Point3 sum(0.0f, 0.0f, 0.0f);
            float total = 0.0f;
            for (int k = 0; k < ctx->GetNumAssignedBones(v); ++k) {
                const float w = ctx->GetBoneWeight(v, k);
                sum += boneTMs[size_t(ctx->GetAssignedBone(v, k))].PointTransform(p) * w;
                total += w;
            }
            const Point3 still = objectTM.PointTransform(p);
            const Point3 expected = total != 0.0f ? sum / total : still;
            const float tolerance = 1e-4f * std::max(1.0f, expected.Length());
            ASSERT_NEAR(world[size_t(v)].x, expected.x, tolerance) << node->GetName() << " point " << v;
            ASSERT_NEAR(world[size_t(v)].y, expected.y, tolerance) << node->GetName() << " point " << v;
            ASSERT_NEAR(world[size_t(v)].z, expected.z, tolerance) << node->GetName() << " point " << v;
            moved = std::max(moved, (expected - still).Length());
        }
        m.skin->ReleaseInterface(I_SKIN, skin);
    }
    EXPECT_EQ(skinned > 0, GetParam().bones > 0);
    EXPECT_NEAR(moved, GetParam().moved, 1e-3f);
}

INSTANTIATE_TEST_SUITE_P(Package, NamedModelTest, ::testing::ValuesIn(kModels), Name);

// A small file written here: a quad and a triangle that share two positions
// through points of their own, a line, a triangle with two corners at one
// position, Y up; loaded into a scene that has a node named as one of the
// file's.
TEST_F(ModelLoaderTest, KeepsPolygonsWeldsPointsTurnsYUpAndNamesUniquely) {
    const fs::path dir = fs::path(SCENE_TEST_WORK) / "fixture";
    fs::create_directories(dir);
    const fs::path path = dir / "weld.obj";
    std::ofstream(path) << "o Box\n"
                           "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\nv 1 0 0\nv 2 0 0\nv 1 1 0\n"
                           "vn 0 1 0\n"
                           "f 1//1 2//1 3//1 4//1\n"
                           "f 5//1 6//1 7//1\n"
                           "l 1 6\n"
                           "f 2//1 5//1 6//1\n"
                           "o Lid\n"
                           "v 0 0 5\nv 1 0 5\nv 0 1 5\n"
                           "f 8 9 10\n";
    INode* taken = NewNode(NewPoly(), "Box");
    Host().GetLog().Clear();
    const maxsim::ModelLoader::Result r = Load(path);
    EXPECT_EQ(r.polygons, 3);
    EXPECT_EQ(r.meshNodes, 2);

    INode* box = Host().GetINodeByName("Box001");
    ASSERT_TRUE(box);
    EXPECT_EQ(Host().GetINodeByName("Box"), taken);
    ASSERT_TRUE(Host().GetINodeByName("Lid"));
    const HostMesh m = MeshOf(box);
    ASSERT_TRUE(m.base);
    MNMesh& mm = m.base->mm;
    ASSERT_EQ(mm.numf, 2);
    EXPECT_EQ(mm.F(0)->deg, 4);
    EXPECT_EQ(mm.F(1)->deg, 3);
    // Five positions: the triangle's first and last corners are the quad's
    // second and third vertices.
    EXPECT_EQ(mm.numv, 5);
    EXPECT_EQ(mm.F(1)->vtx[0], mm.F(0)->vtx[1]);
    EXPECT_EQ(mm.F(1)->vtx[2], mm.F(0)->vtx[2]);
    // Y up in the file is Z up in the host: the quad's corner (0, 1, 0)
    // stands at (0, 0, 1), its normal (0, 1, 0) points along z.
    ExpectNear(box->GetObjectTM(Now()).PointTransform(mm.P(mm.F(0)->vtx[3])), Point3(0.0f, 0.0f, 1.0f));
    MNNormalSpec* normals = mm.GetSpecifiedNormals();
    ASSERT_TRUE(normals);
    ExpectNear(box->GetObjectTM(Now()).VectorTransform(normals->Normal(normals->GetNormalIndex(0, 0))),
               Point3(0.0f, 0.0f, 1.0f));
    // The line and the flat triangle are left out, and said to be.
    bool said = false;
    for (const auto& e : Host().GetLog().Entries())
        said = said || (e.type == SYSLOG_INFO && e.text.find("left out 2 points, lines") != std::string::npos);
    EXPECT_TRUE(said);
}

TEST_F(ModelLoaderTest, UnreadableFileAddsNothingAndSaysWhy) {
    const fs::path dir = fs::path(SCENE_TEST_WORK) / "fixture";
    fs::create_directories(dir);
    const fs::path path = dir / "broken.obj";
    std::ofstream(path) << "v 0 0 0\nf 1 2 3\n";
    maxsim::ModelLoader::Result r;
    std::string error;
    EXPECT_FALSE(maxsim::ModelLoader::Load(Host(), path.string(), r, error));
    EXPECT_NE(error.find("cannot load \"" + path.string() + "\": "), std::string::npos) << error;
    EXPECT_GT(error.size(), path.string().size() + 17) << "the reason is missing";
    EXPECT_TRUE(Host().AllNodes().empty());
    EXPECT_FALSE(maxsim::ModelLoader::Load(Host(), (dir / "missing.dae").string(), r, error));
    EXPECT_TRUE(Host().AllNodes().empty());
}

// A .x file written here: a frame with a transform of its own (a quarter
// turn about x and a shift) holding a skinned triangle and a triangle that
// no bone moves, and a bone standing 3 units from its bind pose. DirectX
// skinning ignores the frame's transform for the skinned triangle, not for
// the other one.
TEST_F(ModelLoaderTest, SkinnedXFrameStandsInTheFileWorldAndItsRigidMeshKeepsItsPlace) {
    const fs::path dir = fs::path(SCENE_TEST_WORK) / "fixture";
    fs::create_directories(dir);
    const fs::path path = dir / "frame.x";
    std::ofstream(path) << R"(xof 0303txt 0032
Frame Body {
 FrameTransformMatrix {
  1.000000,0.000000,0.000000,0.000000,0.000000,0.000000,1.000000,0.000000,0.000000,-1.000000,0.000000,0.000000,0.000000,2.000000,0.500000,1.000000;;
 }
 Mesh Skinned {
  3;
  0.000000;0.000000;0.000000;,
  1.000000;0.000000;0.000000;,
  0.000000;1.000000;0.000000;;
  1;
  3;0,1,2;;
  XSkinMeshHeader {
   1;
   1;
   1;
  }
  SkinWeights {
   "Bone";
   3;
   0,
   1,
   2;
   1.000000,
   1.000000,
   1.000000;
   1.000000,0.000000,0.000000,0.000000,0.000000,1.000000,0.000000,0.000000,0.000000,0.000000,1.000000,0.000000,0.000000,0.000000,0.000000,1.000000;;
  }
 }
 Mesh Rigid {
  3;
  0.000000;0.000000;5.000000;,
  1.000000;0.000000;5.000000;,
  0.000000;1.000000;5.000000;;
  1;
  3;0,1,2;;
  MeshNormals {
   1;
   0.000000;0.000000;1.000000;;
   1;
   3;0,0,0;;
  }
 }
}
Frame Bone {
 FrameTransformMatrix {
  1.000000,0.000000,0.000000,0.000000,0.000000,1.000000,0.000000,0.000000,0.000000,0.000000,1.000000,0.000000,0.000000,0.000000,3.000000,1.000000;;
 }
}
)";
    const FileScene file(path);
    ASSERT_TRUE(file.scene) << file.importer.GetErrorString();
    const aiNode* body = file.scene->mRootNode->FindNode("Body");
    const aiNode* bone = file.scene->mRootNode->FindNode("Bone");
    ASSERT_TRUE(body && bone && body->mNumMeshes == 2);
    const aiMesh* skinned = file.scene->mMeshes[body->mMeshes[0]];
    const aiMesh* rigid = file.scene->mMeshes[body->mMeshes[1]];
    ASSERT_EQ(skinned->mNumBones, 1u);
    ASSERT_EQ(rigid->mNumBones, 0u);
    const Matrix3 fileWorld = FileWorld(file.scene), bodyWorld = HostWorld(file.scene, body);
    ASSERT_FALSE(bodyWorld.Equals(fileWorld, 1e-3f)) << "the frame must carry a transform of its own";

    const maxsim::ModelLoader::Result r = Load(path);
    EXPECT_EQ(r.skins, 1);
    INode* node = Host().GetINodeByName("Body");
    ASSERT_TRUE(node);
    const HostMesh m = MeshOf(node);
    ASSERT_TRUE(m.base && m.skin);
    MNMesh& mm = m.base->mm;
    ASSERT_EQ(mm.numf, 2);

    // The node, and the skin's record of where the mesh was bound, are the
    // file's world frame; the bone was bound where its offset says.
    EXPECT_TRUE(node->GetNodeTM(Now()).Equals(fileWorld, 1e-5f));
    ISkin* skin = SkinOf(m.skin);
    Matrix3 meshBind(TRUE), boneInit(TRUE);
    ASSERT_EQ(skin->GetSkinInitTM(node, meshBind, true), SKIN_OK);
    EXPECT_TRUE(meshBind.Equals(fileWorld, 1e-5f));
    ASSERT_EQ(skin->GetBoneInitTM(skin->GetBone(0), boneInit, false), SKIN_OK);
    aiMatrix4x4 offset = skinned->mBones[0]->mOffsetMatrix;
    offset.Inverse();
    EXPECT_TRUE(boneInit.Equals(HostMatrix(offset) * fileWorld, 1e-5f));
    m.skin->ReleaseInterface(I_SKIN, skin);

    // The skinned triangle: as the bone moves it, from the file's world
    // frame. The other triangle: where its frame puts it, normal included.
    const std::vector<Point3> world = WorldPoints(node);
    for (int c = 0; c < 3; ++c) {
        const aiVector3D& s = skinned->mVertices[skinned->mFaces[0].mIndices[c]];
        ExpectNear(
            world[size_t(mm.F(0)->vtx[c])],
            HostWorld(file.scene, bone).PointTransform(Skinned(aiMatrix4x4(), skinned->mBones[0]->mOffsetMatrix, s)));
        const aiVector3D& p = rigid->mVertices[rigid->mFaces[0].mIndices[c]];
        ExpectNear(world[size_t(mm.F(1)->vtx[c])], bodyWorld.PointTransform(Point3(p.x, p.y, p.z)));
    }
    MNNormalSpec* normals = mm.GetSpecifiedNormals();
    ASSERT_TRUE(normals && rigid->mNormals);
    const aiVector3D& fn = rigid->mNormals[rigid->mFaces[0].mIndices[0]];
    ExpectNear(Normalize(node->GetObjectTM(Now()).VectorTransform(normals->Normal(normals->GetNormalIndex(1, 0)))),
               Normalize(bodyWorld.VectorTransform(Point3(fn.x, fn.y, fn.z))));
}
