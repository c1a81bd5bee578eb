#include "QuarroImporter.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <new>
#include <vector>

#include "BoneData.h"
#include "QuarroOptions.h"
#include "QuarroTextReader.h"
#include "merrow/Platform/3dsmax/HObject.h"
#include "merrow/Platform/3dsmax/Kits/HBoneKit.h"
#include "merrow/Platform/3dsmax/Kits/HPolygonMeshKit.h"
#include "orlo/CoreServices/Implementations/ULogMessage.h"
#include "orlo/CoreServices/Interfaces/ICoreServices.h"
#include "orlo/Utils/UTable.h"

using merrow::platform_3dsmax::HBoneKit;
using merrow::platform_3dsmax::HObject;
using merrow::platform_3dsmax::HPolygonMeshKit;
using merrow::platform_3dsmax::HStatus;
using orlo::TMatrix4;
using orlo::UArray;
using orlo::UString;

namespace {

constexpr int32_t TABLE_BUCKETS = 64;

using IndexList = UArray<unsigned int>;
using BoneIndexTable = orlo::UTable<UString, unsigned int>;
using BoneNodeTable = orlo::UTable<UString, HObject>;

// The node's world transform: the inverse of the inverse bind matrix, or the
// matrix itself when it is singular (IsSingularPose). The adjugate is divided
// by the determinant, where the export scales it by 1/det: the two can differ
// in the last bit, and each side's numbers are what scenes and files already
// hold, so the two inversions stay apart.
TMatrix4<float> BindPoseOf(const TMatrix4<float>& invBaseMatrix) {
    if (IsSingularPose(invBaseMatrix))
        return invBaseMatrix;
    const float det = invBaseMatrix.Determinant();
    TMatrix4<float> pose = invBaseMatrix.Adjugate();
    for (auto& row : pose.m)
        for (float& value : row) {
            value /= det;
            // Dividing may round past the largest float where scaling by 1/det did not.
            if (!std::isfinite(value))
                return invBaseMatrix;
        }
    return pose;
}

class BoneBuilder {
public:
    explicit BoneBuilder(const UArray<BoneData>& bones)
        : m_bones(bones), m_index(TABLE_BUCKETS), m_nodes(TABLE_BUCKETS), m_inChain(bones.Num()) {
        // A later bone of the same name takes the name over.
        for (int32_t i = 0; i < bones.Num(); ++i) {
            if (unsigned int* index = m_index.Find(bones[i].name))
                *index = unsigned(i);
            else
                m_index.Add(bones[i].name, unsigned(i));
        }
        for (bool& inChain : m_inChain)
            inChain = false;
    }

    // The bone's node and, first, its ancestors' that are not there yet. The
    // walk up the parents ends at a parent that has a node, that names no
    // bone, or that is already on the way (a cycle): that bone goes to the top.
    void Create(int32_t bone) {
        if (m_nodes.Contains(m_bones[bone].name))
            return;
        UArray<int32_t> chain;
        chain.Add(bone);
        m_inChain[bone] = true;
        for (;;) {
            const UString& parent = m_bones[chain[chain.Num() - 1]].parent;
            if (parent.IsEmpty() || m_nodes.Contains(parent))
                break;
            const unsigned int* index = m_index.Find(parent);
            if (index == nullptr || m_inChain[int32_t(*index)])
                break;
            chain.Add(int32_t(*index));
            m_inChain[int32_t(*index)] = true;
        }
        for (int32_t i = chain.Num() - 1; i >= 0; --i) {
            m_inChain[chain[i]] = false;
            CreateOne(m_bones[chain[i]]);
        }
    }

    BoneNodeTable& GetNodes() { return m_nodes; }

private:
    void CreateOne(const BoneData& bone) {
        if (m_nodes.Contains(bone.name))
            return;
        HObject parent;
        if (!bone.parent.IsEmpty()) {
            if (const HObject* node = m_nodes.Find(bone.parent))
                parent = *node;
        }
        HBoneKit kit;
        if (!kit.CreateBone(parent).IsDone())
            return;
        kit.SetName(bone.name);
        kit.SetTransformationMatrix(BindPoseOf(bone.invBaseMatrix), merrow::platform_3dsmax::TRANSFORM_SPACE_WORLD);
        m_nodes.Add(bone.name, kit.GetObject());
    }

