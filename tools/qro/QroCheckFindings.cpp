#include "QroCheckFindings.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <numbers>
#include <optional>
#include <unordered_set>

namespace {

using Kind = QroCheckFindings::Kind;
using Finding = QroCheckFindings::Finding;
using String = orlo::UBaseString<unsigned char>;
using Vector = std::array<double, 3>;
using Matrix3 = std::array<Vector, 3>; // [row][column]

constexpr size_t KIND_COUNT = size_t(Kind::BindMatrixPrecision) + 1;
// What the writer puts in polygonMaterialIndices when a mesh's material
// indices are not available; it names no material and is no finding.
constexpr uint32_t MATERIAL_INDEX_PLACEHOLDER = 0xFFFFFFFFu;

std::string Number(uint64_t value) {
    return std::to_string(value);
}

// "1 vertex", "2 vertices".
std::string Counted(uint64_t value, const char* one, const char* many) {
    return Number(value) + " " + (value == 1 ? one : many);
}

// A name between double quotes, with what would break the line or the quotes
// written as escapes, so that the message shows where the name goes wrong.
std::string Quoted(const String& name) {
    std::string text = "\"";
    for (const char* c = name.c_str(); *c != 0; ++c) {
        const unsigned char byte = static_cast<unsigned char>(*c);
        if (byte == '"' || byte == '\\') {
            text += '\\';
            text += char(byte);
        } else if (byte == '\r') {
            text += "\\r";
        } else if (byte == '\n') {
            text += "\\n";
        } else if (byte < 0x20 || byte == 0x7F) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\x%02X", byte);
            text += escape;
        } else {
            text += char(byte);
        }
    }
    return text + "\"";
}

bool IsUnreadable(const String& name) {
    for (const char* c = name.c_str(); *c != 0; ++c)
        if (*c == '"' || *c == '\r' || *c == '\n')
            return true;
    return false;
}

// The first place and the number of places of each kind.
class Tally {
public:
    template <class Place>
    void Add(Kind kind, Place place, size_t count = 1) {
        Finding& finding = m_findings[size_t(kind)];
        if (finding.count == 0)
            finding.first = place();
        finding.count += count;
    }

    std::vector<Finding> Findings() const {
        std::vector<Finding> findings;
        for (size_t k = 0; k < KIND_COUNT; ++k) {
            if (m_findings[k].count != 0) {
                findings.push_back(m_findings[k]);
                findings.back().kind = Kind(k);
            }
        }
        return findings;
    }

private:
    std::array<Finding, KIND_COUNT> m_findings{};
};

std::string MeshPlace(const MeshData& mesh) {
    return "in mesh " + Quoted(mesh.name);
}

std::string BonePlace(const BoneData& bone) {
    return "bone " + Quoted(bone.name);
}

const QroMaterialReader::Mesh& MaterialsOf(const std::vector<QroMaterialReader::Mesh>& materials, size_t k) {
    static const QroMaterialReader::Mesh kNone;
    return k < materials.size() ? materials[k] : kNone;
}

