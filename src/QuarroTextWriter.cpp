#include "QuarroTextWriter.h"

#include "orlo/Utils/UNumberText.h"

QuarroTextWriter::QuarroTextWriter(orlo::IOutputStream* stream) : m_stream(stream) {}

void QuarroTextWriter::WriteName(const orlo::UBaseString<unsigned char>& name) {
    if (name.Length() > 0)
        m_stream->Serialize(name.c_str(), uint64_t(name.Length()));
}

void QuarroTextWriter::WriteScratch(const char* text, int32_t length) {
    // The scratch string keeps its storage, so after the longest number no
    // further memory is requested.
    m_scratch.AssignBytes(text, size_t(length));
    m_stream->Serialize(m_scratch.c_str(), uint64_t(m_scratch.Length()));
}

void QuarroTextWriter::WriteUnsigned(uint32_t value) {
    char digits[16];
    const char* text = orlo::UBaseString<unsigned char>::FormatUnsigned(value, digits);
    WriteScratch(text, int32_t(digits + 15 - text));
}

void QuarroTextWriter::WriteFloat(float value) {
    char text[orlo::UNumberText::FIXED4_BUFFER_SIZE];
    WriteScratch(text, orlo::UNumberText::FormatFixed4(double(value), text));
}

void QuarroTextWriter::WriteHeader() {
    WriteLiteral("version 1\r\n");
}

void QuarroTextWriter::WriteBoneCount(uint32_t count) {
    WriteLiteral("\r\nnumBones ");
    WriteUnsigned(count);
}

void QuarroTextWriter::WriteBone(uint32_t index, const orlo::UBaseString<unsigned char>& name,
                                 const orlo::UBaseString<unsigned char>& parent,
                                 const orlo::TMatrix4<float>& invBaseMatrix) {
    BeginBone(index, name, parent);
    EndBone(invBaseMatrix);
}

void QuarroTextWriter::BeginBone(uint32_t index, const orlo::UBaseString<unsigned char>& name,
                                 const orlo::UBaseString<unsigned char>& parent) {
    WriteLiteral("\r\nbone ");
    WriteUnsigned(index);
    WriteLiteral(" {");
    WriteLiteral("\r\n\tname \"");
    WriteName(name);
    WriteLiteral("\"");
    WriteLiteral("\r\n\tparent \"");
    WriteName(parent);
    WriteLiteral("\"");
}

void QuarroTextWriter::EndBone(const orlo::TMatrix4<float>& invBaseMatrix) {
    WriteLiteral("\r\n\tinvBaseMatrix");
    for (int row = 0; row < 4; ++row)
        for (int column = 0; column < 4; ++column) {
            WriteLiteral(" ");
            WriteFloat(invBaseMatrix.m[row][column]);
        }
    WriteLiteral("\r\n}\r\n");
}

void QuarroTextWriter::WriteMeshCount(uint32_t count) {
    WriteLiteral("\r\nnumMeshes ");
    WriteUnsigned(count);
}

void QuarroTextWriter::BeginMesh(uint32_t index, const orlo::UBaseString<unsigned char>& name) {
    WriteLiteral("\r\nmesh ");
    WriteUnsigned(index);
    WriteLiteral(" {");
    WriteLiteral("\r\n\tname \"");
    WriteName(name);
    WriteLiteral("\"");
}

void QuarroTextWriter::BeginVertices() {
    WriteLiteral("\r\n\r\n\tvertices {");
}

void QuarroTextWriter::WriteVertex(const orlo::TVector3<float>& position) {
    WriteLiteral("\r\n\t\t");
    WriteFloat(position.x);
    WriteLiteral(" ");
    WriteFloat(position.y);
    WriteLiteral(" ");
    WriteFloat(position.z);
}

void QuarroTextWriter::BeginNormals() {
    WriteLiteral("\r\n\t}\r\n\r\n\tnormals {");
}

void QuarroTextWriter::WriteNormal(const orlo::TVector3<float>& normal) {
    WriteVertex(normal);
}

