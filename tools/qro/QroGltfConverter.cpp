#include "QroGltfConverter.h"

#include <algorithm>
#include <map>
#include <set>

#include "QroGltfMesh.h"
#include "QroGltfSkeleton.h"

namespace {

using Json = QroGltfDocument::Json;

const char* const kRootJointName = "(unweighted)";

template <class T>
int AddVertexData(QroGltfDocument& document, const std::vector<T>& values, int componentType, size_t count,
                  const char* type, int target) {
    int view = document.AddView(values.data(), values.size() * sizeof(T), target);
    return document.AddAccessor(view, componentType, count, type);
}

int AddPositions(QroGltfDocument& document, const std::vector<float>& positions) {
    float low[3] = {positions[0], positions[1], positions[2]};
    float high[3] = {positions[0], positions[1], positions[2]};
    for (size_t i = 0; i < positions.size(); ++i) {
        low[i % 3] = std::min(low[i % 3], positions[i]);
        high[i % 3] = std::max(high[i % 3], positions[i]);
    }
    int accessor = AddVertexData(document, positions, QroGltfDocument::FLOAT, positions.size() / 3, "VEC3",
                                 QroGltfDocument::ARRAY_BUFFER);
    Json& json = document.GetJson()["accessors"][size_t(accessor)];
    json["min"] = {low[0], low[1], low[2]};
    json["max"] = {high[0], high[1], high[2]};
    return accessor;
}

Json AddPrimitive(QroGltfDocument& document, const QroGltfMesh::Primitive& primitive, size_t jointCount) {
    size_t vertices = primitive.GetVertexCount();
    Json attributes = Json::object();
    attributes["POSITION"] = AddPositions(document, primitive.positions);
    if (!primitive.normals.empty())
        attributes["NORMAL"] = AddVertexData(document, primitive.normals, QroGltfDocument::FLOAT, vertices, "VEC3",
                                             QroGltfDocument::ARRAY_BUFFER);
    for (size_t s = 0; s < primitive.textureCoordinates.size(); ++s)
        attributes["TEXCOORD_" + std::to_string(s)] =
            AddVertexData(document, primitive.textureCoordinates[s], QroGltfDocument::FLOAT, vertices, "VEC2",
                          QroGltfDocument::ARRAY_BUFFER);
    if (!primitive.joints.empty()) {
        // Bytes while every joint index fits in one.
        if (jointCount <= 256) {
            std::vector<uint8_t> joints;
            joints.reserve(vertices * 4);
            for (const auto& vertex : primitive.joints)
                for (uint16_t joint : vertex)
                    joints.push_back(uint8_t(joint));
            attributes["JOINTS_0"] = AddVertexData(document, joints, QroGltfDocument::UNSIGNED_BYTE, vertices, "VEC4",
                                                   QroGltfDocument::ARRAY_BUFFER);
        } else {
            attributes["JOINTS_0"] = AddVertexData(document, primitive.joints, QroGltfDocument::UNSIGNED_SHORT,
                                                   vertices, "VEC4", QroGltfDocument::ARRAY_BUFFER);
        }
        attributes["WEIGHTS_0"] = AddVertexData(document, primitive.weights, QroGltfDocument::FLOAT, vertices, "VEC4",
                                                QroGltfDocument::ARRAY_BUFFER);
    }
    Json json = Json::object();
    json["attributes"] = attributes;
    // 16-bit indices while no index reaches 65535, glTF's restart value.
    if (vertices <= 65535) {
        std::vector<uint16_t> indices(primitive.indices.begin(), primitive.indices.end());
        json["indices"] = AddVertexData(document, indices, QroGltfDocument::UNSIGNED_SHORT, indices.size(), "SCALAR",
                                        QroGltfDocument::ELEMENT_ARRAY_BUFFER);
    } else {
        json["indices"] = AddVertexData(document, primitive.indices, QroGltfDocument::UNSIGNED_INT,
                                        primitive.indices.size(), "SCALAR", QroGltfDocument::ELEMENT_ARRAY_BUFFER);
    }
    if (primitive.material != -1)
        json["material"] = primitive.material;
    return json;
}

std::string Plural(size_t count, const char* one, const char* many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

void AddNotes(const std::string& where, const QroGltfMesh::Counts& counts, std::vector<std::string>& notes) {
    if (counts.droppedPolygons != 0)
        notes.push_back(where + ": " + Plural(counts.droppedPolygons, "polygon has", "polygons have") +
                        " fewer than three corners and cannot be shown");
    if (counts.verticesOverFourWeights != 0)
        notes.push_back(where + ": " + Plural(counts.verticesOverFourWeights, "vertex has", "vertices have") +
                        " more than four weights; the four largest are kept, renormalised");
    if (counts.unweightedVertices != 0)
        notes.push_back(where + ": " + Plural(counts.unweightedVertices, "vertex has", "vertices have") +
                        " no weights; bound to the joint \"" + kRootJointName + "\", they stay where they are");
    if (counts.replacedNormals != 0)
        notes.push_back(where + ": " + Plural(counts.replacedNormals, "corner has", "corners have") +
                        " a normal of zero length; the polygon's own normal is used");
    if (counts.polygonsWithoutMaterial != 0)
        notes.push_back(where + ": " + Plural(counts.polygonsWithoutMaterial, "polygon names", "polygons name") +
                        " no material; drawn with the default material");
}

} // namespace

std::string QroGltfConverter::NameToUtf8(const std::string& name) {
    std::string text;
    for (unsigned char byte : name) {
        if (byte < 0x80) {
            text += char(byte);
        } else {
            text += char(0xC0 | (byte >> 6));
            text += char(0x80 | (byte & 0x3F));
        }
    }
    return text;
}

QroGltfConverter::Summary QroGltfConverter::Convert(const orlo::UArray<BoneData>& bones,
                                                    const orlo::UArray<MeshData>& meshes,
                                                    const std::vector<QroMaterialReader::Mesh>& materials,
                                                    const std::string& sceneName, QroGltfDocument& document,
                                                    std::vector<std::string>& notes) {
    Summary summary;
    QroGltfSkeleton skeleton(bones, notes);
    const int boneCount = bones.Num();
    const int rootJoint = boneCount; // appended after the bones when used

    // Materials: one per name, shared by the meshes that use it.
    std::map<std::string, int> materialOfName;
    static const QroMaterialReader::Mesh kNoMaterials;
    auto materialsOf = [&](int k) -> const QroMaterialReader::Mesh& {
        return size_t(k) < materials.size() ? materials[size_t(k)] : kNoMaterials;
    };

    struct MeshNode {
        std::string name;
        int mesh = -1;
        bool skinned = false;
    };
    std::vector<MeshNode> meshNodes;
    bool rootJointUsed = false;
    bool anySkinned = false;
    for (int k = 0; k < meshes.Num(); ++k) {
        const QroMaterialReader::Mesh& meshMaterials = materialsOf(k);
        std::vector<int> materialIndices;
        for (const std::string& name : meshMaterials.names) {
            auto found = materialOfName.find(name);
            if (found == materialOfName.end()) {
                Json material = {{"name", NameToUtf8(name)},
                                 {"pbrMetallicRoughness",
                                  {{"baseColorFactor", {0.8f, 0.8f, 0.8f, 1.0f}}, {"metallicFactor", 0.0f}}}};
                found = materialOfName.emplace(name, document.Append("materials", material)).first;
            }
            materialIndices.push_back(found->second);
        }

        QroGltfMesh mesh(k, meshes[k], meshMaterials, materialIndices, boneCount, rootJoint);
        std::string where = "mesh " + std::to_string(k) + " \"" + meshes[k].name.c_str() + "\"";
        AddNotes(where, mesh.GetCounts(), notes);
        MeshNode node;
        node.name = meshes[k].name.c_str();
        if (mesh.GetPrimitives().empty()) {
            notes.push_back(where + ": no polygon to show; its node holds no mesh");
        } else {
            Json primitives = Json::array();
            for (const QroGltfMesh::Primitive& primitive : mesh.GetPrimitives())
                primitives.push_back(AddPrimitive(document, primitive, size_t(boneCount) + 1));
            Json json = Json::object();
            if (!node.name.empty())
                json["name"] = NameToUtf8(node.name);
            json["primitives"] = primitives;
            node.mesh = document.Append("meshes", json);
            node.skinned = mesh.IsSkinned();
            anySkinned = anySkinned || node.skinned;
            rootJointUsed = rootJointUsed || (node.skinned && mesh.GetCounts().unweightedVertices != 0);
            ++summary.meshes;
            summary.triangles += mesh.GetTriangleCount();
        }
        meshNodes.push_back(node);
    }

    // Node names are made unique, as the file's names need not be ("_" and a
    // number appended while a name is taken): most tools find bones by name.
    std::set<std::string> taken;
    auto uniqueName = [&](const std::string& name, const std::string& what) {
        std::string unique = name;
        for (int number = 1; !name.empty() && !taken.insert(unique).second; ++number)
            unique = name + "_" + std::to_string(number);
        if (unique != name)
            notes.push_back(what + ": its node is named \"" + unique + "\", as another node has its name");
        return unique;
    };

    // Nodes: the top node first, then the bones, the root joint, the meshes.
    // The top node holds no transform; it is the joints' common root, which
    // glTF requires of a skin's joints.
    const std::vector<QroGltfSkeleton::Joint>& joints = skeleton.GetJoints();
    Json top = Json::object();
    if (!sceneName.empty())
        top["name"] = NameToUtf8(uniqueName(sceneName, "the scene"));
    Json topChildren = Json::array();
    for (int root : skeleton.GetRoots())
        topChildren.push_back(1 + root);
    document.Append("nodes", top);
    for (size_t b = 0; b < joints.size(); ++b) {
        const QroGltfSkeleton::Joint& joint = joints[b];
        Json node = Json::object();
        if (!joint.name.empty())
            node["name"] = NameToUtf8(uniqueName(joint.name, "bone " + std::to_string(b) + " \"" + joint.name + "\""));
        const QroGltfMath::Trs& trs = joint.local;
        if (trs.translation != std::array<double, 3>{0, 0, 0})
            node["translation"] = {float(trs.translation[0]), float(trs.translation[1]), float(trs.translation[2])};
        if (trs.rotation != std::array<double, 4>{0, 0, 0, 1})
            node["rotation"] = {float(trs.rotation[0]), float(trs.rotation[1]), float(trs.rotation[2]),
                                float(trs.rotation[3])};
        if (trs.scale != std::array<double, 3>{1, 1, 1})
            node["scale"] = {float(trs.scale[0]), float(trs.scale[1]), float(trs.scale[2])};
        if (!joint.children.empty()) {
            Json children = Json::array();
            for (int child : joint.children)
                children.push_back(1 + child);
            node["children"] = children;
        }
        document.Append("nodes", node);
    }
    if (rootJointUsed)
        topChildren.push_back(
            document.Append("nodes", {{"name", NameToUtf8(uniqueName(kRootJointName, "the added root joint"))}}));

    int skin = -1;
    if (anySkinned) {
        std::vector<float> matrices;
        Json jointNodes = Json::array();
        for (int b = 0; b < boneCount; ++b) {
            matrices.insert(matrices.end(), joints[size_t(b)].inverseBindMatrix.begin(),
                            joints[size_t(b)].inverseBindMatrix.end());
            jointNodes.push_back(1 + b);
        }
        if (rootJointUsed) {
            const float identity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
            matrices.insert(matrices.end(), identity, identity + 16);
            jointNodes.push_back(1 + boneCount);
        }
        int view = document.AddView(matrices.data(), matrices.size() * sizeof(float), 0);
        int accessor = document.AddAccessor(view, QroGltfDocument::FLOAT, matrices.size() / 16, "MAT4");
        skin = document.Append("skins", {{"inverseBindMatrices", accessor}, {"joints", jointNodes}});
        summary.joints = jointNodes.size();
    }

    Json sceneNodes = Json::array({0});
    for (size_t k = 0; k < meshNodes.size(); ++k) {
        const MeshNode& meshNode = meshNodes[k];
        Json node = Json::object();
        if (!meshNode.name.empty())
            node["name"] =
                NameToUtf8(uniqueName(meshNode.name, "mesh " + std::to_string(k) + " \"" + meshNode.name + "\""));
        if (meshNode.mesh != -1)
            node["mesh"] = meshNode.mesh;
        if (meshNode.skinned)
            node["skin"] = skin;
        int index = document.Append("nodes", node);
        // A skinned mesh hangs at the scene root: its joints place it.
        if (meshNode.skinned)
            sceneNodes.push_back(index);
        else
            topChildren.push_back(index);
    }
    if (!topChildren.empty())
        document.GetJson()["nodes"][0]["children"] = topChildren;
    document.GetJson()["scene"] = 0;
    document.Append("scenes", {{"nodes", sceneNodes}});
    return summary;
}
