// The rules of qro check, in process: each kind on a small rig that breaks it
// and nothing else, variants of a clean rig that report nothing, and the bound
// on what the file's four decimals do to a bind pose.

#include "QroCheckFindings.h"

#include <array>
#include <cmath>
#include <functional>
#include <limits>
#include <numbers>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "../../support/WrittenText.h"
#include "QroMaterialReader.h"
#include "QuarroTextReader.h"
#include "orlo/CoreServices/Implementations/UInputStream_Memory.h"
#include "orlo/CoreServices/Implementations/ULogChannel.h"

namespace {

using Kind = QroCheckFindings::Kind;
using Finding = QroCheckFindings::Finding;
using Matrix = orlo::TMatrix4<float>;

const float kNaN = std::numeric_limits<float>::quiet_NaN();
const float kInfinity = std::numeric_limits<float>::infinity();

struct Rig {
    orlo::UArray<BoneData> bones;
    orlo::UArray<MeshData> meshes;
    std::vector<QroMaterialReader::Mesh> materials;
};

Matrix Translation(float x, float y, float z) {
    Matrix matrix = Matrix::Identity();
    matrix.m[3][0] = x;
    matrix.m[3][1] = y;
    matrix.m[3][2] = z;
    return matrix;
}

BoneData Bone(const char* name, const char* parent, const Matrix& invBaseMatrix) {
    BoneData bone;
    bone.name = name;
    bone.parent = parent;
    bone.invBaseMatrix = invBaseMatrix;
    return bone;
}

// Per vertex its (bone, weight) pairs.
void SetWeights(MeshData& mesh, const std::vector<std::vector<std::pair<int, float>>>& perVertex) {
    mesh.vertexWeightCounts.Empty();
    mesh.weights.Empty();
    for (const auto& weights : perVertex) {
        mesh.vertexWeightCounts.Add(unsigned(weights.size()));
        for (const auto& [bone, weight] : weights)
            mesh.weights.Add(MeshData::Weight{bone, weight});
    }
}

// A polygon with its normal (0), texture-coordinate (the vertex's own) and
// material indices, so that the lists keep fitting.
void AddPolygon(Rig& rig, const std::vector<unsigned>& corners, uint32_t material) {
    MeshData& mesh = rig.meshes[0];
    mesh.polygonVertexCounts.Add(unsigned(corners.size()));
    for (unsigned vertex : corners) {
        mesh.polygonVertexIndices.Add(vertex);
        mesh.polygonNormalIndices.Add(0);
        mesh.polygonTexCoordIndices[0].Add(vertex);
    }
    rig.materials[0].polygonMaterialIndices.push_back(material);
}

// Two bones one unit apart and a banner of a quad and a triangle, with two
// materials and every vertex's weights summing to 1: nothing to report.
Rig CleanRig() {
    Rig rig;
    rig.bones.Add(Bone("Hips", "", Matrix::Identity()));
    rig.bones.Add(Bone("Spine", "Hips", Translation(0, 0, -1)));
    MeshData mesh;
    mesh.name = "Banner";
    for (auto [x, z] : std::vector<std::pair<float, float>>{{-0.5f, 0}, {0.5f, 0}, {0.5f, 1}, {-0.5f, 1}, {0, 1.75f}})
        mesh.vertices.Add({x, 0, z});
    mesh.normals.Add({0, -1, 0});
    mesh.textureCoordinates.Add({});
    mesh.polygonTexCoordIndices.Add({});
    for (const auto& vertex : mesh.vertices)
        mesh.textureCoordinates[0].Add({vertex.x + 0.5f, vertex.z / 1.75f});
    SetWeights(mesh, {{{0, 1.0f}}, {{0, 1.0f}}, {{0, 0.5f}, {1, 0.5f}}, {{0, 0.5f}, {1, 0.5f}}, {{1, 1.0f}}});
    rig.meshes.Add(mesh);
    rig.materials.push_back({{"Cloth", "Trim"}, {}});
    AddPolygon(rig, {0, 1, 2, 3}, 0);
    AddPolygon(rig, {3, 2, 4}, 1);
    return rig;
}

std::vector<Finding> Find(const Rig& rig) {
    return QroCheckFindings::Find(rig.bones, rig.meshes, rig.materials);
}

std::string Show(const std::vector<Finding>& findings) {
    std::string text;
    for (const Finding& finding : findings)
        text += "\n  " + QroCheckFindings::Describe(finding);
    return findings.empty() ? "nothing" : text;
}

struct KindCase {
    const char* label;
    std::function<void(Rig&)> change;
    Kind kind;
    size_t count;
    std::string first;
};

class QroCheckFindingsKinds : public testing::TestWithParam<KindCase> {};

TEST_P(QroCheckFindingsKinds, ReportsThatKindAloneWithItsCountAndFirstPlace) {
    Rig rig = CleanRig();
    GetParam().change(rig);
    std::vector<Finding> findings = Find(rig);
    ASSERT_EQ(findings.size(), 1u) << Show(findings);
    EXPECT_EQ(findings[0].kind, GetParam().kind) << Show(findings);
    EXPECT_EQ(findings[0].count, GetParam().count) << Show(findings);
    EXPECT_EQ(findings[0].first, GetParam().first);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, QroCheckFindingsKinds,
    testing::Values(
        KindCase{"RepeatedBoneName", [](Rig& r) { r.bones[1].name = "Hips"; }, Kind::RepeatedBoneName, 1,
                 "bone \"Hips\" (bone 1)"},
        KindCase{"BoneNameWithLineFeed", [](Rig& r) { r.bones[0].name = "Hi\nps"; }, Kind::UnreadableName, 1,
                 "bone \"Hi\\nps\""},
        KindCase{"ParentNameWithCarriageReturn", [](Rig& r) { r.bones[1].parent = "Hips\r"; }, Kind::UnreadableName, 1,
                 "the parent name \"Hips\\r\" of bone \"Spine\""},
        KindCase{"MeshNameWithQuote", [](Rig& r) { r.meshes[0].name = "Ban\"ner"; }, Kind::UnreadableName, 1,
                 "mesh \"Ban\\\"ner\""},
        KindCase{"MaterialNameWithQuote", [](Rig& r) { r.materials[0].names[1] = "Tr\"im"; }, Kind::UnreadableName, 1,
                 "the material name \"Tr\\\"im\" in mesh \"Banner\""},
        KindCase{"EveryUnreadableNameCounts",
                 [](Rig& r) {
                     r.bones[1].name = "Sp\rine";
                     r.bones[1].parent = "Hi\"ps";
                     r.meshes[0].name = "Banner\r\n";
                     r.materials[0].names[0] = "\"";
                 },
                 Kind::UnreadableName, 4, "bone \"Sp\\rine\""},
        KindCase{"VertexIndexBeyondTheVertices", [](Rig& r) { r.meshes[0].polygonVertexIndices[2] = 9; },
                 Kind::MisfitLists, 1,
                 "mesh \"Banner\": polygonVertexIndices entry 2 is 9, but the mesh has 5 vertices"},
        KindCase{"NormalIndexBeyondTheNormals", [](Rig& r) { r.meshes[0].polygonNormalIndices[6] = 1; },
                 Kind::MisfitLists, 1, "mesh \"Banner\": polygonNormalIndices entry 6 is 1, but the mesh has 1 normal"},
        KindCase{"CornerListTooShort", [](Rig& r) { r.meshes[0].polygonTexCoordIndices[0].Remove(6); },
                 Kind::MisfitLists, 1,
                 "mesh \"Banner\": polygonTexCoordIndices set 0 holds 6 indices for 7 polygon corners"},
        KindCase{"SetWithoutIndices", [](Rig& r) { r.meshes[0].textureCoordinates.Add({}); }, Kind::MisfitLists, 1,
                 "mesh \"Banner\": textureCoordinates holds 2 sets, but polygonTexCoordIndices 1"},
        KindCase{"WeightOfABoneBeyondTheBones", [](Rig& r) { r.meshes[0].weights[0].boneIndex = 2; }, Kind::MisfitLists,
                 1, "mesh \"Banner\": weight 0 names bone 2, but the file has 2 bones"},
        KindCase{"NegativeBoneIndex", [](Rig& r) { r.meshes[0].weights[0].boneIndex = -1; }, Kind::MisfitLists, 1,
                 "mesh \"Banner\": weight 0 names bone -1, but the file has 2 bones"},
        KindCase{"WeightCountsShort", [](Rig& r) { r.meshes[0].vertexWeightCounts.Remove(4); }, Kind::MisfitLists, 1,
                 "mesh \"Banner\": vertexWeightCounts counts 6 weights, but weights holds 7"},
        KindCase{"WeightCountsForTooFewVertices",
                 [](Rig& r) {
                     r.meshes[0].vertexWeightCounts.Remove(4);
                     r.meshes[0].weights.Remove(6);
                 },
                 Kind::MisfitLists, 1, "mesh \"Banner\": vertexWeightCounts holds 4 entries for 5 vertices"},
        KindCase{"MaterialIndicesShort", [](Rig& r) { r.materials[0].polygonMaterialIndices.pop_back(); },
                 Kind::MisfitLists, 1, "mesh \"Banner\": polygonMaterialIndices holds 1 entry for 2 polygons"},
        KindCase{"WeightsSumBelowOne", [](Rig& r) { r.meshes[0].weights[6].weight = 0.9f; }, Kind::WeightSum, 1,
                 "in mesh \"Banner\", vertex 4"},
        KindCase{"WeightsSumJustPastTheTolerance", [](Rig& r) { r.meshes[0].weights[3].weight = 0.5011f; },
                 Kind::WeightSum, 1, "in mesh \"Banner\", vertex 2"},
        KindCase{"EveryVertexOffCounts",
                 [](Rig& r) {
                     for (MeshData::Weight& weight : r.meshes[0].weights)
                         weight.weight *= 2;
                 },
                 Kind::WeightSum, 5, "in mesh \"Banner\", vertex 0"},
        KindCase{"FiveInfluences",
                 [](Rig& r) {
                     SetWeights(r.meshes[0], {{{0, 1.0f}},
                                              {{0, 1.0f}},
                                              {{0, 0.5f}, {1, 0.5f}},
                                              {{0, 0.2f}, {1, 0.2f}, {0, 0.2f}, {1, 0.2f}, {0, 0.2f}},
                                              {{1, 1.0f}}});
                 },
                 Kind::OverFourInfluences, 1, "in mesh \"Banner\", vertex 3"},
        KindCase{
            "SkinnedVertexWithoutWeights",
            [](Rig& r) {
                SetWeights(r.meshes[0], {{{0, 1.0f}}, {}, {{0, 0.5f}, {1, 0.5f}}, {{0, 0.5f}, {1, 0.5f}}, {{1, 1.0f}}});
            },
            Kind::UnweightedVertex, 1, "in mesh \"Banner\", vertex 1"},
        KindCase{"BoneThatNoWeightUses", [](Rig& r) { r.bones.Add(Bone("End", "Spine", Translation(0, 0, -1.75f))); },
                 Kind::UnusedBone, 1, "bone \"End\""},
        KindCase{"EveryBoneOfAFileWithoutWeights",
                 [](Rig& r) {
                     r.meshes[0].vertexWeightCounts.Empty();
                     r.meshes[0].weights.Empty();
                 },
                 Kind::UnusedBone, 2, "bone \"Hips\""},
        KindCase{"PolygonOfTwoCorners",
                 [](Rig& r) {
                     AddPolygon(r, {2, 4}, 0);
                 },
                 Kind::DegeneratePolygon, 1, "in mesh \"Banner\", polygon 2"},
        KindCase{"PolygonWithoutCorners", [](Rig& r) { AddPolygon(r, {}, 0); }, Kind::DegeneratePolygon, 1,
                 "in mesh \"Banner\", polygon 2"},
        KindCase{"PolygonThatRepeatsAVertexApart",
                 [](Rig& r) {
                     AddPolygon(r, {0, 1, 2}, 0);
                     AddPolygon(r, {0, 1, 0, 2}, 1);
                 },
                 Kind::DegeneratePolygon, 1, "in mesh \"Banner\", polygon 3"},
        KindCase{"LargePolygonThatRepeatsAVertex",
                 [](Rig& r) {
                     std::vector<unsigned> corners;
                     for (unsigned i = 0; i < 20; ++i)
                         corners.push_back(i % 5 == 4 ? 4 : i % 4);
                     AddPolygon(r, corners, 0);
                 },
                 Kind::DegeneratePolygon, 1, "in mesh \"Banner\", polygon 2"},
        KindCase{"NaNPosition", [](Rig& r) { r.meshes[0].vertices[3].y = kNaN; }, Kind::NotFinite, 1,
                 "in mesh \"Banner\", vertex 3"},
        KindCase{"EveryNonFiniteValueCounts",
                 [](Rig& r) {
                     r.meshes[0].vertices[1] = {kNaN, kInfinity, -kInfinity};
                 },
                 Kind::NotFinite, 3, "in mesh \"Banner\", vertex 1"},
        KindCase{"InfiniteNormal", [](Rig& r) { r.meshes[0].normals[0].z = -kInfinity; }, Kind::NotFinite, 1,
                 "in mesh \"Banner\", normal 0"},
        KindCase{"NaNTextureCoordinate", [](Rig& r) { r.meshes[0].textureCoordinates[0][2].x = kNaN; }, Kind::NotFinite,
                 1, "in mesh \"Banner\", texture coordinate 2 of set 0"},
        KindCase{"NaNWeight", [](Rig& r) { r.meshes[0].weights[6].weight = kNaN; }, Kind::NotFinite, 1,
                 "in mesh \"Banner\", weight 6"},
        KindCase{"InfiniteMatrixElement", [](Rig& r) { r.bones[0].invBaseMatrix.m[1][2] = kInfinity; }, Kind::NotFinite,
                 1, "the inverse bind matrix of bone \"Hips\""},
        KindCase{"ZeroNormal",
                 [](Rig& r) {
                     r.meshes[0].normals.Add({0, 0, 0});
                 },
                 Kind::ZeroNormal, 1, "in mesh \"Banner\", normal 1"},
        KindCase{"NormalBelowTheFormatsPrecision",
                 [](Rig& r) {
                     r.meshes[0].normals[0] = {0, -4e-7f, 0};
                 },
                 Kind::ZeroNormal, 1, "in mesh \"Banner\", normal 0"},
        KindCase{"MaterialIndexPastTheNames", [](Rig& r) { r.materials[0].polygonMaterialIndices[1] = 2; },
                 Kind::MaterialIndexBeyond, 1, "in mesh \"Banner\", polygon 1 (index 2, with 2 material names)"},
        KindCase{"MaterialIndicesWithoutNames", [](Rig& r) { r.materials[0].names.clear(); }, Kind::MaterialIndexBeyond,
                 2, "in mesh \"Banner\", polygon 0 (index 0, with 0 material names)"},
        KindCase{"FlattenedBindMatrix", [](Rig& r) { r.bones[1].invBaseMatrix.m[2][2] = 0; }, Kind::SingularBindMatrix,
                 1, "bone \"Spine\""},
        KindCase{"ZeroBindMatrix", [](Rig& r) { r.bones[0].invBaseMatrix = Matrix{}; }, Kind::SingularBindMatrix, 1,
                 "bone \"Hips\""}),
    [](const testing::TestParamInfo<KindCase>& info) { return std::string(info.param.label); });

struct CleanCase {
    const char* label;
    std::function<void(Rig&)> change;
};

class QroCheckFindingsClean : public testing::TestWithParam<CleanCase> {};

TEST_P(QroCheckFindingsClean, ReportsNothing) {
    Rig rig = CleanRig();
    GetParam().change(rig);
    std::vector<Finding> findings = Find(rig);
    EXPECT_TRUE(findings.empty()) << Show(findings);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, QroCheckFindingsClean,
    testing::Values(CleanCase{"AsBuilt", [](Rig&) {}},
                    // What the writer puts where a mesh's material indices are not available.
                    CleanCase{"MaterialIndexPlaceholder",
                              [](Rig& r) { r.materials[0].polygonMaterialIndices[1] = 0xFFFFFFFFu; }},
                    CleanCase{"MaterialNamesNotRead", [](Rig& r) { r.materials.clear(); }},
                    CleanCase{"WeightsWithinTheTolerance",
                              [](Rig& r) {
                                  r.meshes[0].weights[3].weight = 0.5009f;
                                  r.meshes[0].weights[6].weight = 0.9991f;
                              }},
                    CleanCase{"FourInfluences",
                              [](Rig& r) {
                                  SetWeights(r.meshes[0], {{{0, 1.0f}},
                                                           {{0, 1.0f}},
                                                           {{0, 0.5f}, {1, 0.5f}},
                                                           {{0, 0.25f}, {1, 0.25f}, {0, 0.25f}, {1, 0.25f}},
                                                           {{1, 1.0f}}});
                              }},
                    CleanCase{"UnskinnedMeshBesideTheSkinnedOne",
                              [](Rig& r) {
                                  MeshData plain = r.meshes[0];
                                  plain.name = "Pole";
                                  plain.vertexWeightCounts.Empty();
                                  plain.weights.Empty();
                                  r.meshes.Add(plain);
                              }},
                    CleanCase{"MeshWithoutNormals",
                              [](Rig& r) {
                                  r.meshes[0].normals.Empty();
                                  r.meshes[0].polygonNormalIndices.Empty();
                              }},
                    CleanCase{"SameNameForAMeshAndABone", [](Rig& r) { r.meshes[0].name = "Hips"; }},
                    CleanCase{"UnusedNormalOfSomeLength",
                              [](Rig& r) {
                                  r.meshes[0].normals.Add({0, 0.0001f, 0});
                              }}),
    [](const testing::TestParamInfo<CleanCase>& info) { return std::string(info.param.label); });

TEST(QroCheckFindings, KindsComeInTheirOrderEachOnce) {
    Rig rig = CleanRig();
    rig.bones.Add(Bone("End", "Spine", Translation(0, 0, -1.75f)));
    rig.meshes[0].weights[6].weight = 0.5f;
    rig.materials[0].polygonMaterialIndices[0] = 7;
    rig.bones[1].name = "Hips";
    std::vector<Finding> findings = Find(rig);
    ASSERT_EQ(findings.size(), 4u) << Show(findings);
    EXPECT_EQ(findings[0].kind, Kind::RepeatedBoneName);
    EXPECT_EQ(findings[1].kind, Kind::WeightSum);
    EXPECT_EQ(findings[2].kind, Kind::UnusedBone);
    EXPECT_EQ(findings[3].kind, Kind::MaterialIndexBeyond);
}

// A mesh whose lists do not fit is not walked by the rules that follow its
// indices, but its values and names still are.
TEST(QroCheckFindings, MisfitMeshKeepsItsValueAndNameFindings) {
    Rig rig = CleanRig();
    rig.meshes[0].polygonVertexCounts[1] = 40; // corners far past the index lists
    rig.meshes[0].weights[6].weight = 0.5f;
    rig.meshes[0].vertices[0].x = kNaN;
    rig.meshes[0].name = "Ban\nner";
    std::vector<Finding> findings = Find(rig);
    ASSERT_EQ(findings.size(), 3u) << Show(findings);
    EXPECT_EQ(findings[0].kind, Kind::UnreadableName);
    EXPECT_EQ(findings[1].kind, Kind::MisfitLists);
    EXPECT_EQ(findings[1].first, "mesh \"Ban\\nner\": polygonVertexIndices holds 7 indices for 44 polygon corners");
    EXPECT_EQ(findings[2].kind, Kind::NotFinite);
}

TEST(QroCheckFindings, DescribeCountsInTheSingularAndThePlural) {
    EXPECT_EQ(QroCheckFindings::Describe({Kind::WeightSum, 3, "in mesh \"Body\", vertex 17"}),
              "3 vertices whose weights do not sum to 1 (within 0.001): first in mesh \"Body\", vertex 17");
    EXPECT_EQ(QroCheckFindings::Describe({Kind::WeightSum, 1, "in mesh \"Body\", vertex 17"}),
              "1 vertex whose weights do not sum to 1 (within 0.001): first in mesh \"Body\", vertex 17");
    EXPECT_EQ(
        QroCheckFindings::Describe({Kind::BindMatrixPrecision, 2, "bone \"Hips\" (up to 0.52 % and 0.87 degrees)"}),
        "2 joints whose bind matrix the format's four decimals may move by more than 0.1 % of the skeleton or "
        "turn by more than 0.1 degrees: first bone \"Hips\" (up to 0.52 % and 0.87 degrees)");
}

// --- What the four decimals do to a bind pose ---

using Vector = std::array<double, 3>;
using Matrix3 = std::array<Vector, 3>;

// Rows 0 to 2 the axes, row 3 the translation, in double.
using Affine = std::array<Vector, 4>;

Affine Invert(const Affine& m) {
    const Matrix3 a = {m[0], m[1], m[2]};
    Matrix3 adjugate;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) {
            const int r0 = (j + 1) % 3, r1 = (j + 2) % 3, c0 = (i + 1) % 3, c1 = (i + 2) % 3;
            adjugate[size_t(i)][size_t(j)] = a[size_t(r0)][size_t(c0)] * a[size_t(r1)][size_t(c1)] -
                                             a[size_t(r0)][size_t(c1)] * a[size_t(r1)][size_t(c0)];
        }
    const double det = a[0][0] * adjugate[0][0] + a[0][1] * adjugate[1][0] + a[0][2] * adjugate[2][0];
    Affine inverse{};
    for (size_t i = 0; i < 3; ++i)
        for (size_t j = 0; j < 3; ++j)
            inverse[i][j] = adjugate[i][j] / det;
    for (size_t c = 0; c < 3; ++c)
        inverse[3][c] = -(m[3][0] * inverse[0][c] + m[3][1] * inverse[1][c] + m[3][2] * inverse[2][c]);
    return inverse;
}

