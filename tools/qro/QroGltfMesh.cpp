#include "QroGltfMesh.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <map>
#include <stdexcept>
#include <utility>

namespace {

[[noreturn]] void Refuse(const std::string& where, const std::string& what) {
    throw std::runtime_error(where + ": " + what);
}

std::string Number(uint64_t value) {
    return std::to_string(value);
}

bool IsFinite(const float* values, int count) {
    for (int i = 0; i < count; ++i)
        if (!std::isfinite(values[i]))
            return false;
    return true;
}

// A 32-bit float sum, also where the compiler would keep more precision (x87).
float Add(float a, float b) {
    volatile float sum = a + b;
    return sum;
}

// Up to four weights whose sum, added in slot order as 32-bit floats (as a
// glTF loader adds them), is exactly 1.
void Normalise(std::array<float, 4>& weights, int count) {
    double total = 0;
    for (int i = 0; i < count; ++i)
        total += weights[size_t(i)];
    float others = 0;
    for (int i = 0; i + 1 < count; ++i) {
        weights[size_t(i)] = float(weights[size_t(i)] / total);
        others = Add(others, weights[size_t(i)]);
    }
    // The last slot takes the rest; it is the smallest, so the others stay
    // below 1 and the rest stays positive.
    float& last = weights[size_t(count - 1)];
    last = Add(1.0f, -others);
    while (Add(others, last) > 1.0f)
        last = std::nextafter(last, 0.0f);
    while (Add(others, last) < 1.0f)
        last = std::nextafter(last, 2.0f);
}

} // namespace

QroGltfMesh::QroGltfMesh(int meshIndex, const MeshData& mesh, const QroMaterialReader::Mesh& materials,
                         const std::vector<int>& materialOfName, int boneCount, int rootJoint) {
    m_where = "mesh " + std::to_string(meshIndex) + " \"" + mesh.name.c_str() + "\"";
    Check(mesh, materials, boneCount);
    m_skinned = mesh.weights.Num() != 0;
    m_hasNormals = mesh.polygonNormalIndices.Num() != 0;
    m_firstCorner.reserve(size_t(mesh.polygonVertexCounts.Num()) + 1);
    uint32_t corner = 0;
    for (unsigned int count : mesh.polygonVertexCounts) {
        m_firstCorner.push_back(corner);
        corner += count;
    }
    m_firstCorner.push_back(corner);
    if (m_skinned)
        PrepareWeights(mesh, rootJoint);

    // Polygons by material, in material order; those without one come last.
    std::map<int, std::vector<uint32_t>> byMaterial;
    for (uint32_t p = 0; p < uint32_t(mesh.polygonVertexCounts.Num()); ++p) {
        if (mesh.polygonVertexCounts[int32_t(p)] < 3) {
            ++m_counts.droppedPolygons;
            continue;
        }
        int material = -1;
        if (!materials.names.empty()) {
            uint32_t index =
                materials.polygonMaterialIndices.empty() ? UINT32_MAX : materials.polygonMaterialIndices[p];
            if (index < materials.names.size())
                material = materialOfName[index];
            else
                ++m_counts.polygonsWithoutMaterial;
        }
        byMaterial[material == -1 ? INT_MAX : material].push_back(p);
    }

    m_newest.assign(size_t(mesh.vertices.Num()), -1);
    for (auto& [key, polygons] : byMaterial)
        BuildPrimitive(mesh, polygons, key == INT_MAX ? -1 : key);
}

size_t QroGltfMesh::GetTriangleCount() const {
    size_t triangles = 0;
    for (const Primitive& primitive : m_primitives)
        triangles += primitive.indices.size() / 3;
    return triangles;
}

