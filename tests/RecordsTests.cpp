#include <cmath>
#include <limits>
#include <ostream>
#include <string>

#include <gtest/gtest.h>

#include "BoneData.h"
#include "MeshData.h"

using namespace orlo;

namespace {

TEST(Records, DefaultsAreEmptyAndTheMatrixIsTheIdentity) {
    BoneData bone;
    EXPECT_EQ(bone.name.Num(), 0);
    EXPECT_EQ(bone.parent.Num(), 0);
    EXPECT_EQ(bone.invBaseMatrix, TMatrix4<float>::Identity());

    MeshData mesh;
    EXPECT_EQ(mesh.name.Num(), 0);
    EXPECT_EQ(mesh.vertices.Max(), 0);
    EXPECT_EQ(mesh.textureCoordinates.Max(), 0);
    EXPECT_EQ(mesh.polygonMaterialIndices.Max(), 0);
}

// The name an array's destructor checks report, as its guard makes it.
template <class T>
std::string ArrayDestructorName() {
    char name[orlo::MEMBER_NAME_SIZE];
    return ORLO_MEMBER_NAME(UArray<T>, "~UArray", name);
}

TEST(Records, ArrayDestructorsNameTheRecordTypes) {
    EXPECT_EQ(ArrayDestructorName<MeshData::Weight>(), "orlo::UArray<struct MeshData::Weight>::~UArray");
    EXPECT_EQ(ArrayDestructorName<BoneData>(), "orlo::UArray<struct BoneData>::~UArray");
    EXPECT_EQ(ArrayDestructorName<MeshData>(), "orlo::UArray<struct MeshData>::~UArray");
    EXPECT_EQ(ArrayDestructorName<UArray<TVector2<float>>>(),
              "orlo::UArray<class orlo::UArray<class orlo::TVector2<float> > >::~UArray");
    EXPECT_EQ(ArrayDestructorName<UArray<unsigned int>>(), "orlo::UArray<class orlo::UArray<unsigned int> >::~UArray");
}

TEST(Records, MeshesSurviveRelocationAsBytes) {
    UArray<MeshData> meshes;
    for (int i = 0; i < 130; ++i) {
        int index = meshes.Add(MeshData());
        MeshData& mesh = meshes[index];
        mesh.name += uint32_t(i);
        mesh.vertices.Add({float(i), 0.0f, 0.0f});
        for (int s = 0; s < 3; ++s) {
            mesh.textureCoordinates.Add(UArray<TVector2<float>>());
            mesh.textureCoordinates[s].Add({float(i), float(s)});
            mesh.polygonTexCoordIndices.Add(UArray<unsigned int>());
            mesh.polygonTexCoordIndices[s].Add(unsigned(i * 10 + s));
        }
    }
    EXPECT_EQ(meshes.Max(), 256) << "the array moved twice";
    for (int i = 0; i < 130; ++i) {
        const MeshData& mesh = meshes[i];
        EXPECT_EQ(std::string(mesh.name.c_str()), std::to_string(i));
        EXPECT_EQ(mesh.vertices[0].x, float(i));
        ASSERT_EQ(mesh.textureCoordinates.Num(), 3);
        for (int s = 0; s < 3; ++s) {
            EXPECT_EQ(mesh.textureCoordinates[s][0].y, float(s));
            EXPECT_EQ(mesh.polygonTexCoordIndices[s][0], unsigned(i * 10 + s));
        }
    }
}

// Which poses count as singular: those that both the plain rule |det| <= 1e-5
// and the same rule on the pose scaled to a longest axis of length 1 call
// singular, and those whose inverse is not finite.
struct PoseCase {
    const char* name;
    float axes[3][3];
    bool singular;
};

void PrintTo(const PoseCase& row, std::ostream* out) {
    *out << row.name;
}

const PoseCase kPoseCases[] = {
    {"Identity", {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}, false},
    {"ScaledBy100", {{100, 0, 0}, {0, 100, 0}, {0, 0, 100}}, false},
    {"ScaledBy0_01", {{0.01f, 0, 0}, {0, 0.01f, 0}, {0, 0, 0.01f}}, false},
    {"RotatedAndScaledBy0_01", {{0.00866f, 0.005f, 0}, {-0.005f, 0.00866f, 0}, {0, 0, 0.01f}}, false},
    {"DeterminantTwiceTheLimit", {{1, 0, 0}, {0, 1, 0}, {0, 0, 2e-5f}}, false},
    {"AxisOfZeroLength", {{0, 0, 0}, {0, 1, 0}, {0, 0, 1}}, true},
    {"TwoAxesAlike", {{1, 0, 0}, {1, 0, 0}, {0, 0, 1}}, true},
    {"SqueezedAlongOneAxis", {{1, 0, 0}, {0, 1, 0}, {0, 0, 1e-5f}}, true},
    // Long and thin: the scaled rule alone would call these singular.
    {"SqueezedAlongOneAxisAtScale100", {{100, 0, 0}, {0, 100, 0}, {0, 0, 5e-4f}}, false},
    {"TenLongAndAHundredthThin", {{10, 0, 0}, {0, 0.01f, 0}, {0, 0, 0.01f}}, false},
    // Small enough that the determinant is a denormal and 1/det overflows;
    // the scaled rule alone would take the inverse.
    {"ScaledBy1eMinus13", {{1e-13f, 0, 0}, {0, 1e-13f, 0}, {0, 0, 1e-13f}}, true},
    {"ScaledBy1eMinus12", {{1e-12f, 0, 0}, {0, 1e-12f, 0}, {0, 0, 1e-12f}}, false},
    {"AllZero", {{0, 0, 0}, {0, 0, 0}, {0, 0, 0}}, true},
};

class SingularPose : public ::testing::TestWithParam<PoseCase> {};

TEST_P(SingularPose, JudgedByBothRulesAndByItsInverse) {
    TMatrix4<float> pose = TMatrix4<float>::Identity();
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            pose.m[r][c] = GetParam().axes[r][c];
    EXPECT_EQ(IsSingularPose(pose), GetParam().singular);
    // Where it stands makes no difference.
    pose.m[3][0] = 1656.9f;
    pose.m[3][1] = -26.3f;
    pose.m[3][2] = 157.3f;
    EXPECT_EQ(IsSingularPose(pose), GetParam().singular);
}

INSTANTIATE_TEST_SUITE_P(Records, SingularPose, ::testing::ValuesIn(kPoseCases),
                         [](const ::testing::TestParamInfo<PoseCase>& info) { return info.param.name; });

TEST(Records, APoseWithANumberMissingIsSingular) {
    TMatrix4<float> pose = TMatrix4<float>::Identity();
    pose.m[1][1] = std::numeric_limits<float>::quiet_NaN();
    EXPECT_TRUE(IsSingularPose(pose));
}

} // namespace