double Length(const Vector& v) {
    return std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
}

double Angle(const Vector& a, const Vector& b) {
    const Vector cross = {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
    return std::atan2(Length(cross), a[0] * b[0] + a[1] * b[1] + a[2] * b[2]);
}

// A bind pose: axes of length `scale` turned by `degrees` about (1, 2, 3), at `joint`.
Affine BindPose(double scale, double degrees, const Vector& joint) {
    const Vector axis = {1 / std::sqrt(14.0), 2 / std::sqrt(14.0), 3 / std::sqrt(14.0)};
    const double angle = degrees * std::numbers::pi / 180, c = std::cos(angle), s = std::sin(angle);
    Affine pose{};
    for (size_t i = 0; i < 3; ++i)
        for (size_t j = 0; j < 3; ++j) {
            // Rodrigues' rotation, row i the image of the unit axis i.
            const double cross = (i + 1) % 3 == j ? axis[3 - i - j] : (j + 1) % 3 == i ? -axis[3 - i - j] : 0;
            pose[i][j] = scale * ((i == j ? c : 0) + (1 - c) * axis[i] * axis[j] + s * cross);
        }
    pose[3] = joint;
    return pose;
}

// What the file keeps of a matrix: four decimals.
Affine Stored(const Affine& meant) {
    Affine stored = meant;
    for (Vector& row : stored)
        for (double& value : row)
            value = std::round(value * 1e4) / 1e4;
    return stored;
}

Matrix ToFloat(const Affine& affine) {
    Matrix matrix = Matrix::Identity();
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 3; ++c)
            matrix.m[r][c] = float(affine[size_t(r)][size_t(c)]);
    return matrix;
}

