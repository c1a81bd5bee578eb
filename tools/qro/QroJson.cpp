#include "QroJson.h"

#include <cmath>
#include <cstdint>
#include <limits>
#include <stdexcept>

#include <nlohmann/json.hpp>

#include "QuarroTextReader.h"

namespace {

// Floats are kept as 32-bit floats, so that they print with the digits of a float.
using Json = nlohmann::basic_json<std::map, std::vector, std::string, bool, std::int64_t, std::uint64_t, float>;
using String = orlo::UBaseString<unsigned char>;

// --- records to JSON ----------------------------------------------------------

std::string NameToUtf8(const String& name) {
    std::string text;
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(name.c_str()); *p != 0; ++p) {
        if (*p < 0x80) {
            text += char(*p);
        } else {
            text += char(0xC0 | (*p >> 6));
            text += char(0x80 | (*p & 0x3F));
        }
    }
    return text;
}

// JSON has no NaN or infinities: they are written as the strings the text
// format itself uses for them, and read back from those.
const char* const kNotANumber = "nan";
const char* const kInfinity = "inf";
const char* const kNegativeInfinity = "-inf";

Json FloatToJson(float value) {
    if (std::isnan(value))
        return kNotANumber;
    if (std::isinf(value))
        return value > 0 ? kInfinity : kNegativeInfinity;
    return value;
}

Json Floats(const float* values, int count) {
    Json array = Json::array();
    for (int i = 0; i < count; ++i)
        array.push_back(FloatToJson(values[i]));
    return array;
}

Json Unsigned(const orlo::UArray<unsigned int>& values) {
    Json array = Json::array();
    for (unsigned int value : values)
        array.push_back(std::uint64_t(value));
    return array;
}

Json BoneToJson(const BoneData& bone) {
    Json matrix = Json::array();
    for (const auto& row : bone.invBaseMatrix.m)
        for (float value : row)
            matrix.push_back(FloatToJson(value));
    Json json = Json::object();
    json["name"] = NameToUtf8(bone.name);
    json["parent"] = NameToUtf8(bone.parent);
    json["invBaseMatrix"] = matrix;
    return json;
}

Json MeshToJson(const MeshData& mesh) {
    Json vertices = Json::array();
    for (const auto& v : mesh.vertices)
        vertices.push_back(Floats(&v.x, 3));
    Json normals = Json::array();
    for (const auto& n : mesh.normals)
        normals.push_back(Floats(&n.x, 3));
    Json sets = Json::array();
    for (const auto& set : mesh.textureCoordinates) {
        Json coordinates = Json::array();
        for (const auto& uv : set)
            coordinates.push_back(Floats(&uv.x, 2));
        sets.push_back(coordinates);
    }
    Json weights = Json::array();
    for (const MeshData::Weight& weight : mesh.weights)
        weights.push_back(Json::array({Json(std::int64_t(weight.boneIndex)), FloatToJson(weight.weight)}));
    Json indexSets = Json::array();
    for (const auto& set : mesh.polygonTexCoordIndices)
        indexSets.push_back(Unsigned(set));

    Json json = Json::object();
    json["name"] = NameToUtf8(mesh.name);
    json["vertices"] = vertices;
    json["normals"] = normals;
    json["textureCoordinates"] = sets;
    json["vertexWeightCounts"] = Unsigned(mesh.vertexWeightCounts);
    json["weights"] = weights;
    json["polygonVertexCounts"] = Unsigned(mesh.polygonVertexCounts);
    json["polygonVertexIndices"] = Unsigned(mesh.polygonVertexIndices);
    json["polygonNormalIndices"] = Unsigned(mesh.polygonNormalIndices);
    json["polygonTexCoordIndices"] = indexSets;
    json["polygonMaterialIndices"] = Unsigned(mesh.polygonMaterialIndices);
    return json;
}

// --- JSON to records ----------------------------------------------------------

// A refused document: the message names the place in the document.
struct Invalid : std::runtime_error {
    using std::runtime_error::runtime_error;
};

[[noreturn]] void Refuse(const std::string& where, const std::string& what) {
    throw Invalid(where + ": " + what);
}

std::string At(const std::string& where, size_t index) {
    return where + "[" + std::to_string(index) + "]";
}

const Json& Array(const Json& json, const std::string& where) {
    if (!json.is_array())
        Refuse(where, "expected an array");
    return json;
}

