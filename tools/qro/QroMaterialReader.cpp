#include "QroMaterialReader.h"

#include "QuarroTextReader.h"
#include "orlo/Utils/TextParserPolicy_BlockSyntax.h"
#include "orlo/Utils/UTextParser.h"

namespace {

using String = orlo::UBaseString<unsigned char>;
using BlockParser = orlo::UTextParser<orlo::TextParserPolicy_ParseString, orlo::TextParserPolicy_BlockSyntax>;
using FileParser =
    orlo::UTextParser<orlo::TextParserPolicy_ParseStream<unsigned char>, orlo::TextParserPolicy_BlockSyntax>;

// Mesh-block keywords whose value is one token: that token is skipped with its
// keyword, so that a value never passes for a keyword.
bool TakesOneToken(const String& keyword) {
    static const char* const kKeywords[] = {"name",
                                            "vertices",
                                            "normals",
                                            "textureCoordinates",
                                            "polygonVertexCounts",
                                            "polygonVertexIndices",
                                            "polygonNormalIndices",
                                            "polygonTexCoordIndices",
                                            "vertexWeightCounts",
                                            "weights"};
    for (const char* known : kKeywords)
        if (keyword == known)
            return true;
    return false;
}

void ReadMeshBlock(const String& content, QroMaterialReader::Mesh& mesh) {
    BlockParser parser(content);
    String keyword;
    String block;
    String value;
    while (parser.HasToken()) {
        parser.ReadString(keyword);
        if (keyword == "materialNames") {
            parser.ReadString(block);
            BlockParser names(block);
            while (names.HasToken()) {
                names.ReadString(value);
                mesh.names.push_back(value.c_str());
            }
        } else if (keyword == "polygonMaterialIndices") {
            parser.ReadString(block);
            BlockParser indices(block);
            while (indices.HasToken()) {
                int index = 0;
                indices.ReadInt(index);
                mesh.polygonMaterialIndices.push_back(static_cast<uint32_t>(index));
            }
        } else if (TakesOneToken(keyword)) {
            parser.ReadString(block);
        }
    }
}

} // namespace

void QroMaterialReader::Read(orlo::IInputStream* stream, std::vector<Mesh>& meshes) {
    meshes.clear();
    FileParser parser(stream);
    String keyword;
    String content;
    while (parser.HasToken()) {
        parser.ReadString(keyword);
        if (keyword == "version") {
            if (parser.PeekString() == "1")
                parser.ReadString(content);
        } else if (keyword == "numBones" || keyword == "numMeshes") {
            int count = 0;
            parser.ReadInt(count);
            if (static_cast<unsigned int>(count) >= QuarroTextReader::MAX_COUNT)
                return;
            if (keyword == "numMeshes")
                meshes.assign(size_t(count), Mesh());
        } else if (keyword == "bone" || keyword == "mesh") {
            int index = -1;
            parser.ReadInt(index);
            parser.ReadString(content);
            if (keyword == "mesh" && static_cast<unsigned int>(index) < meshes.size()) {
                meshes[size_t(index)] = Mesh();
                ReadMeshBlock(content, meshes[size_t(index)]);
            }
        }
    }
}