struct BoundCase {
    const char* label;
    double scale; // of the bind pose: its inverse bind matrix has axes of length 1 / scale
    double degrees;
    Vector joint;
};

class QroCheckFindingsBound : public testing::TestWithParam<BoundCase> {};

// Every matrix that the file's stored one may have come from (each element up
// to 0.5e-4 away) is tried at the corners of that box, where the largest
// change lies: none moves or turns the bind pose past the bound, and the
// worst comes within a factor of 2.5 of it (1.1 to 2.1 in these cases).
TEST_P(QroCheckFindingsBound, HoldsForEveryRoundingAndIsNotFarAboveTheWorst) {
    const Affine stored = Stored(Invert(BindPose(GetParam().scale, GetParam().degrees, GetParam().joint)));
    const QroCheckFindings::RoundingBound bound = QroCheckFindings::BoundRounding(ToFloat(stored));
    ASSERT_TRUE(bound.valid);
    const Affine pose = Invert(stored);
    for (size_t c = 0; c < 3; ++c)
        EXPECT_NEAR(bound.joint[c], pose[3][c], 1e-5 * (1 + Length(pose[3])));

    double worstMove = 0, worstTurn = 0;
    for (unsigned signs = 0; signs < (1u << 12); ++signs) {
        Affine meant = stored;
        for (unsigned e = 0; e < 12; ++e)
            meant[e / 3][e % 3] += (signs >> e & 1 ? 0.5e-4 : -0.5e-4);
        const Affine meantPose = Invert(meant);
        worstMove = std::max(worstMove, Length({meantPose[3][0] - pose[3][0], meantPose[3][1] - pose[3][1],
                                                meantPose[3][2] - pose[3][2]}));
        for (size_t k = 0; k < 3; ++k)
            worstTurn = std::max(worstTurn, Angle(meantPose[k], pose[k]));
    }
    // The bound comes from the float matrix; allow for its last bits.
    EXPECT_LE(worstMove, bound.move * (1 + 1e-4)) << "bound " << bound.move;
    EXPECT_LE(worstTurn, bound.turn * (1 + 1e-4)) << "bound " << bound.turn;
    EXPECT_GE(worstMove * 2.5, bound.move) << "worst " << worstMove;
    EXPECT_GE(worstTurn * 2.5, bound.turn) << "worst " << worstTurn;
}