// Why the mesh's lists do not fit together, or nothing when they do.
std::optional<std::string> FindMisfit(const MeshData& mesh, const QroMaterialReader::Mesh& materials,
                                      int32_t boneCount) {
    uint64_t corners = 0;
    for (unsigned int count : mesh.polygonVertexCounts)
        corners += count;
    auto perCorner = [corners](const orlo::UArray<unsigned int>& list, const std::string& name, uint64_t limit,
                               const char* one, const char* many) -> std::optional<std::string> {
        if (uint64_t(list.Num()) != corners)
            return name + " holds " + Counted(uint64_t(list.Num()), "index", "indices") + " for " +
                   Counted(corners, "polygon corner", "polygon corners");
        for (int32_t i = 0; i < list.Num(); ++i)
            if (list[i] >= limit)
                return name + " entry " + Number(uint64_t(i)) + " is " + Number(list[i]) + ", but the mesh has " +
                       Counted(limit, one, many);
        return std::nullopt;
    };

    if (auto misfit = perCorner(mesh.polygonVertexIndices, "polygonVertexIndices", uint64_t(mesh.vertices.Num()),
                                "vertex", "vertices"))
        return misfit;
    // A mesh without normals has no normal indices at all.
    if (mesh.polygonNormalIndices.Num() != 0)
        if (auto misfit = perCorner(mesh.polygonNormalIndices, "polygonNormalIndices", uint64_t(mesh.normals.Num()),
                                    "normal", "normals"))
            return misfit;
    if (mesh.textureCoordinates.Num() != mesh.polygonTexCoordIndices.Num())
        return "textureCoordinates holds " + Counted(uint64_t(mesh.textureCoordinates.Num()), "set", "sets") +
               ", but polygonTexCoordIndices " + Number(uint64_t(mesh.polygonTexCoordIndices.Num()));
    for (int32_t s = 0; s < mesh.textureCoordinates.Num(); ++s) {
        const std::string set = " of set " + Number(uint64_t(s));
        if (auto misfit =
                perCorner(mesh.polygonTexCoordIndices[s], "polygonTexCoordIndices set " + Number(uint64_t(s)),
                          uint64_t(mesh.textureCoordinates[s].Num()), "texture coordinate", "texture coordinates"))
            return *misfit + (misfit->find(", but") != std::string::npos ? set : "");
    }

    uint64_t counted = 0;
    for (unsigned int count : mesh.vertexWeightCounts)
        counted += count;
    if (counted != uint64_t(mesh.weights.Num()))
        return "vertexWeightCounts counts " + Counted(counted, "weight", "weights") + ", but weights holds " +
               Number(uint64_t(mesh.weights.Num()));
    if (mesh.weights.Num() != 0 && mesh.vertexWeightCounts.Num() != mesh.vertices.Num())
        return "vertexWeightCounts holds " + Counted(uint64_t(mesh.vertexWeightCounts.Num()), "entry", "entries") +
               " for " + Counted(uint64_t(mesh.vertices.Num()), "vertex", "vertices");
    for (int32_t w = 0; w < mesh.weights.Num(); ++w)
        if (mesh.weights[w].boneIndex < 0 || mesh.weights[w].boneIndex >= boneCount)
            return "weight " + Number(uint64_t(w)) + " names bone " + std::to_string(mesh.weights[w].boneIndex) +
                   ", but the file has " + Counted(uint64_t(boneCount), "bone", "bones");

    if (!materials.polygonMaterialIndices.empty() &&
        materials.polygonMaterialIndices.size() != size_t(mesh.polygonVertexCounts.Num()))
        return "polygonMaterialIndices holds " + Counted(materials.polygonMaterialIndices.size(), "entry", "entries") +
               " for " + Counted(uint64_t(mesh.polygonVertexCounts.Num()), "polygon", "polygons");
    return std::nullopt;
}

// Weights per vertex, for a mesh whose weight lists fit.
void CheckWeights(const MeshData& mesh, Tally& tally) {
    if (mesh.weights.Num() == 0)
        return;
    int32_t next = 0;
    for (int32_t v = 0; v < mesh.vertexWeightCounts.Num(); ++v) {
        const unsigned int count = mesh.vertexWeightCounts[v];
        auto place = [&] { return MeshPlace(mesh) + ", vertex " + Number(uint64_t(v)); };
        if (count == 0)
            tally.Add(Kind::UnweightedVertex, place);
        if (count > QroCheckFindings::MAX_INFLUENCES)
            tally.Add(Kind::OverFourInfluences, place);
        double sum = 0;
        for (unsigned int i = 0; i < count; ++i)
            sum += mesh.weights[next + int32_t(i)].weight;
        next += int32_t(count);
        // A weight that is no number is a finding of its own.
        if (count != 0 && std::isfinite(sum) && std::fabs(sum - 1.0) > QroCheckFindings::WEIGHT_SUM_TOLERANCE)
            tally.Add(Kind::WeightSum, place);
    }
}

