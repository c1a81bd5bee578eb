#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "BoneData.h"
#include "MeshData.h"
#include "QroGltfDocument.h"
#include "QroMaterialReader.h"
#include "orlo/Utils/UArray.h"

// The records of a .qro file as a skinned glTF 2.0 scene:
//
//   scene root ── "<scene name>": no transform; the joints' common root
//   │               ├─ the bones as joint nodes, in their hierarchy
//   │               ├─ "(unweighted)": a joint for vertices without weights
//   │               └─ each mesh without weights, as a plain mesh node
//   └─ each skinned mesh node (skinned meshes ignore their node's place)
//
// Every bone is a joint of the one skin that all skinned meshes share. The
// data itself is turned from the file's Z-up to glTF's Y-up, (x, y, z) ->
// (x, z, -y): positions and normals (in world space, as in the file), the
// joints' transforms and the file's inverse bind matrices (each M as
// C M C^-1). Skinned in the bind pose, every vertex lands where the file puts
// it, turned.
//
//     QroGltfDocument document;
//     std::vector<std::string> notes;
//     QroGltfConverter::Convert(bones, meshes, materials, "banner", document, notes);
class QroGltfConverter {
public:
    struct Summary {
        size_t meshes = 0; // glTF meshes (a mesh without triangles has none)
        size_t joints = 0; // of the skin; 0 without one
        size_t triangles = 0;
    };

    // Fills `document`; `notes` receives what the user should know about
    // things that glTF shows differently (dropped polygons, weights beyond
    // four, ...). A file whose lists do not fit together raises
    // std::runtime_error with a message naming the mesh or bone.
    static Summary Convert(const orlo::UArray<BoneData>& bones, const orlo::UArray<MeshData>& meshes,
                           const std::vector<QroMaterialReader::Mesh>& materials, const std::string& sceneName,
                           QroGltfDocument& document, std::vector<std::string>& notes);

    // 8-bit names as UTF-8, each byte the code point of the same number.
    static std::string NameToUtf8(const std::string& name);
};