INSTANTIATE_TEST_SUITE_P(Cases, QroCheckFindingsBound,
                         testing::Values(BoundCase{"Unit", 1, 0, {0, 0, 0}},
                                         BoundCase{"UnitTurnedAwayFromTheOrigin", 1, 37, {0.3, -1.2, 1.6}},
                                         BoundCase{"Hundredfold", 100, 23, {0.1, 0.4, 1.5}},
                                         BoundCase{"HundredfoldInCentimetres", 100, 61, {12, -40, 150}},
                                         BoundCase{"Tenth", 0.1, 75, {0.02, 0.01, 0.17}}),
                         [](const testing::TestParamInfo<BoundCase>& info) { return std::string(info.param.label); });

TEST(QroCheckFindings, BoundOfASingularOrNonFiniteMatrixIsNotValid) {
    Matrix flat = Matrix::Identity();
    flat.m[1][1] = 0;
    EXPECT_FALSE(QroCheckFindings::BoundRounding(flat).valid);
    Matrix nan = Matrix::Identity();
    nan.m[3][0] = kNaN;
    EXPECT_FALSE(QroCheckFindings::BoundRounding(nan).valid);
}

// Axes of length 1e-4 in the file: one step of its last decimal. Any turn and
// any move may hide in that.
TEST(QroCheckFindings, BoundOfAMatrixAtTheFormatsLastDecimalHasNoLimit) {
    Matrix tiny = Matrix::Identity();
    for (int i = 0; i < 3; ++i)
        tiny.m[i][i] = 1e-4f;
    const QroCheckFindings::RoundingBound bound = QroCheckFindings::BoundRounding(tiny);
    ASSERT_TRUE(bound.valid);
    EXPECT_EQ(bound.move, std::numeric_limits<double>::infinity());
    EXPECT_DOUBLE_EQ(bound.turn, std::numbers::pi);
}

