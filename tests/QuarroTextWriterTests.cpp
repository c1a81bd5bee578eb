#include "QuarroTextWriter.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "orlo/CoreServices/Implementations/UOutputStream_Memory.h"
#include "support/WrittenText.h"

using namespace orlo;

namespace {

// Keeps every write separately, so that pieces can be checked as well as bytes.
class PieceStream : public IOutputStream {
public:
    uint64_t Serialize(const void* buffer, uint64_t size) override {
        m_pieces.emplace_back(static_cast<const char*>(buffer), size_t(size));
        return size;
    }
    void Close() override {}
    bool IsOpen() const override { return true; }
    UBaseString<unsigned char> GetName() const override { return UBaseString<unsigned char>("pieces"); }
    bool Flush() override { return true; }

    std::string Text() const {
        std::string text;
        for (const std::string& piece : m_pieces)
            text += piece;
        return text;
    }
    const std::vector<std::string>& Pieces() const { return m_pieces; }

private:
    std::vector<std::string> m_pieces;
};

TEST(QuarroTextWriter, NoBonesAndNoMeshes) {
    PieceStream stream;
    QuarroTextWriter writer(&stream);
    writer.WriteHeader();
    writer.WriteBoneCount(0);
    writer.WriteMeshCount(0);
    EXPECT_EQ(stream.Text(), "version 1\r\n\r\nnumBones 0\r\nnumMeshes 0");
    EXPECT_EQ(stream.Pieces(),
              (std::vector<std::string>{"version 1\r\n", "\r\nnumBones ", "0", "\r\nnumMeshes ", "0"}));
}

TEST(QuarroTextWriter, BoneBelowTheRootAndBelowAParent) {
    PieceStream stream;
    QuarroTextWriter writer(&stream);
    TMatrix4<float> matrix = TMatrix4<float>::Identity();
    matrix.m[3][0] = 1.5f;
    matrix.m[3][1] = -2.0f;
    writer.WriteBone(0, UString("root"), UString(), TMatrix4<float>::Identity());
    writer.WriteBone(1, UString("arm \xE9"), UString("root"), matrix);
    EXPECT_EQ(stream.Text(), "\r\nbone 0 {\r\n\tname \"root\"\r\n\tparent \"\"\r\n\tinvBaseMatrix"
                             " 1.0000 0.0000 0.0000 0.0000 0.0000 1.0000 0.0000 0.0000"
                             " 0.0000 0.0000 1.0000 0.0000 0.0000 0.0000 0.0000 1.0000\r\n}\r\n"
                             "\r\nbone 1 {\r\n\tname \"arm \xE9\"\r\n\tparent \"root\"\r\n\tinvBaseMatrix"
                             " 1.0000 0.0000 0.0000 0.0000 0.0000 1.0000 0.0000 0.0000"
                             " 0.0000 0.0000 1.0000 0.0000 1.5000 -2.0000 0.0000 1.0000\r\n}\r\n");
}

TEST(QuarroTextWriter, FloatsAsTheCLocalePrintsThem) {
    PieceStream stream;
    QuarroTextWriter writer(&stream);
    writer.WriteVertex({1.0f, -0.5f, 0.00004f});
    writer.WriteVertex({-0.00004f, 0.03125f, 2.71828f});
    EXPECT_EQ(stream.Text(), "\r\n\t\t1.0000 -0.5000 0.0000\r\n\t\t-0.0000 0.0312 2.7183");
}

// A whole mesh written value by value, with every optional block.
TEST(QuarroTextWriter, MeshWithEveryBlock) {
    PieceStream stream;
    QuarroTextWriter writer(&stream);
    writer.WriteMeshCount(1);
    writer.BeginMesh(0, UString("box"));
    writer.BeginVertices();
    writer.WriteVertex({0.0f, 1.0f, 2.0f});
    writer.BeginNormals();
    writer.WriteNormal({0.0f, 0.0f, 1.0f});
    writer.BeginTextureCoordinates();
    for (uint32_t s = 0; s < 2; ++s) {
        writer.BeginTextureCoordinateSet(s);
        writer.WriteTextureCoordinate({0.25f, float(s)});
        writer.EndTextureCoordinateSet();
    }
    writer.BeginMaterialNames();
    writer.WriteMaterialName(UString("Mat A"));
    writer.BeginPolygonVertexCounts();
    writer.WritePolygonVertexCount(3);
    writer.WritePolygonVertexCount(0);
    const uint32_t corners[] = {0, 1, 2};
    writer.BeginPolygonVertexIndices();
    writer.WritePolygonIndices(corners, 3);
    writer.WritePolygonIndices(nullptr, 0);
    writer.BeginPolygonNormalIndices();
    writer.WritePolygonIndices(corners, 3);
    writer.WritePolygonIndices(nullptr, 0);
    writer.BeginPolygonTexCoordIndices();
    for (uint32_t s = 0; s < 2; ++s) {
        writer.BeginPolygonTexCoordSet(s);
        writer.WritePolygonTexCoordIndices(corners, 3);
        writer.WritePolygonTexCoordIndices(nullptr, 0);
        writer.EndPolygonTexCoordSet();
    }
    writer.BeginPolygonMaterialIndices();
    writer.WritePolygonMaterialIndex(0);
    writer.WriteMissingPolygonMaterialIndex();
    writer.BeginVertexWeightCounts();
    writer.WriteVertexWeightCount(2);
    writer.BeginWeights();
    writer.WriteWeight(1, 0.75f);
    writer.WriteWeight(-1, 0.25f);
    writer.EndMesh();
    EXPECT_EQ(stream.Text(), "\r\nnumMeshes 1"
                             "\r\nmesh 0 {\r\n\tname \"box\""
                             "\r\n\r\n\tvertices {\r\n\t\t0.0000 1.0000 2.0000"
                             "\r\n\t}\r\n\r\n\tnormals {\r\n\t\t0.0000 0.0000 1.0000"
                             "\r\n\t}\r\n\r\n\ttextureCoordinates {"
                             "\r\n\t\tset 0 {\r\n\t\t\t0.2500 0.0000\r\n\t\t}\r\n"
                             "\r\n\t\tset 1 {\r\n\t\t\t0.2500 1.0000\r\n\t\t}"
                             "\r\n\t}\r\n\r\n\tmaterialNames {\r\n\t\t \"Mat A\""
                             "\r\n\t}\r\n\r\n\tpolygonVertexCounts {\r\n\t\t3\r\n\t\t0"
                             "\r\n\t}\r\n\r\n\tpolygonVertexIndices {\r\n\t\t0 1 2\r\n\t\t"
                             "\r\n\t}\r\n\r\n\tpolygonNormalIndices {\r\n\t\t0 1 2\r\n\t\t"
                             "\r\n\t}\r\n\r\n\tpolygonTexCoordIndices {"
                             "\r\n\t\tset 0 {\r\n\t\t\t0 1 2\r\n\t\t\t\r\n\t\t}\r\n"
                             "\r\n\t\tset 1 {\r\n\t\t\t0 1 2\r\n\t\t\t\r\n\t\t}"
                             "\r\n\t}\r\n\r\n\tpolygonMaterialIndices {\r\n\t\t0\r\n\t\t-1"
                             "\r\n\t}\r\n\r\n\tvertexWeightCounts {\r\n\t\t2"
                             "\r\n\t}\r\n\r\n\tweights {\r\n\t\t1 0.7500\r\n\t\t4294967295 0.2500"
                             "\r\n\t}\r\n}\r\n");
}

TEST(QuarroTextWriter, WritesThroughAnOutputStreamWithoutTerminators) {
    UOutputStream_Memory stream("memory");
    QuarroTextWriter writer(&stream);
    writer.WriteHeader();
    writer.WriteBoneCount(4294967295u);
    std::string text = orlo_test::TextOf(stream);
    EXPECT_EQ(text, "version 1\r\n\r\nnumBones 4294967295");
}

} // namespace