    const UArray<BoneData>& m_bones;
    BoneIndexTable m_index;
    BoneNodeTable m_nodes;
    UArray<bool> m_inChain;
};

// What in a mesh record does not fit together, or none. The kits would take
// some of it to the host unchecked.
const char* FindDisagreement(const MeshData& mesh, int32_t boneCount) {
    uint64_t corners = 0;
    for (unsigned int count : mesh.polygonVertexCounts) {
        if (count < 3)
            return "a polygon has fewer than three corners";
        corners += count;
    }
    if (corners != uint64_t(mesh.polygonVertexIndices.Num()))
        return "its polygon vertex counts do not match its vertex index list";
    for (unsigned int index : mesh.polygonVertexIndices)
        if (index >= unsigned(mesh.vertices.Num()))
            return "a polygon vertex index lies outside its vertices";
    if (mesh.normals.Num() != 0 || mesh.polygonNormalIndices.Num() != 0) {
        if (corners != uint64_t(mesh.polygonNormalIndices.Num()))
            return "its polygon normal indices do not match its polygon vertex counts";
        for (unsigned int index : mesh.polygonNormalIndices)
            if (index >= unsigned(mesh.normals.Num()))
                return "a polygon normal index lies outside its normals";
    }
    if (mesh.polygonTexCoordIndices.Num() != mesh.textureCoordinates.Num())
        return "its texture-coordinate sets and index sets differ in number";
    for (int32_t set = 0; set < mesh.textureCoordinates.Num(); ++set) {
        const IndexList& indices = mesh.polygonTexCoordIndices[set];
        if (corners != uint64_t(indices.Num()))
            return "a texture-coordinate index set does not match its polygon vertex counts";
        for (unsigned int index : indices)
            if (index >= unsigned(mesh.textureCoordinates[set].Num()))
                return "a texture-coordinate index lies outside its set";
    }
    uint64_t weights = 0;
    for (unsigned int count : mesh.vertexWeightCounts)
        weights += count;
    if (weights != uint64_t(mesh.weights.Num()))
        return "its vertex weight counts do not match its weights";
    if (mesh.vertexWeightCounts.Num() > mesh.vertices.Num())
        return "it has weight counts for more vertices than it has";
    for (const MeshData::Weight& weight : mesh.weights)
        if (weight.boneIndex < 0 || weight.boneIndex >= boneCount)
            return "a weight names a bone that the file does not have";
    return nullptr;
}

// What a mesh's lists take here, in bytes.
uint64_t RecordBytes(const MeshData& mesh) {
    uint64_t bytes = uint64_t(mesh.vertices.Num()) * sizeof(mesh.vertices[0]) +
                     uint64_t(mesh.normals.Num()) * sizeof(mesh.normals[0]) +
                     (uint64_t(mesh.polygonVertexCounts.Num()) + mesh.polygonVertexIndices.Num() +
                      mesh.polygonNormalIndices.Num() + mesh.vertexWeightCounts.Num()) *
                         sizeof(unsigned int) +
                     uint64_t(mesh.weights.Num()) * sizeof(MeshData::Weight);
    for (const auto& set : mesh.textureCoordinates)
        bytes += uint64_t(set.Num()) * sizeof(orlo::TVector2<float>);
    for (const auto& set : mesh.polygonTexCoordIndices)
        bytes += uint64_t(set.Num()) * sizeof(unsigned int);
    return bytes;
}

// Whether the host will find the memory to build a mesh. The host does not
// survive running out of memory inside its own operations (its tables do
// not report a failed allocation), so a mesh it could not hold is not handed
// to it. Six times what the lists take here is asked for in pieces, as the
// host's arrays would be, and given back at once: on the stand-in host, whose
// tables grow by doubling, four times still let the build run out of memory
// under some address-space limits, six under none.
bool HostHasRoomFor(const MeshData& mesh) {
    constexpr uint64_t kHostBytesPerRecordByte = 6;
    constexpr size_t kPiece = size_t(8) << 20;
    uint64_t wanted = RecordBytes(mesh) * kHostBytesPerRecordByte;
    std::vector<std::unique_ptr<char[]>> pieces;
    try {
        pieces.reserve(size_t(wanted / kPiece + 1));
        while (wanted > 0) {
            const size_t piece = size_t(std::min<uint64_t>(wanted, kPiece));
            std::unique_ptr<char[]> block(new (std::nothrow) char[piece]);
            if (block == nullptr)
                return false;
            pieces.push_back(std::move(block));
            wanted -= piece;
        }
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

// Everything of a mesh after its polygons: normals, coordinate sets, name
// and skin.
void FinishMesh(HPolygonMeshKit<float>& kit, MeshData& mesh, const UArray<BoneData>& bones, BoneNodeTable& boneNodes) {
    mesh.vertices.Empty();
    mesh.polygonVertexIndices.Empty();
    mesh.polygonVertexCounts.Empty();
    kit.SetNormals(mesh.normals, mesh.polygonNormalIndices);
    mesh.normals.Empty();
    mesh.polygonNormalIndices.Empty();

    for (int32_t set = 0; set < mesh.textureCoordinates.Num(); ++set) {
        // Channels are added until set `set` has one; a kit that adds none
        // leaves the remaining sets out.
        unsigned int live = kit.GetNumTextureCoordinateSets();
        while (unsigned(set) >= live) {
            if (!kit.AddTextureCoordinateSet().IsDone())
                break;
            const unsigned int before = live;
            live = kit.GetNumTextureCoordinateSets();
            if (live <= before)
                break;
        }
        if (unsigned(set) >= live)
            break;
        kit.SetTextureCoordinates(mesh.textureCoordinates[set], mesh.polygonTexCoordIndices[set], unsigned(set));
        mesh.textureCoordinates[set].Empty();
        mesh.polygonTexCoordIndices[set].Empty();
    }
    mesh.textureCoordinates.Empty();
    mesh.polygonTexCoordIndices.Empty();

    kit.SetName(mesh.name);

    if (mesh.weights.Num() != 0) {
        // Bones of one name share one node (the first of the name), and the
        // skin holds a node once: the skin gets one slot per name, and each
        // file bone is mapped to the slot of its name.
        UArray<HObject> skinBones;
        IndexList slotOfBone;
        slotOfBone.Reserve(bones.Num());
        orlo::UTable<UString, unsigned int> slotOfName(TABLE_BUCKETS);
        for (const BoneData& bone : bones) {
            if (const unsigned int* slot = slotOfName.Find(bone.name)) {
                slotOfBone.Add(*slot);
                continue;
            }
            const unsigned int slot = unsigned(skinBones.Num());
            if (const HObject* node = boneNodes.Find(bone.name)) {
                skinBones.Add(*node);
            } else {
                boneNodes.Add(bone.name, HObject());
                skinBones.Add(HObject());
            }
            slotOfName.Add(bone.name, slot);
            slotOfBone.Add(slot);
        }
        kit.AddSkin(skinBones);
        UArray<float> values;
        IndexList boneIndices;
        values.Reserve(mesh.weights.Num());
        boneIndices.Reserve(mesh.weights.Num());
        for (const MeshData::Weight& weight : mesh.weights) {
            values.Add(weight.weight);
            boneIndices.Add(slotOfBone[weight.boneIndex]);
        }
        mesh.weights.Empty();
        kit.SetWeights(values, boneIndices, mesh.vertexWeightCounts);
    }
}

// Each list of the record is released as soon as the host holds what was
// made of it: a big mesh's lists and the host's mesh are then not both alive
// while the skin is set up, when the host evaluates the mesh again.
// False when the host built no mesh node: nothing of the mesh is then in the
// scene, and the caller says so.
bool BuildMesh(MeshData& mesh, const UArray<BoneData>& bones, BoneNodeTable& boneNodes) {
    HPolygonMeshKit<float> kit;
    if (!kit.CreateMesh(mesh.vertices, mesh.polygonVertexIndices, mesh.polygonVertexCounts, HObject()).IsDone())
        return false;
    // A mesh the host cannot finish (out of memory, say) leaves the scene
    // again; the error goes on to the glue, which answers failure.
    try {
        FinishMesh(kit, mesh, bones, boneNodes);
    } catch (...) {
        kit.DiscardCreatedMesh();
        throw;
    }
    return true;
}

} // namespace

QuarroImporter::QuarroImporter() : HPluginModule_FileTranslator_Reader(MODULE_ID) {}

HStatus& QuarroImporter::Import(HStatus& status, const orlo::UCommandLine& options, orlo::IInputStream* stream) {
    ApplyImportOptions(options, orlo::GetWarningChannel());
    UArray<BoneData> bones;
    UArray<MeshData> meshes;
    if (!QuarroTextReader::Read(stream, bones, meshes, orlo::GetWarningChannel())) {
        status.SetCode(HStatus::FAILED);
        return status;
    }

    // A bone that the count announces but no block names has a name without
    // storage, which no table lookup finds: its node and its skin slot would
    // part ways, and every weight on it would fail. It is the empty name.
    for (BoneData& bone : bones)
        if (bone.name.Num() == 0)
            bone.name = "";

    BoneBuilder boneBuilder(bones);
    for (int32_t bone = 0; bone < bones.Num(); ++bone)
        boneBuilder.Create(bone);

    for (MeshData& mesh : meshes) {
        const char* disagreement = FindDisagreement(mesh, bones.Num());
        if (disagreement == nullptr) {
            if (!HostHasRoomFor(mesh)) {
                // The import stops at the first mesh the host could not hold.
                orlo::ULogMessage message(orlo::GetWarningChannel(), "Mesh \"");
                message += mesh.name;
                message += "\" is not imported: the host would not find the memory to build it. The import stops.";
                status.SetCode(HStatus::FAILED);
                return status;
            }
            if (!BuildMesh(mesh, bones, boneBuilder.GetNodes()))
                disagreement = "the host could not build its polygons";
        }
        if (disagreement != nullptr) {
            orlo::ULogMessage message(orlo::GetWarningChannel(), "Mesh \"");
            message += mesh.name;
            message += "\" is not imported: ";
            message += disagreement;
            message += ".";
        }
    }
    status.SetCode(HStatus::DONE);
    return status;
}

void QuarroImporter::Run(HStatus& result, const orlo::UCommandLine& options, orlo::IInputStream* stream) {
    Import(result, options, stream);
}

orlo::UBaseString<unsigned char>* QuarroImporter::CreateExtension() {
    return new orlo::UBaseString<unsigned char>("qro");
}