// The findings of a file as qro check gets them: the records written by the
// record writer, then read back by the reader and the material reader.
std::vector<Finding> FindInWrittenFile(const orlo::UArray<BoneData>& bones, const orlo::UArray<MeshData>& meshes) {
    const std::string text = orlo_test::WriteRecords(bones, meshes);
    orlo::UInputStream_Memory stream("rig.qro", text.data(), text.size());
    orlo::UArray<BoneData> readBones;
    orlo::UArray<MeshData> readMeshes;
    orlo::ULogChannel warnings(orlo::ULogChannel::KIND_WARNING);
    EXPECT_TRUE(QuarroTextReader::Read(&stream, readBones, readMeshes, &warnings));
    std::vector<QroMaterialReader::Mesh> materials;
    QroMaterialReader::Read(&stream, materials);
    return QroCheckFindings::Find(readBones, readMeshes, materials);
}

std::vector<Finding> OfKind(const std::vector<Finding>& findings, Kind kind) {
    std::vector<Finding> found;
    for (const Finding& finding : findings)
        if (finding.kind == kind)
            found.push_back(finding);
    return found;
}

// A standing figure of three joints, 1.8 units tall, each bone turned a little,
// bound at `scale`; a mesh of `meshHeight` when it is not 0.
void BuildFigure(double scale, int boneCount, double meshHeight, orlo::UArray<BoneData>& bones,
                 orlo::UArray<MeshData>& meshes) {
    const std::vector<std::pair<const char*, Vector>> joints = {
        {"Hips", {0, 0.02, 1.0}}, {"Spine", {0, -0.03, 1.4}}, {"Head", {0.01, 0, 1.8}}};
    for (int b = 0; b < boneCount; ++b) {
        const Affine meant = Invert(BindPose(scale, 20.0 + 15 * b, joints[size_t(b)].second));
        bones.Add(Bone(joints[size_t(b)].first, b == 0 ? "" : joints[size_t(b) - 1].first, ToFloat(meant)));
    }
    if (meshHeight == 0)
        return;
    MeshData mesh;
    mesh.name = "Body";
    mesh.vertices.Add({float(-0.05 * meshHeight), 0, 0});
    mesh.vertices.Add({float(0.05 * meshHeight), 0, 0});
    mesh.vertices.Add({0, 0, float(meshHeight)});
    mesh.normals.Add({0, -1, 0});
    mesh.polygonVertexCounts.Add(3);
    for (unsigned v = 0; v < 3; ++v) {
        mesh.polygonVertexIndices.Add(v);
        mesh.polygonNormalIndices.Add(0);
        mesh.vertexWeightCounts.Add(1);
        mesh.weights.Add(MeshData::Weight{int32_t(v) % boneCount, 1.0f});
    }
    meshes.Add(mesh);
}