bool RepeatsAVertex(const unsigned int* corners, unsigned int count) {
    if (count <= 16) {
        for (unsigned int i = 1; i < count; ++i)
            for (unsigned int j = 0; j < i; ++j)
                if (corners[i] == corners[j])
                    return true;
        return false;
    }
    std::vector<unsigned int> sorted(corners, corners + count);
    std::sort(sorted.begin(), sorted.end());
    return std::adjacent_find(sorted.begin(), sorted.end()) != sorted.end();
}

// Polygons and their materials, for a mesh whose polygon lists fit.
void CheckPolygons(const MeshData& mesh, const QroMaterialReader::Mesh& materials, Tally& tally) {
    uint64_t corner = 0;
    for (int32_t p = 0; p < mesh.polygonVertexCounts.Num(); ++p) {
        const unsigned int count = mesh.polygonVertexCounts[p];
        auto place = [&] { return MeshPlace(mesh) + ", polygon " + Number(uint64_t(p)); };
        if (count < 3 || RepeatsAVertex(&mesh.polygonVertexIndices[int32_t(corner)], count))
            tally.Add(Kind::DegeneratePolygon, place);
        corner += count;
        if (!materials.polygonMaterialIndices.empty()) {
            const uint32_t index = materials.polygonMaterialIndices[size_t(p)];
            if (index != MATERIAL_INDEX_PLACEHOLDER && index >= materials.names.size())
                tally.Add(Kind::MaterialIndexBeyond, [&] {
                    return place() + " (index " + Number(index) + ", with " +
                           Counted(materials.names.size(), "material name", "material names") + ")";
                });
        }
    }
}

// Non-finite values and zero normals; these need no list to fit.
void CheckValues(const MeshData& mesh, Tally& tally) {
    auto values = [&](const float* first, int count, auto place) {
        for (int i = 0; i < count; ++i)
            if (!std::isfinite(first[i]))
                tally.Add(Kind::NotFinite, place);
    };
    for (int32_t v = 0; v < mesh.vertices.Num(); ++v)
        values(&mesh.vertices[v].x, 3, [&] { return MeshPlace(mesh) + ", vertex " + Number(uint64_t(v)); });
    for (int32_t n = 0; n < mesh.normals.Num(); ++n) {
        const auto& normal = mesh.normals[n];
        auto place = [&] { return MeshPlace(mesh) + ", normal " + Number(uint64_t(n)); };
        values(&normal.x, 3, place);
        const double length =
            std::sqrt(double(normal.x) * normal.x + double(normal.y) * normal.y + double(normal.z) * normal.z);
        if (length < QroCheckFindings::ZERO_NORMAL_LENGTH)
            tally.Add(Kind::ZeroNormal, place);
    }
    for (int32_t s = 0; s < mesh.textureCoordinates.Num(); ++s)
        for (int32_t t = 0; t < mesh.textureCoordinates[s].Num(); ++t)
            values(&mesh.textureCoordinates[s][t].x, 2, [&] {
                return MeshPlace(mesh) + ", texture coordinate " + Number(uint64_t(t)) + " of set " +
                       Number(uint64_t(s));
            });
    for (int32_t w = 0; w < mesh.weights.Num(); ++w)
        values(&mesh.weights[w].weight, 1, [&] { return MeshPlace(mesh) + ", weight " + Number(uint64_t(w)); });
}

bool IsFinite(const orlo::TMatrix4<float>& matrix) {
    for (const auto& row : matrix.m)
        for (float value : row)
            if (!std::isfinite(value))
                return false;
    return true;
}