void QroGltfMesh::Check(const MeshData& mesh, const QroMaterialReader::Mesh& materials, int boneCount) const {
    uint64_t corners = 0;
    for (unsigned int count : mesh.polygonVertexCounts)
        corners += count;
    auto perCorner = [&](const orlo::UArray<unsigned int>& list, const std::string& name, uint32_t limit,
                         const std::string& target) {
        if (uint64_t(list.Num()) != corners)
            Refuse(m_where, name + " holds " + Number(uint64_t(list.Num())) + " indices for " + Number(corners) +
                                " polygon corners");
        for (int32_t i = 0; i < list.Num(); ++i)
            if (list[i] >= limit)
                Refuse(m_where, name + " entry " + Number(uint64_t(i)) + " is " + Number(list[i]) + ", but there are " +
                                    Number(limit) + " " + target);
    };
    perCorner(mesh.polygonVertexIndices, "polygonVertexIndices", uint32_t(mesh.vertices.Num()), "vertices");
    for (int32_t v = 0; v < mesh.vertices.Num(); ++v)
        if (!IsFinite(&mesh.vertices[v].x, 3))
            Refuse(m_where, "vertex " + Number(uint64_t(v)) + " holds a value that is not a finite number");

    if (mesh.polygonNormalIndices.Num() != 0) {
        perCorner(mesh.polygonNormalIndices, "polygonNormalIndices", uint32_t(mesh.normals.Num()), "normals");
        for (int32_t n = 0; n < mesh.normals.Num(); ++n)
            if (!IsFinite(&mesh.normals[n].x, 3))
                Refuse(m_where, "normal " + Number(uint64_t(n)) + " holds a value that is not a finite number");
    }

    if (mesh.textureCoordinates.Num() != mesh.polygonTexCoordIndices.Num())
        Refuse(m_where, "textureCoordinates holds " + Number(uint64_t(mesh.textureCoordinates.Num())) +
                            " sets, but polygonTexCoordIndices " + Number(uint64_t(mesh.polygonTexCoordIndices.Num())));
    for (int32_t s = 0; s < mesh.textureCoordinates.Num(); ++s) {
        const orlo::UArray<orlo::TVector2<float>>& set = mesh.textureCoordinates[s];
        perCorner(mesh.polygonTexCoordIndices[s], "polygonTexCoordIndices set " + Number(uint64_t(s)),
                  uint32_t(set.Num()), "coordinates in set " + Number(uint64_t(s)));
        for (int32_t t = 0; t < set.Num(); ++t)
            if (!IsFinite(&set[t].x, 2))
                Refuse(m_where, "coordinate " + Number(uint64_t(t)) + " of set " + Number(uint64_t(s)) +
                                    " holds a value that is not a finite number");
    }

    uint64_t counted = 0;
    for (unsigned int count : mesh.vertexWeightCounts)
        counted += count;
    if (counted != uint64_t(mesh.weights.Num()))
        Refuse(m_where, "vertexWeightCounts counts " + Number(counted) + " weights, but weights holds " +
                            Number(uint64_t(mesh.weights.Num())));
    if (mesh.weights.Num() != 0 && mesh.vertexWeightCounts.Num() != mesh.vertices.Num())
        Refuse(m_where, "vertexWeightCounts holds " + Number(uint64_t(mesh.vertexWeightCounts.Num())) +
                            " entries for " + Number(uint64_t(mesh.vertices.Num())) + " vertices");
    for (int32_t w = 0; w < mesh.weights.Num(); ++w) {
        const MeshData::Weight& weight = mesh.weights[w];
        if (weight.boneIndex < 0 || weight.boneIndex >= boneCount)
            Refuse(m_where, "weight " + Number(uint64_t(w)) + " names bone " + std::to_string(weight.boneIndex) +
                                ", but the file has " + Number(uint64_t(boneCount)) + " bones");
        if (!std::isfinite(weight.weight))
            Refuse(m_where, "weight " + Number(uint64_t(w)) + " is not a finite number");
    }

    if (!materials.names.empty() && !materials.polygonMaterialIndices.empty() &&
        materials.polygonMaterialIndices.size() != size_t(mesh.polygonVertexCounts.Num()))
        Refuse(m_where, "polygonMaterialIndices holds " + Number(materials.polygonMaterialIndices.size()) +
                            " entries for " + Number(uint64_t(mesh.polygonVertexCounts.Num())) + " polygons");
}

void QroGltfMesh::PrepareWeights(const MeshData& mesh, int rootJoint) {
    size_t vertexCount = size_t(mesh.vertices.Num());
    m_vertexJoints.assign(vertexCount, {0, 0, 0, 0});
    m_vertexWeights.assign(vertexCount, {0, 0, 0, 0});
    std::vector<std::pair<int32_t, float>> influences;
    int32_t next = 0;
    for (size_t v = 0; v < vertexCount; ++v) {
        int32_t end = next + int32_t(mesh.vertexWeightCounts[int32_t(v)]);
        influences.clear();
        for (; next < end; ++next)
            influences.emplace_back(mesh.weights[next].boneIndex, mesh.weights[next].weight);
        // A bone named twice counts once, with its weights added.
        std::sort(influences.begin(), influences.end());
        size_t kept = 0;
        for (size_t i = 0; i < influences.size(); ++i) {
            if (kept != 0 && influences[kept - 1].first == influences[i].first)
                influences[kept - 1].second += influences[i].second;
            else
                influences[kept++] = influences[i];
        }
        influences.resize(kept);
        // Only a positive weight moves a vertex.
        influences.erase(std::remove_if(influences.begin(), influences.end(),
                                        [](const std::pair<int32_t, float>& i) { return !(i.second > 0); }),
                         influences.end());
        std::sort(influences.begin(), influences.end(),
                  [](const std::pair<int32_t, float>& a, const std::pair<int32_t, float>& b) {
                      return a.second != b.second ? a.second > b.second : a.first < b.first;
                  });
        if (influences.size() > 4) {
            ++m_counts.verticesOverFourWeights;
            influences.resize(4);
        }
        if (influences.empty()) {
            ++m_counts.unweightedVertices;
            influences.emplace_back(rootJoint, 1.0f);
        }
        for (size_t i = 0; i < influences.size(); ++i) {
            m_vertexJoints[v][i] = uint16_t(influences[i].first);
            m_vertexWeights[v][i] = influences[i].second;
        }
        Normalise(m_vertexWeights[v], int(influences.size()));
    }
}