float Float(const Json& json, const std::string& where) {
    if (json.is_string()) {
        const std::string& text = json.get_ref<const std::string&>();
        if (text == kNotANumber)
            return std::numeric_limits<float>::quiet_NaN();
        if (text == kInfinity)
            return std::numeric_limits<float>::infinity();
        if (text == kNegativeInfinity)
            return -std::numeric_limits<float>::infinity();
        Refuse(where, "expected a number, \"nan\", \"inf\" or \"-inf\"");
    }
    if (!json.is_number())
        Refuse(where, "expected a number");
    float value = json.get<float>();
    if (!std::isfinite(value))
        Refuse(where, "not a finite 32-bit float");
    return value;
}

// Unsigned values; a negative one stands for its 32-bit pattern (-1 for 4294967295).
uint32_t Bits32(const Json& json, const std::string& where) {
    if (json.is_number_unsigned() && json.get<std::uint64_t>() <= UINT32_MAX)
        return uint32_t(json.get<std::uint64_t>());
    if (json.is_number_integer() && json.get<std::int64_t>() >= INT32_MIN && json.get<std::int64_t>() <= UINT32_MAX)
        return uint32_t(json.get<std::int64_t>());
    Refuse(where, "expected an integer from -2147483648 to 4294967295");
}

String Name(const Json& json, const std::string& where) {
    if (!json.is_string())
        Refuse(where, "expected a string");
    const std::string& text = json.get_ref<const std::string&>();
    std::string bytes;
    for (size_t i = 0; i < text.size();) {
        unsigned char lead = static_cast<unsigned char>(text[i]);
        unsigned codePoint;
        if (lead < 0x80) {
            codePoint = lead;
            i += 1;
        } else if ((lead & 0xE0) == 0xC0 && i + 1 < text.size()) {
            codePoint = ((lead & 0x1Fu) << 6) | (static_cast<unsigned char>(text[i + 1]) & 0x3Fu);
            i += 2;
        } else {
            codePoint = 0x100;
        }
        if (codePoint > 0xFF)
            Refuse(where, "names are 8-bit text: no character above U+00FF");
        if (codePoint == 0)
            Refuse(where, "a name cannot hold U+0000");
        if (codePoint == '"')
            Refuse(where, "a name cannot hold a double quote: the file could not be read back");
        bytes += char(codePoint);
    }
    return String(bytes.c_str());
}

// Fills the fields from an object, refusing keys that are not fields.
template <class F>
void Fields(const Json& json, const std::string& where, std::initializer_list<const char*> known, F&& field) {
    if (!json.is_object())
        Refuse(where, "expected an object");
    for (auto it = json.begin(); it != json.end(); ++it) {
        bool isKnown = false;
        for (const char* key : known)
            isKnown = isKnown || it.key() == key;
        if (!isKnown)
            Refuse(where, "unknown key \"" + it.key() + "\"");
        field(it.key(), it.value(), where + "." + it.key());
    }
}

template <class TVector, int N>
void Vectors(const Json& json, const std::string& where, orlo::UArray<TVector>& out) {
    const Json& array = Array(json, where);
    for (size_t i = 0; i < array.size(); ++i) {
        const Json& item = array[i];
        if (!item.is_array() || item.size() != N)
            Refuse(At(where, i), "expected an array of " + std::to_string(N) + " numbers");
        TVector vector;
        float* components = &vector.x;
        for (int c = 0; c < N; ++c)
            components[c] = Float(item[size_t(c)], At(At(where, i), size_t(c)));
        out.Add(vector);
    }
}

void Indices(const Json& json, const std::string& where, orlo::UArray<unsigned int>& out) {
    const Json& array = Array(json, where);
    for (size_t i = 0; i < array.size(); ++i)
        out.Add(Bits32(array[i], At(where, i)));
}

BoneData BoneFromJson(const Json& json, const std::string& where) {
    BoneData bone;
    Fields(json, where, {"name", "parent", "invBaseMatrix"},
           [&](const std::string& key, const Json& value, const std::string& at) {
               if (key == "name") {
                   bone.name = Name(value, at);
               } else if (key == "parent") {
                   bone.parent = Name(value, at);
               } else {
                   if (!value.is_array() || value.size() != 16)
                       Refuse(at, "expected an array of 16 numbers, row by row");
                   for (size_t i = 0; i < 16; ++i)
                       bone.invBaseMatrix.m[i / 4][i % 4] = Float(value[i], At(at, i));
               }
           });
    return bone;
}

