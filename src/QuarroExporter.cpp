#include "QuarroExporter.h"

#include "max.h"

#include "BoneData.h"
#include "QuarroOptions.h"
#include "QuarroTextWriter.h"
#include "inode.h"
#include "maxapi.h"
#include "merrow/HException.h"
#include "merrow/Platform/3dsmax/HPluginModule.h"
#include "merrow/Platform/3dsmax/Kits/HBoneKit.h"
#include "merrow/Platform/3dsmax/Kits/HMaterialKit.h"
#include "merrow/Platform/3dsmax/Kits/HMatrixConversion.h"
#include "merrow/Platform/3dsmax/Kits/HPolygonMeshKit.h"
#include "merrow/Platform/3dsmax/Kits/HSkinAccess.h"
#include "orlo/CoreServices/Implementations/ULogMessage.h"
#include "orlo/CoreServices/Interfaces/ICoreServices.h"
#include "orlo/ErrorDescription.h"
#include "orlo/Utils/UTable.h"
#include "polyobj.h"

#include <new>

using merrow::platform_3dsmax::HBoneKit;
using merrow::platform_3dsmax::HMaterialKit;
using merrow::platform_3dsmax::HNodeKit;
using merrow::platform_3dsmax::HObject;
using merrow::platform_3dsmax::HPluginModule;
using merrow::platform_3dsmax::HPolygonMeshKit;
using merrow::platform_3dsmax::HSkinAccess;
using merrow::platform_3dsmax::HStatus;
using merrow::platform_3dsmax::POSE_BIND;
using merrow::platform_3dsmax::POSE_CURRENT;
using orlo::TMatrix4;
using orlo::TVector2;
using orlo::TVector3;
using orlo::UArray;
using orlo::UString;

namespace {

using IndexList = UArray<unsigned int>;

// The inverse as the adjugate scaled by 1/det; false, and the matrix left as
// it is, for a singular one (IsSingularPose).
bool Invert(TMatrix4<float>& matrix) {
    if (IsSingularPose(matrix))
        return false;
    const float det = matrix.Determinant();
    const float scale = 1.0f / det;
    TMatrix4<float> inverse = matrix.Adjugate();
    for (auto& row : inverse.m)
        for (float& value : row)
            value *= scale;
    matrix = inverse;
    return true;
}

// Names are written as they are; one holding a quote or a line break cannot
// be read back, so the user hears of it, once for each name and kind.
class UnreadableNames {
public:
    void Check(const char* kind, const UString& name) {
        if (!IsUnreadable(name))
            return;
        const UString key = UString(kind) + UString(":") + name;
        for (const UString& reported : m_reported)
            if (reported == key)
                return;
        m_reported.Add(key);
        orlo::ULogMessage message(orlo::GetLogChannel(orlo::LOG_CHANNEL_FAILURE), "The name of ");
        message += kind;
        message += " \"";
        message += name;
        message += "\" holds a double quote or a line break: the file keeps it as it is and cannot be read back.";
    }

private:
    static bool IsUnreadable(const UString& name) {
        for (const char* c = name.c_str(); *c != 0; ++c)
            if (*c == '"' || *c == '\r' || *c == '\n')
                return true;
        return false;
    }