// The largest eigenvalue of a symmetric 3x3 matrix, in closed form
// (trigonometric solution of the characteristic cubic).
double LargestEigenvalue(const Matrix3& a) {
    const double offDiagonal = a[0][1] * a[0][1] + a[0][2] * a[0][2] + a[1][2] * a[1][2];
    const double q = (a[0][0] + a[1][1] + a[2][2]) / 3;
    const double p2 =
        (a[0][0] - q) * (a[0][0] - q) + (a[1][1] - q) * (a[1][1] - q) + (a[2][2] - q) * (a[2][2] - q) + 2 * offDiagonal;
    const double p = std::sqrt(p2 / 6);
    if (p == 0)
        return q;
    Matrix3 b;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            b[i][j] = (a[i][j] - (i == j ? q : 0)) / p;
    const double half =
        (b[0][0] * (b[1][1] * b[2][2] - b[1][2] * b[2][1]) - b[0][1] * (b[1][0] * b[2][2] - b[1][2] * b[2][0]) +
         b[0][2] * (b[1][0] * b[2][1] - b[1][1] * b[2][0])) /
        2;
    const double phi = std::acos(std::clamp(half, -1.0, 1.0)) / 3;
    return q + 2 * p * std::cos(phi);
}

std::string Figure(double value) {
    if (!std::isfinite(value))
        return "any amount";
    char text[32];
    std::snprintf(text, sizeof text, value < 10 ? "%.2f" : "%.0f", value);
    return text;
}

struct KindText {
    const char* one;
    const char* many;
};

KindText TextOf(Kind kind) {
    switch (kind) {
    case Kind::RepeatedBoneName:
        return {"bone that repeats the name of an earlier bone", "bones that repeat the name of an earlier bone"};
    case Kind::UnreadableName:
        return {"name with a double quote or a line break, which the file cannot read back",
                "names with a double quote or a line break, which the file cannot read back"};
    case Kind::MisfitLists:
        return {"mesh whose lists do not fit together", "meshes whose lists do not fit together"};
    case Kind::WeightSum:
        return {"vertex whose weights do not sum to 1 (within 0.001)",
                "vertices whose weights do not sum to 1 (within 0.001)"};
    case Kind::OverFourInfluences:
        return {"vertex with more than four bone influences", "vertices with more than four bone influences"};
    case Kind::UnweightedVertex:
        return {"vertex without weights in a skinned mesh", "vertices without weights in a skinned mesh"};
    case Kind::UnusedBone:
        return {"bone that no weight uses", "bones that no weight uses"};
    case Kind::DegeneratePolygon:
        return {"polygon with fewer than three corners or a repeated vertex",
                "polygons with fewer than three corners or a repeated vertex"};
    case Kind::NotFinite:
        return {"value that is not a finite number (NaN or infinite)",
                "values that are not finite numbers (NaN or infinite)"};
    case Kind::ZeroNormal:
        return {"normal of zero length", "normals of zero length"};
    case Kind::MaterialIndexBeyond:
        return {"polygon whose material index is beyond its mesh's material names",
                "polygons whose material index is beyond their mesh's material names"};
    case Kind::SingularBindMatrix:
        return {"inverse bind matrix that is singular (no bind pose can be taken from it)",
                "inverse bind matrices that are singular (no bind pose can be taken from them)"};
    case Kind::BindMatrixPrecision:
        return {"joint whose bind matrix the format's four decimals may move by more than 0.1 % of the skeleton "
                "or turn by more than 0.1 degrees",
                "joints whose bind matrix the format's four decimals may move by more than 0.1 % of the skeleton "
                "or turn by more than 0.1 degrees"};
    }
    return {"finding", "findings"};
}

} // namespace

