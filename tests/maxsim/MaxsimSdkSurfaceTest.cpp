// The SDK surface that a plug-in compiles against is no wider than the
// host's own: what does not compile against the host's headers must not
// compile here either.
#include <gtest/gtest.h>

#include <type_traits>
#include <utility>

#include "max.h"

// max.h leaves the skin's interfaces, the standard plug-ins' ids, modifier
// stacks and the standard material to their own headers: these declarations
// would clash with theirs.
#if defined(I_SKIN) || defined(I_SKINIMPORTDATA) || defined(SKIN_CLASSID) || defined(BONE_OBJ_CLASSID)
#error "max.h pulls in iskin.h or istdplug.h"
#endif
struct ISkin {
    int probe;
};
struct IDerivedObject {
    int probe;
};
struct StdMat2 {
    int probe;
};

namespace {
template <class M>
concept WritableRows = requires(M& m) {
    m[0].x = 1.0f;
};
template <class F>
concept HasMatIdAccessors = requires(F& f) {
    f.GetMatID();
};

static_assert(std::is_void_v<decltype(std::declval<Matrix3&>().Invert())>, "Matrix3::Invert answers nothing");
static_assert(!WritableRows<Matrix3>, "a Matrix3's rows are not writable through operator[]");
static_assert(std::is_same_v<decltype(std::declval<const Matrix3&>()[0]), const Point3&>);
static_assert(!HasMatIdAccessors<MNFace>, "an MNFace's material id is its field `material`");
static_assert(std::is_same_v<decltype(MNFace::material), MtlID>);
static_assert(std::is_base_of_v<Interface8, Interface9> && std::is_base_of_v<Interface7, Interface8> &&
              std::is_base_of_v<Interface, Interface7>);
static_assert(sizeof(ULONG_PTR) == sizeof(void*) && sizeof(DWORD_PTR) == sizeof(void*) &&
              sizeof(UINT_PTR) == sizeof(void*) && sizeof(INT_PTR) == sizeof(void*));
static_assert(std::is_signed_v<INT_PTR> && std::is_unsigned_v<UINT_PTR>);
} // namespace

TEST(MaxsimSdkSurfaceTest, ConstantsHaveTheSdksValues) {
    struct Case {
        const char* name;
        unsigned long value, expected;
    };
    const Case cases[] = {
        {"DERIVOB_CLASS_ID", DERIVOB_CLASS_ID, 3},
        {"GEN_DERIVOB_CLASS_ID", GEN_DERIVOB_CLASS_ID, 2},
        {"REF_TARGET_CLASS_ID", REF_TARGET_CLASS_ID, 0x200},
        {"DMTL_CLASS_ID", DMTL_CLASS_ID, 2},
        {"DMTL2_CLASS_ID", DMTL2_CLASS_ID, 3},
        {"CMTL_CLASS_ID", CMTL_CLASS_ID, 0x100},
        {"MULTI_CLASS_ID", MULTI_CLASS_ID, 0x200},
        {"DOUBLESIDED_CLASS_ID", DOUBLESIDED_CLASS_ID, 0x210},
        {"MIXMAT_CLASS_ID", MIXMAT_CLASS_ID, 0x250},
        {"BONE_AXIS_X", BONE_AXIS_X, 0},
        {"BONE_AXIS_Y", BONE_AXIS_Y, 1},
        {"BONE_AXIS_Z", BONE_AXIS_Z, 2},
        {"BONE_SCALETYPE_NONE", BONE_SCALETYPE_NONE, 0},
        {"BONE_SCALETYPE_SCALE", BONE_SCALETYPE_SCALE, 1},
        {"BONE_SCALETYPE_SQUASH", BONE_SCALETYPE_SQUASH, 2},
        {"REFMSG_TARGET_DELETED", REFMSG_TARGET_DELETED, 0x20},
        {"REFMSG_CHANGE", REFMSG_CHANGE, 0x50},
        {"REFMSG_SUBANIM_STRUCTURE_CHANGED", REFMSG_SUBANIM_STRUCTURE_CHANGED, 0x102},
        {"REFMSG_REF_DELETED", REFMSG_REF_DELETED, 0x103},
        {"REFMSG_REF_ADDED", REFMSG_REF_ADDED, 0x104},
        {"PART_OBJ", PART_OBJ, 3},
        {"PART_TM", PART_TM, 1ul << 24},
        {"PART_ALL", PART_ALL, 0x3fff | (1ul << 24)},
        {"A_MOD_DISABLED", A_MOD_DISABLED, 0x20},
        {"A_MOD_DISABLED_INVIEWS", A_MOD_DISABLED_INVIEWS, 0x100},
        {"A_LOCK_TARGET", A_LOCK_TARGET, 0x8000000},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.value, c.expected) << c.name;
    EXPECT_TRUE(EPOLYOBJ_CLASS_ID == Class_ID(0x1bf8338d, 0x192f6098));
}

TEST(MaxsimSdkSurfaceTest, IsMtlTellsMaterialsFromOtherEntries) {
    Mtl* multi = NewDefaultMultiMtl();
    PolyObject* poly = CreateEditablePolyObject();
    EXPECT_TRUE(IsMtl(multi));
    EXPECT_TRUE(IsMtlBase(multi));
    EXPECT_FALSE(IsTex(multi));
    EXPECT_FALSE(IsMtl(poly));
    EXPECT_FALSE(IsMtlBase(poly));
    EXPECT_FALSE(IsMtl(nullptr));
    multi->DeleteThis();
    poly->DeleteThis();
}