void MeshFromJson(const Json& json, const std::string& where, MeshData& mesh,
                  QuarroRecordWriter::MaterialNames& materials) {
    Fields(json, where,
           {"name", "vertices", "normals", "textureCoordinates", "vertexWeightCounts", "weights", "polygonVertexCounts",
            "polygonVertexIndices", "polygonNormalIndices", "polygonTexCoordIndices", "polygonMaterialIndices",
            "materialNames"},
           [&](const std::string& key, const Json& value, const std::string& at) {
               if (key == "name") {
                   mesh.name = Name(value, at);
               } else if (key == "vertices") {
                   Vectors<orlo::TVector3<float>, 3>(value, at, mesh.vertices);
               } else if (key == "normals") {
                   Vectors<orlo::TVector3<float>, 3>(value, at, mesh.normals);
               } else if (key == "textureCoordinates") {
                   const Json& sets = Array(value, at);
                   for (size_t s = 0; s < sets.size(); ++s) {
                       int32_t index = mesh.textureCoordinates.Add({});
                       Vectors<orlo::TVector2<float>, 2>(sets[s], At(at, s), mesh.textureCoordinates[index]);
                   }
               } else if (key == "polygonTexCoordIndices") {
                   const Json& sets = Array(value, at);
                   for (size_t s = 0; s < sets.size(); ++s) {
                       int32_t index = mesh.polygonTexCoordIndices.Add({});
                       Indices(sets[s], At(at, s), mesh.polygonTexCoordIndices[index]);
                   }
               } else if (key == "weights") {
                   const Json& weights = Array(value, at);
                   for (size_t i = 0; i < weights.size(); ++i) {
                       const Json& item = weights[i];
                       if (!item.is_array() || item.size() != 2)
                           Refuse(At(at, i), "expected [boneIndex, weight]");
                       int32_t bone = int32_t(Bits32(item[0], At(At(at, i), 0)));
                       mesh.weights.Add({bone, Float(item[1], At(At(at, i), 1))});
                   }
               } else if (key == "materialNames") {
                   const Json& names = Array(value, at);
                   for (size_t i = 0; i < names.size(); ++i)
                       materials.Add(Name(names[i], At(at, i)));
               } else {
                   orlo::UArray<unsigned int>& list = key == "vertexWeightCounts"     ? mesh.vertexWeightCounts
                                                      : key == "polygonVertexCounts"  ? mesh.polygonVertexCounts
                                                      : key == "polygonVertexIndices" ? mesh.polygonVertexIndices
                                                      : key == "polygonNormalIndices" ? mesh.polygonNormalIndices
                                                                                      : mesh.polygonMaterialIndices;
                   Indices(value, at, list);
               }
           });
}

// The writer's own rule, so that qro refuses exactly what it would.
void CheckMesh(const MeshData& mesh, const QuarroRecordWriter::MaterialNames& materials, const std::string& where) {
    QuarroRecordWriter::Misfit misfit;
    if (QuarroRecordWriter::FindMisfit(mesh, &materials, misfit))
        Refuse(where + "." + misfit.field.c_str(), misfit.reason.c_str());
}

} // namespace

std::string QroJson::Dump(const orlo::UArray<BoneData>& bones, const orlo::UArray<MeshData>& meshes) {
    Json document = Json::object();
    document["bones"] = Json::array();
    for (const BoneData& bone : bones)
        document["bones"].push_back(BoneToJson(bone));
    document["meshes"] = Json::array();
    for (const MeshData& mesh : meshes)
        document["meshes"].push_back(MeshToJson(mesh));
    return document.dump() + "\n";
}

bool QroJson::Parse(const std::string& text, orlo::UArray<BoneData>& bones, orlo::UArray<MeshData>& meshes,
                    orlo::UArray<QuarroRecordWriter::MaterialNames>& materialNames, std::string& error) {
    try {
        Json document = Json::parse(text);
        Fields(document, "document", {"bones", "meshes"},
               [&](const std::string& key, const Json& value, const std::string& at) {
                   const Json& list = Array(value, at);
                   if (list.size() >= QuarroTextReader::MAX_COUNT)
                       Refuse(at, "at most " + std::to_string(QuarroTextReader::MAX_COUNT - 1) +
                                      " entries can be read back");
                   for (size_t i = 0; i < list.size(); ++i) {
                       if (key == "bones") {
                           bones.Add(BoneFromJson(list[i], At(at, i)));
                       } else {
                           int32_t index = meshes.Add(MeshData());
                           materialNames.Add({});
                           MeshFromJson(list[i], At(at, i), meshes[index], materialNames[index]);
                           CheckMesh(meshes[index], materialNames[index], At(at, i));
                       }
                   }
               });
        return true;
    } catch (const Invalid& invalid) {
        error = invalid.what();
    } catch (const Json::exception& exception) {
        error = exception.what();
    }
    return false;
}