std::array<float, 3> QroGltfMesh::CornerNormal(const MeshData& mesh, uint32_t polygon, uint32_t corner) {
    const orlo::TVector3<float>& n = mesh.normals[int32_t(mesh.polygonNormalIndices[int32_t(corner)])];
    double x = n.x, y = n.y, z = n.z;
    double length = std::sqrt(x * x + y * y + z * z);
    if (length == 0) {
        // No direction to keep: the polygon's own normal (Newell's), or up.
        ++m_counts.replacedNormals;
        x = y = z = 0;
        for (uint32_t c = m_firstCorner[polygon]; c < m_firstCorner[polygon + 1]; ++c) {
            uint32_t following = c + 1 < m_firstCorner[polygon + 1] ? c + 1 : m_firstCorner[polygon];
            const orlo::TVector3<float>& a = mesh.vertices[int32_t(mesh.polygonVertexIndices[int32_t(c)])];
            const orlo::TVector3<float>& b = mesh.vertices[int32_t(mesh.polygonVertexIndices[int32_t(following)])];
            x += (double(a.y) - b.y) * (double(a.z) + b.z);
            y += (double(a.z) - b.z) * (double(a.x) + b.x);
            z += (double(a.x) - b.x) * (double(a.y) + b.y);
        }
        length = std::sqrt(x * x + y * y + z * z);
        if (length == 0 || !std::isfinite(length)) {
            x = y = 0;
            z = length = 1;
        }
    }
    // Turned to Y-up as the positions are.
    return {float(x / length), float(z / length), float(0.0 - y / length)};
}

void QroGltfMesh::BuildPrimitive(const MeshData& mesh, const std::vector<uint32_t>& polygons, int material) {
    Primitive primitive;
    primitive.material = material;
    size_t sets = size_t(mesh.textureCoordinates.Num());
    primitive.textureCoordinates.resize(sets);
    std::vector<uint32_t> sources; // the file vertex of each glTF vertex
    std::vector<uint32_t> ring;    // the glTF vertices of one polygon's corners
    std::vector<float> uv(sets * 2);
    m_older.clear();

    for (uint32_t p : polygons) {
        ring.clear();
        for (uint32_t c = m_firstCorner[p]; c < m_firstCorner[p + 1]; ++c) {
            uint32_t vertex = mesh.polygonVertexIndices[int32_t(c)];
            std::array<float, 3> normal{};
            if (m_hasNormals)
                normal = CornerNormal(mesh, p, c);
            for (size_t s = 0; s < sets; ++s) {
                const orlo::TVector2<float>& t =
                    mesh.textureCoordinates[int32_t(s)][int32_t(mesh.polygonTexCoordIndices[int32_t(s)][int32_t(c)])];
                uv[s * 2] = t.x;
                uv[s * 2 + 1] = 1.0f - t.y;
            }
            // A glTF vertex made from the same file vertex with the same
            // normal and coordinates serves; otherwise the vertex splits.
            int32_t found = m_newest[vertex];
            for (; found != -1; found = m_older[size_t(found)]) {
                bool same = true;
                if (m_hasNormals)
                    for (size_t k = 0; k < 3 && same; ++k)
                        same = primitive.normals[size_t(found) * 3 + k] == normal[k];
                for (size_t s = 0; s < sets && same; ++s)
                    same = primitive.textureCoordinates[s][size_t(found) * 2] == uv[s * 2] &&
                           primitive.textureCoordinates[s][size_t(found) * 2 + 1] == uv[s * 2 + 1];
                if (same)
                    break;
            }
            if (found == -1) {
                found = int32_t(sources.size());
                sources.push_back(vertex);
                m_older.push_back(m_newest[vertex]);
                m_newest[vertex] = found;
                const orlo::TVector3<float>& position = mesh.vertices[int32_t(vertex)];
                // Y-up: (x, y, z) -> (x, z, -y), exact in floats.
                primitive.positions.insert(primitive.positions.end(), {position.x, position.z, 0.0f - position.y});
                if (m_hasNormals)
                    primitive.normals.insert(primitive.normals.end(), normal.begin(), normal.end());
                for (size_t s = 0; s < sets; ++s)
                    primitive.textureCoordinates[s].insert(primitive.textureCoordinates[s].end(),
                                                           {uv[s * 2], uv[s * 2 + 1]});
                if (m_skinned) {
                    primitive.joints.push_back(m_vertexJoints[vertex]);
                    primitive.weights.push_back(m_vertexWeights[vertex]);
                }
            }
            ring.push_back(uint32_t(found));
        }
        // A fan from the first corner.
        for (size_t i = 1; i + 1 < ring.size(); ++i)
            primitive.indices.insert(primitive.indices.end(), {ring[0], ring[i], ring[i + 1]});
    }
    // The next primitive starts without vertices.
    for (uint32_t vertex : sources)
        m_newest[vertex] = -1;
    m_primitives.push_back(static_cast<Primitive&&>(primitive));
}