QroCheckFindings::RoundingBound QroCheckFindings::BoundRounding(const orlo::TMatrix4<float>& invBaseMatrix) {
    RoundingBound bound;
    if (!IsFinite(invBaseMatrix) || IsSingularPose(invBaseMatrix))
        return bound;
    const auto& m = invBaseMatrix.m;
    // inverse(A) by its adjugate, in double.
    Matrix3 inverse;
    inverse[0][0] = double(m[1][1]) * m[2][2] - double(m[1][2]) * m[2][1];
    inverse[0][1] = double(m[0][2]) * m[2][1] - double(m[0][1]) * m[2][2];
    inverse[0][2] = double(m[0][1]) * m[1][2] - double(m[0][2]) * m[1][1];
    inverse[1][0] = double(m[1][2]) * m[2][0] - double(m[1][0]) * m[2][2];
    inverse[1][1] = double(m[0][0]) * m[2][2] - double(m[0][2]) * m[2][0];
    inverse[1][2] = double(m[0][2]) * m[1][0] - double(m[0][0]) * m[1][2];
    inverse[2][0] = double(m[1][0]) * m[2][1] - double(m[1][1]) * m[2][0];
    inverse[2][1] = double(m[0][1]) * m[2][0] - double(m[0][0]) * m[2][1];
    inverse[2][2] = double(m[0][0]) * m[1][1] - double(m[0][1]) * m[1][0];
    const double det = m[0][0] * inverse[0][0] + m[0][1] * inverse[1][0] + m[0][2] * inverse[2][0];
    if (!std::isfinite(det) || det == 0)
        return bound;
    for (Vector& row : inverse)
        for (double& value : row)
            value /= det;

    // The joint, -t inverse(A).
    Vector joint{};
    for (int c = 0; c < 3; ++c)
        joint[size_t(c)] = -(m[3][0] * inverse[0][c] + m[3][1] * inverse[1][c] + m[3][2] * inverse[2][c]);

    // |inverse(A)|: the square root of the largest eigenvalue of
    // inverse(A) inverse(A)^T.
    Matrix3 gram{};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            for (int k = 0; k < 3; ++k)
                gram[size_t(i)][size_t(j)] += inverse[size_t(i)][size_t(k)] * inverse[size_t(j)][size_t(k)];
    const double stretch = std::sqrt(std::max(0.0, LargestEigenvalue(gram)));

    const double e = STORED_ROUNDING;
    const double r = 3 * e * stretch;
    const double jointDistance = std::sqrt(joint[0] * joint[0] + joint[1] * joint[1] + joint[2] * joint[2]);
    bound.valid = true;
    bound.joint = joint;
    if (r >= 1) {
        bound.move = std::numeric_limits<double>::infinity();
        bound.turn = std::numbers::pi;
        return bound;
    }
    bound.move = (std::sqrt(3.0) * e * stretch + jointDistance * r) / (1 - r);
    const double axisChange = r / (1 - r);
    bound.turn = axisChange < 1 ? std::asin(axisChange) : std::numbers::pi;
    return bound;
}

