#include "QuarroTextReader.h"

#include <cstring>

#include "orlo/CoreServices/Implementations/ULogMessage.h"
#include "orlo/Utils/TextParserPolicy_BlockSyntax.h"
#include "orlo/Utils/UTextParser.h"

using orlo::UArray;
using orlo::UBaseString;

namespace {

using BlockParser = orlo::UTextParser<orlo::TextParserPolicy_ParseString, orlo::TextParserPolicy_BlockSyntax>;
using FileParser =
    orlo::UTextParser<orlo::TextParserPolicy_ParseStream<unsigned char>, orlo::TextParserPolicy_BlockSyntax>;
using String = UBaseString<unsigned char>;

// Counts and indices are compared as unsigned, so a negative one fails too.
bool IsBelow(int value, unsigned int limit) {
    return static_cast<unsigned int>(value) < limit;
}

// Appends one vector per group of floats; a short last group reads its
// missing components as 0.
template <class TVector>
void ReadVectors(const String& block, UArray<TVector>& vectors) {
    BlockParser parser(block);
    while (parser.HasToken()) {
        TVector vector;
        parser.ReadFloats(vector);
        vectors.Add(vector);
    }
}

void ReadInts(const String& block, UArray<unsigned int>& values) {
    BlockParser parser(block);
    while (parser.HasToken()) {
        int value = 0;
        parser.ReadInt(value);
        values.Add(static_cast<unsigned int>(value));
    }
}

void ReadWeights(const String& block, UArray<MeshData::Weight>& weights) {
    BlockParser parser(block);
    while (parser.HasToken()) {
        MeshData::Weight weight{0, 0.0f};
        int boneIndex = 0;
        parser.ReadInt(boneIndex).ReadFloat(weight.weight);
        weight.boneIndex = boneIndex;
        weights.Add(weight);
    }
}

void ReadSet(const String& block, UArray<orlo::TVector2<float>>& set) {
    ReadVectors(block, set);
}

void ReadSet(const String& block, UArray<unsigned int>& set) {
    ReadInts(block, set);
}

// A block of "set <n> { ... }" entries numbered 0, 1, ...; the set list starts
// afresh. False on an entry that is not the next set.
template <class TSet>
bool ReadSets(const String& block, UArray<TSet>& sets) {
    sets.Empty();
    sets.Reserve(16);
    BlockParser parser(block);
    String keyword;
    String content;
    while (parser.HasToken()) {
        int number = -1;
        parser.ReadString(keyword).ReadInt(number);
        if (!(keyword == "set") || number != sets.Num())
            return false;
        parser.ReadString(content);
        int32_t index = sets.Add(TSet());
        ReadSet(content, sets[index]);
    }
    return true;
}

} // namespace

bool QuarroTextReader::Read(orlo::IInputStream* stream, UArray<BoneData>& bones, UArray<MeshData>& meshes,
                            orlo::ILog* warningChannel) {
    FileParser parser(stream);
    String keyword;
    String content;
    // A text file never holds a zero byte; reading a block as a string would
    // end it there and drop the rest of the block without a word.
    const String& text = parser.GetText();
    bool accepted = memchr(text.c_str(), 0, size_t(text.Length())) == nullptr;
    while (accepted && parser.HasToken()) {
        parser.ReadString(keyword);
        if (keyword == "version") {
            accepted = parser.PeekString() == "1";
            if (accepted)
                parser.ReadString(content);
        } else if (keyword == "numBones" || keyword == "numMeshes") {
            int count = 0;
            parser.ReadInt(count);
            accepted = IsBelow(count, MAX_COUNT);
            if (!accepted)
                break;
            if (keyword == "numBones") {
                bones.Empty();
                bones.Reserve(count);
                for (int i = 0; i < count; ++i)
                    bones.Add(BoneData());
            } else {
                meshes.Empty();
                meshes.Reserve(count);
                for (int i = 0; i < count; ++i)
                    meshes.Add(MeshData());
            }
        } else if (keyword == "bone") {
            int index = -1;
            parser.ReadInt(index);
            accepted = IsBelow(index, static_cast<unsigned int>(bones.Num()));
            if (accepted) {
                parser.ReadString(content);
                ReadBoneBlock(content, bones[index]);
            }
        } else if (keyword == "mesh") {
            int index = -1;
            parser.ReadInt(index);
            accepted = IsBelow(index, static_cast<unsigned int>(meshes.Num()));
            if (accepted) {
                parser.ReadString(content);
                accepted = ReadMeshBlock(content, meshes[index]);
            }
        }
        // Anything else is skipped, this one token only.
    }
    if (!accepted) {
        // Nothing half-read is handed on.
        bones.Empty();
        meshes.Empty();
        orlo::ULogMessage message(warningChannel, "Can't handle file \"");
        message += stream->GetName();
        message += "\". Some data is missing or corrupt.";
    }
    return accepted;
}

void QuarroTextReader::ReadBoneBlock(const String& content, BoneData& bone) {
    BlockParser parser(content);
    String keyword;
    while (parser.HasToken()) {
        parser.ReadString(keyword);
        if (keyword == "name") {
            parser.ReadString(bone.name);
        } else if (keyword == "parent") {
            parser.ReadString(bone.parent);
        } else if (keyword == "invBaseMatrix") {
            for (int row = 0; row < 4; ++row)
                parser.ReadFloats(bone.invBaseMatrix.m[row]);
        }
    }
}

bool QuarroTextReader::ReadMeshBlock(const String& content, MeshData& mesh) {
    // The name is kept until a name entry replaces it; material indices are
    // never read and keep what they hold.
    mesh.vertices.Empty();
    mesh.normals.Empty();
    mesh.textureCoordinates.Empty();
    mesh.vertexWeightCounts.Empty();
    mesh.weights.Empty();
    mesh.polygonVertexCounts.Empty();
    mesh.polygonVertexIndices.Empty();
    mesh.polygonNormalIndices.Empty();
    mesh.polygonTexCoordIndices.Empty();

    BlockParser parser(content);
    String keyword;
    String block;
    while (parser.HasToken()) {
        parser.ReadString(keyword);
        if (keyword == "name") {
            parser.ReadString(mesh.name);
        } else if (keyword == "vertices") {
            parser.ReadString(block);
            ReadVectors(block, mesh.vertices);
        } else if (keyword == "normals") {
            parser.ReadString(block);
            ReadVectors(block, mesh.normals);
        } else if (keyword == "textureCoordinates") {
            parser.ReadString(block);
            if (!ReadSets(block, mesh.textureCoordinates))
                return false;
        } else if (keyword == "polygonVertexCounts") {
            parser.ReadString(block);
            ReadInts(block, mesh.polygonVertexCounts);
        } else if (keyword == "polygonVertexIndices") {
            parser.ReadString(block);
            ReadInts(block, mesh.polygonVertexIndices);
        } else if (keyword == "polygonNormalIndices") {
            parser.ReadString(block);
            ReadInts(block, mesh.polygonNormalIndices);
        } else if (keyword == "polygonTexCoordIndices") {
            parser.ReadString(block);
            if (!ReadSets(block, mesh.polygonTexCoordIndices))
                return false;
        } else if (keyword == "vertexWeightCounts") {
            parser.ReadString(block);
            ReadInts(block, mesh.vertexWeightCounts);
        } else if (keyword == "weights") {
            parser.ReadString(block);
            ReadWeights(block, mesh.weights);
        }
    }
    return true;
}