    UArray<UString> m_reported;
};

// Weights name bones by their place in the file, but the importer finds bone
// nodes by name: bones that share a name cannot be told apart there.
void WarnOfRepeatedBoneName(const UArray<UString>& names) {
    orlo::UTable<UString, bool> seen(64);
    for (const UString& name : names) {
        if (!seen.Add(name, true)) {
            orlo::ULogMessage message(orlo::GetLogChannel(orlo::LOG_CHANNEL_FAILURE), "More than one bone is named \"");
            message += name;
            message += "\": the file cannot tell them apart, and an import binds their weights to one of them.";
            return;
        }
    }
}

// One polygon index list, one line per polygon, laid out by the corner counts.
template <class WriteLine>
void WritePolygonLines(const IndexList& counts, uint32_t polygonCount, const IndexList& indices,
                       WriteLine&& writeLine) {
    uint32_t position = 0;
    for (uint32_t f = 0; f < polygonCount; ++f) {
        const uint32_t count = counts[int32_t(f)];
        assure(uint64_t(position) + count <= uint64_t(indices.Num()));
        writeLine(count != 0 ? &indices[int32_t(position)] : nullptr, count);
        position += count;
    }
}

// The skin bones of every mesh, read once for the whole bone section.
UArray<UArray<HObject>> GetSkinBonesOfMeshes(const UArray<HObject>& meshes) {
    UArray<UArray<HObject>> skinBones;
    for (const HObject& mesh : meshes) {
        HPolygonMeshKit<float> kit(mesh);
        UArray<HObject> bones;
        kit.GetBones(bones);
        skinBones.Add(bones);
    }
    return skinBones;
}

// The first bind pose of the bone among the skins of the meshes; the bone's
// world transform when no skin binds it.
TMatrix4<float> GetBonePose(const HObject& bone, const UArray<HObject>& meshes,
                            const UArray<UArray<HObject>>& skinBones) {
    HBoneKit boneKit(bone);
    TMatrix4<float> pose = TMatrix4<float>::Identity();
    bool found = false;
    for (int32_t m = 0; m < meshes.Num(); ++m) {
        if (!skinBones[m].Contains(bone))
            continue;
        const TMatrix4<float> bind = HSkinAccess::GetBindMatrix(meshes[m], boneKit);
        if (!found) {
            pose = bind;
            found = true;
        } else if (!(bind == pose)) {
            orlo::ULogMessage(orlo::GetLogChannel(orlo::LOG_CHANNEL_FAILURE),
                              "Can't export bones with multiple distinct bind poses. Please use the same bind pose "
                              "when binding a bone two more than one mesh.");
            break;
        }
    }
    if (!found) {
        if (INode* node = bone.GetNode())
            pose =
                merrow::platform_3dsmax::HMatrixConversion::ToMatrix4(node->GetNodeTM(GetCOREInterface()->GetTime()));
    }
    return pose;
}

void WriteBones(QuarroTextWriter& writer, const UArray<HObject>& bones, const UArray<HObject>& meshes,
                UnreadableNames& unreadable) {
    const UArray<UArray<HObject>> skinBones = GetSkinBonesOfMeshes(meshes);
    UArray<UString> names;
    names.Reserve(bones.Num());
    for (const HObject& bone : bones) {
        HNodeKit boneKit(bone);
        names.Add(boneKit.GetName());
    }
    WarnOfRepeatedBoneName(names);
    writer.WriteBoneCount(uint32_t(bones.Num()));
    for (int32_t index = 0; index < bones.Num(); ++index) {
        const HObject& bone = bones[index];
        const UString& name = names[index];
        unreadable.Check("node", name);
        UString parentName;
        const HObject parent = HNodeKit::GetParent(bone);
        if (parent.IsValid()) {
            HNodeKit parentKit(parent);
            parentName = parentKit.GetName();
            unreadable.Check("node", parentName);
        }
        writer.BeginBone(uint32_t(index), name, parentName);
        TMatrix4<float> matrix = GetBonePose(bone, meshes, skinBones);
        // A singular pose ends the export here, after the bone's parent line.
        const bool b = Invert(matrix);
        assure_named(b, "QuarroExporter::Export");
        writer.EndBone(matrix);
    }
}

void WriteMesh(QuarroTextWriter& writer, uint32_t index, const HObject& mesh, const UArray<HObject>& bones,
               UnreadableNames& unreadable) {
    HPolygonMeshKit<float> kit(mesh);
    const UString name = kit.GetName();
    unreadable.Check("node", name);

    UArray<HObject> materials;
    kit.GetMaterials(materials);
    const uint32_t materialCount = uint32_t(materials.Num());

    PolyObject* poly = kit.Get3dsmaxPolyObject();
    const uint32_t vertexCount = poly != nullptr ? uint32_t(poly->mm.numv) : 0;
    const uint32_t polygonCount = poly != nullptr ? uint32_t(poly->mm.numf) : 0;
    const uint32_t normalCount = kit.GetNumNormals();
    const uint32_t setCount = kit.GetNumTextureCoordinateSets();
    const uint32_t weightCount = kit.GetNumWeights();

    writer.BeginMesh(index, name);

    // Positions and normals of the bind pose: the skin is off while they are read.
    UArray<TVector3<float>> vertices;
    UArray<TVector3<float>> normals;
    kit.SetPoseMode(POSE_BIND);
    kit.GetVertices(vertices);
    kit.GetNormals(normals);
    kit.SetPoseMode(POSE_CURRENT);
    // The counts are those of the current pose; a bind pose with fewer
    // vertices or normals would leave the file's lists short.
    assure(uint32_t(vertices.Num()) >= vertexCount);
    assure(uint32_t(normals.Num()) >= normalCount);
    writer.BeginVertices();
    for (uint32_t v = 0; v < vertexCount; ++v)
        writer.WriteVertex(vertices[int32_t(v)]);
    writer.BeginNormals();
    for (uint32_t n = 0; n < normalCount; ++n)
        writer.WriteNormal(normals[int32_t(n)]);

    writer.BeginTextureCoordinates();
    for (uint32_t s = 0; s < setCount; ++s) {
        UArray<TVector2<float>> coordinates;
        kit.GetTextureCoordinates(s, coordinates);
        writer.BeginTextureCoordinateSet(s);
        for (const TVector2<float>& coordinate : coordinates)
            writer.WriteTextureCoordinate(coordinate);
        writer.EndTextureCoordinateSet();
    }

    if (materialCount != 0) {
        writer.BeginMaterialNames();
        for (const HObject& material : materials) {
            HMaterialKit materialKit(material);
            const UString materialName = materialKit.GetName();
            unreadable.Check("material", materialName);
            writer.WriteMaterialName(materialName);
        }
    }

    IndexList counts;
    IndexList vertexIndices;
    kit.GetPolygons(counts, vertexIndices);
    assure(uint32_t(counts.Num()) >= polygonCount);
    writer.BeginPolygonVertexCounts();
    for (uint32_t f = 0; f < polygonCount; ++f)
        writer.WritePolygonVertexCount(counts[int32_t(f)]);
    writer.BeginPolygonVertexIndices();
    auto writePolygon = [&](const unsigned int* line, uint32_t count) { writer.WritePolygonIndices(line, count); };
    WritePolygonLines(counts, polygonCount, vertexIndices, writePolygon);

    IndexList normalIndices;
    kit.GetPolygonNormalIndices(normalIndices);
    writer.BeginPolygonNormalIndices();
    WritePolygonLines(counts, polygonCount, normalIndices, writePolygon);

    writer.BeginPolygonTexCoordIndices();
    for (uint32_t s = 0; s < setCount; ++s) {
        IndexList coordinateIndices;
        kit.GetPolygonTexCoordIndices(s, coordinateIndices);
        writer.BeginPolygonTexCoordSet(s);
        WritePolygonLines(counts, polygonCount, coordinateIndices, [&](const unsigned int* line, uint32_t count) {
            writer.WritePolygonTexCoordIndices(line, count);
        });
        writer.EndPolygonTexCoordSet();
    }

    if (materialCount != 0) {
        IndexList materialIndices;
        const bool known =
            kit.GetPolygonMaterialIndices(materialIndices).IsDone() && uint32_t(materialIndices.Num()) >= polygonCount;
        writer.BeginPolygonMaterialIndices();
        for (uint32_t f = 0; f < polygonCount; ++f) {
            if (known)
                writer.WritePolygonMaterialIndex(materialIndices[int32_t(f)]);
            else
                writer.WriteMissingPolygonMaterialIndex();
        }
    }

    if (weightCount != 0) {
        UArray<float> weights;
        IndexList skinBoneIndices;
        IndexList vertexWeightCounts;
        kit.GetWeights(weights, skinBoneIndices, vertexWeightCounts);
        UArray<HObject> skinBones;
        kit.GetBones(skinBones);
        // Skin order to bone-list order: the first position with the same node.
        IndexList fileBoneIndex;
        for (const HObject& skinBone : skinBones) {
            int32_t position = 0;
            while (position < bones.Num() && !(bones[position] == skinBone))
                ++position;
            assure(position < bones.Num());
            fileBoneIndex.Add(unsigned(position));
        }
        assure(skinBoneIndices.Num() == weights.Num());
        writer.BeginVertexWeightCounts();
        for (unsigned int count : vertexWeightCounts)
            writer.WriteVertexWeightCount(count);
        writer.BeginWeights();
        for (int32_t w = 0; w < weights.Num(); ++w) {
            const unsigned int skinBone = skinBoneIndices[w];
            assure(skinBone < unsigned(fileBoneIndex.Num()));
            writer.WriteWeight(int32_t(fileBoneIndex[int32_t(skinBone)]), weights[w]);
        }
    }
    writer.EndMesh();
}

} // namespace