struct RigCase {
    const char* label;
    double scale;
    int bones;
    double meshHeight;
    size_t reported; // joints
};

class QroCheckFindingsRigs : public testing::TestWithParam<RigCase> {};

TEST_P(QroCheckFindingsRigs, JointsThatTheFourDecimalsMoveOrTurn) {
    orlo::UArray<BoneData> bones;
    orlo::UArray<MeshData> meshes;
    BuildFigure(GetParam().scale, GetParam().bones, GetParam().meshHeight, bones, meshes);
    std::vector<Finding> findings = OfKind(FindInWrittenFile(bones, meshes), Kind::BindMatrixPrecision);
    if (GetParam().reported == 0) {
        EXPECT_TRUE(findings.empty()) << Show(findings);
        return;
    }
    ASSERT_EQ(findings.size(), 1u) << Show(findings);
    EXPECT_EQ(findings[0].count, GetParam().reported) << Show(findings);
    EXPECT_EQ(findings[0].first.rfind("bone \"Hips\" (up to ", 0), 0u) << findings[0].first;
    // Without a size nothing is said of the move.
    EXPECT_EQ(findings[0].first.find('%') == std::string::npos, GetParam().bones == 1 && GetParam().meshHeight == 0)
        << findings[0].first;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, QroCheckFindingsRigs,
    testing::Values(
        // Inverse bind matrices with axes of length 0.01: a move of up to 3 %
        // and a turn of up to 0.88 degrees; at a scale of 1, 0.03 % and 0.01.
        RigCase{"AtAScaleOf0_01", 100, 3, 1.8, 3}, RigCase{"AtAScaleOf1", 1, 3, 1.8, 0},
        // The same without a mesh: the skeleton's joints give its size.
        RigCase{"AtAScaleOf0_01WithoutMesh", 100, 3, 0, 3}, RigCase{"AtAScaleOf1WithoutMesh", 1, 3, 0, 0},
        // One bone: the mesh gives the size. At a scale of 1 the joint may
        // move by 0.00024 (mostly from its distance to the origin): 0.01 % of
        // a 1.8-unit mesh, but 0.5 % of a 5-centimetre one.
        RigCase{"OneBoneOverATallMesh", 1, 1, 1.8, 0}, RigCase{"OneBoneOverASmallMesh", 1, 1, 0.05, 1},
        // One bone and no mesh: no size, so only the turn is judged.
        RigCase{"OneBoneAloneAtAScaleOf1", 1, 1, 0, 0}, RigCase{"OneBoneAloneAtAScaleOf0_01", 100, 1, 0, 1}),
    [](const testing::TestParamInfo<RigCase>& info) { return std::string(info.param.label); });

TEST(QroCheckFindings, SkeletonSizeFromTheJointsOrElseTheVertices) {
    std::vector<QroCheckFindings::RoundingBound> joints(3);
    joints[0].valid = joints[2].valid = true;
    joints[0].joint = {1, 2, 3};
    joints[2].joint = {4, 6, 3};
    joints[1].joint = {100, 100, 100}; // not valid: not counted
    orlo::UArray<MeshData> meshes;
    EXPECT_DOUBLE_EQ(QroCheckFindings::SkeletonSize(joints, meshes), 5);

    MeshData mesh;
    mesh.vertices.Add({0, 0, 0});
    mesh.vertices.Add({kNaN, 50, 0}); // passed over
    mesh.vertices.Add({0, 0, -2});
    meshes.Add(mesh);
    joints[2].joint = joints[0].joint; // all at one place
    EXPECT_DOUBLE_EQ(QroCheckFindings::SkeletonSize(joints, meshes), 2);
    joints.resize(1);
    EXPECT_DOUBLE_EQ(QroCheckFindings::SkeletonSize(joints, meshes), 2);
    EXPECT_DOUBLE_EQ(QroCheckFindings::SkeletonSize({}, orlo::UArray<MeshData>()), 0);
}

} // namespace
