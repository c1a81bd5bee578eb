#pragma once
#include "max.h"

#include "coreexp.h"
#include <string>

struct aiFace;
struct aiMesh;

namespace maxsim {
class HostInterface;

// Adds the scene of a model file (any format that Assimp reads) to the host
// scene, as the host's own importers would:
//
//     ModelLoader::Result result;
//     std::string error;
//     if (!ModelLoader::Load(host, "model.dae", result, error))
//         report(error);  // nothing was added
//
// - one node per file node (the file's root included), with its name (made
//   unique with Interface::MakeNameUnique when taken), its parent and its
//   transform (but see skinned meshes below); a file that is Y-up is turned
//   Z-up at its root node;
// - the meshes of a node become one editable poly on it: polygons stay
//   polygons, points of a mesh that coincide (same position, same skin
//   weights) are welded into one vertex, normals are explicit normals per
//   corner, texture-coordinate channel k is live map channel k + 1 with
//   coordinates shared where equal, faces carry material ids; polygons with
//   fewer than three corners, or two corners at one position, are left out;
// - each file material is one standard material with the file's name; a
//   node whose meshes use several gets a multi/sub-object material of them;
// - nodes that are bones of a skin and carry no mesh get bone objects, other
//   nodes without a mesh dummy helpers;
// - a skinned node gets a skin modifier with the bones of its meshes in file
//   order; the node's bind transform is where it stands (below), each
//   bone's init transform follows from the file's offset matrix, so that
//   init = offset^-1 * bind, and the weights go to the welded vertices. The
//   bones stand in the file's pose; a bone that names no node of the file
//   gets a bone node of its own, in its bind pose under the root, with a
//   warning. The skin's result is recomputed once the weights are in.
//
// Where a skinned mesh stands follows its format's own rule for the node
// transform of a skinned mesh. Whatever the rule, the skinned points come
// out as the file's skinning gives them (world = bone's world * offset *
// point, summed by weight): the rule decides the bind pose, that is where
// the mesh and its bones stand at rest.
// - glTF 2.0 and DirectX .x: ignored. glTF says that a skinned mesh's node
//   transform is ignored (its joints alone place it), and DirectX skinning
//   draws a skinned .x mesh with its bone matrices alone; their files'
//   offset matrices are made for that, so that the mesh's points as they
//   stand in the file are its rest shape in the file's world frame. The
//   node stands there: at the file's root frame (the Z-up turn only); a mesh
//   of the node that no bone moves keeps its place through its points and
//   normals.
// - every other format: kept; the node's transform in the file is where
//   the mesh was bound. FBX records the mesh's transform at binding and
//   Assimp folds it into each offset with the bone's, so that offset^-1 *
//   the node's transform gives the bone's transform at binding as authored
//   (as long as the file keeps the mesh where it was bound); COLLADA's
//   bind shape matrix is folded in the same way, the node placing the bound
//   figure; the formats without a transform of their own for the mesh's
//   node (SMD, MD5, MDL, BVH, CSM) leave it at the root's.
// Cameras, lights, animations and vertex colours are skipped with one info
// line each in the host's log.
class CoreExport ModelLoader {
public:
    // What a load added to the scene.
    struct Result {
        int nodes = 0;      // file nodes and added bones
        int addedBones = 0; // bones that name no node of the file
        int meshNodes = 0;  // nodes that carry an editable poly
        int fileMeshes = 0; // file meshes placed on them (one per use)
        int polygons = 0;
        int vertices = 0; // after welding
        int skins = 0;
        int bones = 0; // distinct bone nodes of all skins
        int weights = 0;
        int materials = 0;
        int skipped = 0; // info lines for content left out
    };

    // False, with the reason (Assimp's message for a file that it cannot
    // read), when nothing could be added.
    static bool Load(HostInterface& host, const std::string& path, Result& result, std::string& error);
    // False in a build without Assimp, where Load always fails.
    static bool IsAvailable();
    // Whether a face of the file is kept as a polygon: three corners or more,
    // no two of them at one position.
    static bool IsPolygon(const aiMesh* mesh, const aiFace& face);
};
} // namespace maxsim