QuarroExporter::QuarroExporter() : HPluginModule_FileTranslator_Writer(MODULE_ID) {}

HStatus QuarroExporter::Export(orlo::IOutputStream* stream, bool selectedOnly) {
    HStatus result(HStatus::DONE);
    // The bone list covers the skins of every mesh, also of the meshes that
    // are not exported.
    const UArray<HObject> meshes = HPluginModule::GetFromScene(HPluginModule::KIND_MESHES, selectedOnly);
    const UArray<HObject> bones = HPluginModule::GetFromScene(HPluginModule::KIND_BONES, false);
    HPluginModule::StartProgress();
    try {
        QuarroTextWriter writer(stream);
        UnreadableNames unreadable;
        writer.WriteHeader();
        WriteBones(writer, bones, meshes, unreadable);
        writer.WriteMeshCount(uint32_t(meshes.Num()));
        for (int32_t k = 0; k < meshes.Num(); ++k)
            WriteMesh(writer, uint32_t(k), meshes[k], bones, unreadable);
    } catch (const merrow::HException& error) {
        if (error.GetResultCode() == HStatus::FAILED)
            orlo::ULogMessage(orlo::GetLogChannel(orlo::LOG_CHANNEL_FAILURE), error.GetMessageText());
        result.SetCode(error.GetResultCode());
    } catch (const orlo::ErrorDescription& error) {
        orlo::ULogMessage(orlo::GetLogChannel(orlo::LOG_CHANNEL_FAILURE), "The plugin throwed an exception:\r\n") +=
            error.GetReport();
        result.SetCode(HStatus::FAILED);
    } catch (const std::bad_alloc&) {
        orlo::ULogMessage(orlo::GetLogChannel(orlo::LOG_CHANNEL_WARNING),
                          "The export is stopped: the host could not allocate the memory it needs.");
        result.SetCode(HStatus::FAILED);
    } catch (...) {
        orlo::ULogMessage(orlo::GetLogChannel(orlo::LOG_CHANNEL_FAILURE), "Unknown error during export.");
        result.SetCode(HStatus::FAILED);
    }
    HPluginModule::EndProgress();
    return result;
}

void QuarroExporter::Run(HStatus& result, const orlo::UCommandLine& options, orlo::IOutputStream* stream,
                         bool selectedOnly) {
    ApplyExportOptions(options, orlo::GetLogChannel(orlo::LOG_CHANNEL_WARNING));
    result = Export(stream, selectedOnly);
}

orlo::UBaseString<unsigned char>* QuarroExporter::CreateExtension() {
    return new orlo::UBaseString<unsigned char>("qro");
}