void QuarroTextWriter::BeginTextureCoordinates() {
    WriteLiteral("\r\n\t}\r\n\r\n\ttextureCoordinates {");
}

void QuarroTextWriter::BeginTextureCoordinateSet(uint32_t set) {
    // The blank line after every set but the last, written ahead of the next.
    if (set > 0)
        WriteLiteral("\r\n");
    WriteLiteral("\r\n\t\tset ");
    WriteUnsigned(set);
    WriteLiteral(" {");
}

void QuarroTextWriter::WriteTextureCoordinate(const orlo::TVector2<float>& coordinate) {
    WriteLiteral("\r\n\t\t\t");
    WriteFloat(coordinate.x);
    WriteLiteral(" ");
    WriteFloat(coordinate.y);
}

void QuarroTextWriter::EndTextureCoordinateSet() {
    WriteLiteral("\r\n\t\t}");
}

void QuarroTextWriter::BeginMaterialNames() {
    WriteLiteral("\r\n\t}\r\n\r\n\tmaterialNames {");
}

void QuarroTextWriter::WriteMaterialName(const orlo::UBaseString<unsigned char>& name) {
    WriteLiteral("\r\n\t\t \"");
    WriteName(name);
    WriteLiteral("\"");
}

void QuarroTextWriter::BeginPolygonVertexCounts() {
    WriteLiteral("\r\n\t}\r\n\r\n\tpolygonVertexCounts {");
}

void QuarroTextWriter::WritePolygonVertexCount(uint32_t count) {
    WriteLiteral("\r\n\t\t");
    WriteUnsigned(count);
}

void QuarroTextWriter::BeginPolygonVertexIndices() {
    WriteLiteral("\r\n\t}\r\n\r\n\tpolygonVertexIndices {");
}

void QuarroTextWriter::BeginPolygonNormalIndices() {
    WriteLiteral("\r\n\t}\r\n\r\n\tpolygonNormalIndices {");
}

void QuarroTextWriter::WritePolygonIndices(const uint32_t* indices, uint32_t count) {
    WriteIndexLine("\r\n\t\t", indices, count);
}

void QuarroTextWriter::BeginPolygonTexCoordIndices() {
    WriteLiteral("\r\n\t}\r\n\r\n\tpolygonTexCoordIndices {");
}

void QuarroTextWriter::BeginPolygonTexCoordSet(uint32_t set) {
    BeginTextureCoordinateSet(set);
}

void QuarroTextWriter::WritePolygonTexCoordIndices(const uint32_t* indices, uint32_t count) {
    WriteIndexLine("\r\n\t\t\t", indices, count);
}

void QuarroTextWriter::EndPolygonTexCoordSet() {
    EndTextureCoordinateSet();
}

void QuarroTextWriter::BeginPolygonMaterialIndices() {
    WriteLiteral("\r\n\t}\r\n\r\n\tpolygonMaterialIndices {");
}

void QuarroTextWriter::WritePolygonMaterialIndex(uint32_t index) {
    WriteLiteral("\r\n\t\t");
    WriteUnsigned(index);
}

void QuarroTextWriter::WriteMissingPolygonMaterialIndex() {
    WriteLiteral("\r\n\t\t");
    WriteScratch("-1", 2);
}

void QuarroTextWriter::BeginVertexWeightCounts() {
    WriteLiteral("\r\n\t}\r\n\r\n\tvertexWeightCounts {");
}

void QuarroTextWriter::WriteVertexWeightCount(uint32_t count) {
    WriteLiteral("\r\n\t\t");
    WriteUnsigned(count);
}

void QuarroTextWriter::BeginWeights() {
    WriteLiteral("\r\n\t}\r\n\r\n\tweights {");
}

void QuarroTextWriter::WriteWeight(int32_t boneIndex, float weight) {
    WriteLiteral("\r\n\t\t");
    WriteUnsigned(static_cast<uint32_t>(boneIndex));
    WriteLiteral(" ");
    WriteFloat(weight);
}

void QuarroTextWriter::EndMesh() {
    WriteLiteral("\r\n\t}\r\n}\r\n");
}
