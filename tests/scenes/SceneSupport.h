#pragma once
// Support of the real-scene suites: where the package's models are, and what
// a file holds as Assimp reads it (the oracle the loaded scene is held to).
#include <gtest/gtest.h>

#include <assimp/Importer.hpp>
#include <assimp/postprocess.h>
#include <assimp/scene.h>

#include <cctype>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "MaxsimFixture.h"
#include "ModelLoader.h"

namespace scenes {
namespace fs = std::filesystem;

inline fs::path ModelPath(const std::string& relative) {
    return fs::path(SCENE_MODELS) / relative;
}

// Skips the test, saying why, where the assimp-testmodels package is missing.
#define SKIP_WITHOUT_MODEL(path)                                                                       \
    do {                                                                                               \
        if (!std::filesystem::exists(path))                                                            \
            GTEST_SKIP() << "the assimp-testmodels package is not installed here (" << (path).string() \
                         << " is missing)";                                                            \
    } while (false)

// The file as the loader reads it: validated, nothing else changed.
struct FileScene {
    Assimp::Importer importer;
    const aiScene* scene = nullptr;

    explicit FileScene(const fs::path& path) {
        scene = importer.ReadFile(path.string(), aiProcess_ValidateDataStructure);
    }
};

// A model's path as a test name: its file name without the extension, other
// characters than letters and digits as '_'.
inline std::string TestNameOf(const std::string& path) {
    std::string name = fs::path(path).stem().string();
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c)))
            c = '_';
    return name;
}

inline void CollectNodes(const aiNode* node, std::vector<const aiNode*>& out) {
    out.push_back(node);
    for (unsigned i = 0; i < node->mNumChildren; ++i)
        CollectNodes(node->mChildren[i], out);
}

// The file's world frame in the host: the host's Z-up turn of a Y-up file.
inline Matrix3 FileWorld(const aiScene* scene) {
    int32_t up = 1;
    if (scene->mMetaData && scene->mMetaData->Get("UpAxis", up) && up == 2)
        return Matrix3(TRUE);
    Matrix3 turn(TRUE);
    turn.SetRow(1, Point3(0.0f, 0.0f, 1.0f));
    turn.SetRow(2, Point3(0.0f, -1.0f, 0.0f));
    turn.ValidateFlags();
    return turn;
}

// A file matrix (column vectors) in the host's row-vector form.
inline Matrix3 HostMatrix(const aiMatrix4x4& m) {
    // The transpose's rows are the columns that act on a row vector.
    aiMatrix4x4 t = m;
    t.Transpose();
    Matrix3 r(TRUE);
    for (int row = 0; row < 4; ++row)
        r.SetRow(row, Point3(t[row][0], t[row][1], t[row][2]));
    r.ValidateFlags();
    return r;
}

// The file node's world transform in the host's row-vector form, with the
// host's Z-up turn of a Y-up file at the root.
inline Matrix3 HostWorld(const aiScene* scene, const aiNode* node) {
    aiMatrix4x4 m = node->mTransformation;
    for (const aiNode* p = node->mParent; p; p = p->mParent)
        m = p->mTransformation * m;
    return HostMatrix(m) * FileWorld(scene);
}

// Where the file places the points of a node's mesh before any bone moves
// them. glTF 2.0 ignores the transform of a skinned mesh's node (its joints
// alone place it), and so does DirectX skinning for a skinned mesh of a .x
// frame: there the points stand in the file's world frame. Elsewhere, and
// for a mesh without bones, they stand where the node does.
inline Matrix3 SkinSpace(const aiScene* scene, const aiNode* node, const aiMesh* mesh) {
    aiString format;
    const bool ignored =
        scene->mMetaData && scene->mMetaData->Get("SourceAsset_Format", format) &&
        (std::string(format.C_Str()) == "glTF2 Importer" || std::string(format.C_Str()) == "Direct3D XFile Importer");
    return ignored && mesh->mNumBones > 0 ? FileWorld(scene) : HostWorld(scene, node);
}

// A point p of the mesh (column vectors) through offset and bone: the file's
// skinning of one weight, world = global(bone) * offset * p.
inline Point3 Skinned(const aiMatrix4x4& global, const aiMatrix4x4& offset, const aiVector3D& p) {
    const aiVector3D r = global * offset * p;
    return Point3(r.x, r.y, r.z);
}

inline std::vector<aiNode*> MeshNodes(const aiScene* scene) {
    std::vector<const aiNode*> all;
    CollectNodes(scene->mRootNode, all);
    std::vector<aiNode*> out;
    for (const aiNode* n : all)
        for (unsigned i = 0; i < n->mNumMeshes; ++i) {
            const aiMesh* mesh = scene->mMeshes[n->mMeshes[i]];
            bool any = false;
            for (unsigned f = 0; f < mesh->mNumFaces && !any; ++f)
                any = maxsim::ModelLoader::IsPolygon(mesh, mesh->mFaces[f]);
            if (any) {
                out.push_back(const_cast<aiNode*>(n));
                break;
            }
        }
    return out;
}
} // namespace scenes