std::vector<Finding> QroCheckFindings::Find(const orlo::UArray<BoneData>& bones, const orlo::UArray<MeshData>& meshes,
                                            const std::vector<QroMaterialReader::Mesh>& materials) {
    Tally tally;

    // Names.
    std::unordered_set<std::string> boneNames;
    for (int32_t b = 0; b < bones.Num(); ++b) {
        const BoneData& bone = bones[b];
        if (!boneNames.insert(bone.name.c_str()).second)
            tally.Add(Kind::RepeatedBoneName, [&] { return BonePlace(bone) + " (bone " + Number(uint64_t(b)) + ")"; });
        if (IsUnreadable(bone.name))
            tally.Add(Kind::UnreadableName, [&] { return BonePlace(bone); });
        if (IsUnreadable(bone.parent))
            tally.Add(Kind::UnreadableName,
                      [&] { return "the parent name " + Quoted(bone.parent) + " of " + BonePlace(bone); });
    }
    for (int32_t k = 0; k < meshes.Num(); ++k) {
        const MeshData& mesh = meshes[k];
        if (IsUnreadable(mesh.name))
            tally.Add(Kind::UnreadableName, [&] { return "mesh " + Quoted(mesh.name); });
        for (const std::string& name : MaterialsOf(materials, size_t(k)).names)
            if (name.find_first_of("\"\r\n") != std::string::npos)
                tally.Add(Kind::UnreadableName,
                          [&] { return "the material name " + Quoted(String(name.c_str())) + " " + MeshPlace(mesh); });
    }

    // Meshes.
    std::vector<bool> boneUsed(size_t(bones.Num()), false);
    for (int32_t k = 0; k < meshes.Num(); ++k) {
        const MeshData& mesh = meshes[k];
        const QroMaterialReader::Mesh& meshMaterials = MaterialsOf(materials, size_t(k));
        for (const MeshData::Weight& weight : mesh.weights)
            if (weight.boneIndex >= 0 && weight.boneIndex < bones.Num())
                boneUsed[size_t(weight.boneIndex)] = true;
        CheckValues(mesh, tally);
        if (std::optional<std::string> misfit = FindMisfit(mesh, meshMaterials, bones.Num())) {
            tally.Add(Kind::MisfitLists, [&] { return "mesh " + Quoted(mesh.name) + ": " + *misfit; });
            continue;
        }
        CheckWeights(mesh, tally);
        CheckPolygons(mesh, meshMaterials, tally);
    }
    for (int32_t b = 0; b < bones.Num(); ++b)
        if (!boneUsed[size_t(b)])
            tally.Add(Kind::UnusedBone, [&] { return BonePlace(bones[b]); });

    // Bones: values, singular matrices, then what the four decimals do to
    // each joint, measured against the skeleton's size.
    std::vector<RoundingBound> bounds(size_t(bones.Num()));
    for (int32_t b = 0; b < bones.Num(); ++b) {
        const BoneData& bone = bones[b];
        for (const auto& row : bone.invBaseMatrix.m)
            for (float value : row)
                if (!std::isfinite(value))
                    tally.Add(Kind::NotFinite, [&] { return "the inverse bind matrix of " + BonePlace(bone); });
        if (!IsFinite(bone.invBaseMatrix))
            continue;
        if (IsSingularPose(bone.invBaseMatrix)) {
            tally.Add(Kind::SingularBindMatrix, [&] { return BonePlace(bone); });
            continue;
        }
        bounds[size_t(b)] = BoundRounding(bone.invBaseMatrix);
    }
    const double size = SkeletonSize(bounds, meshes);
    for (int32_t b = 0; b < bones.Num(); ++b) {
        const RoundingBound& bound = bounds[size_t(b)];
        if (!bound.valid)
            continue;
        // Without a size (one joint and no vertices) only the turn is judged.
        const double move = size > 0 ? bound.move / size : 0;
        const double turnDegrees = bound.turn * 180 / std::numbers::pi;
        if (move > MAX_JOINT_MOVE || turnDegrees > MAX_JOINT_TURN_DEGREES)
            tally.Add(Kind::BindMatrixPrecision, [&] {
                return BonePlace(bones[b]) + " (up to " + (size > 0 ? Figure(move * 100) + " % and " : "") +
                       Figure(turnDegrees) + " degrees)";
            });
    }
    return tally.Findings();
}

double QroCheckFindings::SkeletonSize(const std::vector<RoundingBound>& joints, const orlo::UArray<MeshData>& meshes) {
    Vector low{}, high{};
    size_t count = 0;
    auto take = [&](const Vector& point) {
        for (size_t i = 0; i < 3; ++i) {
            low[i] = count == 0 ? point[i] : std::min(low[i], point[i]);
            high[i] = count == 0 ? point[i] : std::max(high[i], point[i]);
        }
        ++count;
    };
    auto diagonal = [&] {
        return std::sqrt((high[0] - low[0]) * (high[0] - low[0]) + (high[1] - low[1]) * (high[1] - low[1]) +
                         (high[2] - low[2]) * (high[2] - low[2]));
    };
    for (const RoundingBound& joint : joints)
        if (joint.valid)
            take(joint.joint);
    if (count >= 2 && diagonal() > 0)
        return diagonal();
    count = 0;
    for (const MeshData& mesh : meshes)
        for (const auto& vertex : mesh.vertices)
            if (std::isfinite(vertex.x) && std::isfinite(vertex.y) && std::isfinite(vertex.z))
                take({vertex.x, vertex.y, vertex.z});
    return count >= 2 ? diagonal() : 0;
}

std::string QroCheckFindings::Describe(const Finding& finding) {
    const KindText text = TextOf(finding.kind);
    return Number(finding.count) + " " + (finding.count == 1 ? text.one : text.many) + ": first " + finding.first;
}
