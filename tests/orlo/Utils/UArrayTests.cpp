#include "orlo/Utils/UArray.h"

#include <gtest/gtest.h>

#include <cstring>
#include <new>
#include <string>

#include "../../support/RecordingCoreServices.h"
#include "orlo/Math/TVector2.h"
#include "orlo/Math/TVector3.h"
#include "orlo/Utils/UBaseString.h"

using orlo::ErrorDescription;
using orlo::UArray;
using orlo::UString;

namespace {

// Opens the count to tests that break the invariants on purpose.
template <class T>
struct CorruptibleArray : UArray<T> {
    void SetNum(int32_t count) { this->m_arrayNum = count; }
};

// Counts live objects to show which elements are constructed and destroyed.
struct Tracked {
    static inline int live = 0;
    int value;
    explicit Tracked(int v) : value(v) { ++live; }
    Tracked(const Tracked& other) : value(other.value) { ++live; }
    ~Tracked() { --live; }
};

TEST(UArray, GrowthDoublesFromTheCountInStepsOf64) {
    UArray<int> array;
    EXPECT_EQ(array.Max(), 0);
    EXPECT_EQ(array.GetData(), nullptr);
    struct Step {
        int element;
        int32_t capacity;
    };
    const Step steps[] = {{1, 64}, {64, 64}, {65, 128}, {128, 128}, {129, 256}, {257, 512}};
    int added = 0;
    for (const Step& step : steps) {
        while (added < step.element)
            array.Add(added++);
        EXPECT_EQ(array.Max(), step.capacity) << "after element " << step.element;
    }
    for (int i = 0; i < added; ++i)
        ASSERT_EQ(array[i], i);
}

TEST(UArray, AddingManyAtOnceTakesTheLargerOfDoubleAndNeed) {
    UArray<unsigned char> bytes;
    EXPECT_EQ(bytes.AddUninitialized(200), 0);
    EXPECT_EQ(bytes.Num(), 200);
    EXPECT_EQ(bytes.Max(), 256);
    EXPECT_EQ(bytes.AddUninitialized(10), 200);
    EXPECT_EQ(bytes.Max(), 256);
    EXPECT_EQ(bytes.AddUninitialized(100), 210); // 310 needed, 2 * 210 = 420 wins
    EXPECT_EQ(bytes.Max(), 448);
    EXPECT_EQ(bytes.AddUninitialized(0), 310);
}

TEST(UArray, SizedAndCopiedArraysRoundTheirCapacityTo64) {
    struct Case {
        int32_t count;
        int32_t num;
        int32_t max;
    };
    const Case cases[] = {{0, 0, 0}, {-5, 0, 0}, {1, 1, 64}, {64, 64, 64}, {65, 65, 128}, {1000, 1000, 1024}};
    for (const Case& c : cases) {
        UArray<unsigned char> sized(c.count);
        EXPECT_EQ(sized.Num(), c.num) << c.count;
        EXPECT_EQ(sized.Max(), c.max) << c.count;
        for (int32_t i = 0; i < sized.Num(); ++i)
            sized[i] = static_cast<unsigned char>(i * 7);
        UArray<unsigned char> copy(sized);
        EXPECT_EQ(copy.Num(), c.num);
        EXPECT_EQ(copy.Max(), c.max);
        EXPECT_EQ(copy.Num() == 0 || memcmp(copy.GetData(), sized.GetData(), size_t(copy.Num())) == 0, true);
    }
    UArray<unsigned char> grown;
    grown.AddUninitialized(70);
    grown.AddUninitialized(70);
    EXPECT_EQ(grown.Max(), 192);
    EXPECT_EQ(UArray<unsigned char>(grown).Max(), 192); // 140 rounded up, not the source's capacity
}

TEST(UArray, ContainsComparesByTheElementsEquality) {
    UArray<UString> names;
    EXPECT_FALSE(names.Contains(UString("a")));
    names.Add(UString("a"));
    names.Add(UString("bc"));
    EXPECT_TRUE(names.Contains(UString("bc")));
    EXPECT_FALSE(names.Contains(UString("b")));
    names.Remove(1);
    EXPECT_FALSE(names.Contains(UString("bc"))) << "a removed element is still found";
}

TEST(UArray, RemovalMovesTheTailDownAndShrinksByTwiceTheCount) {
    UArray<unsigned char> bytes;
    bytes.AddUninitialized(300);
    for (int32_t i = 0; i < 300; ++i)
        bytes[i] = static_cast<unsigned char>(i);
    EXPECT_EQ(bytes.Max(), 320);

    bytes.Remove(10, 5);
    EXPECT_EQ(bytes.Num(), 295);
    EXPECT_EQ(bytes[9], 9);
    EXPECT_EQ(bytes[10], 15);
    EXPECT_EQ(bytes.Max(), 320); // 2 * 295 rounds to 640: not smaller

    bytes.Remove(0, 200);
    EXPECT_EQ(bytes.Num(), 95);
    EXPECT_EQ(bytes[0], static_cast<unsigned char>(205));
    EXPECT_EQ(bytes.Max(), 192); // 2 * 95 rounds to 192

    bytes.Remove(0, 95);
    EXPECT_EQ(bytes.Num(), 0);
    EXPECT_EQ(bytes.Max(), 0);
    EXPECT_EQ(bytes.GetData(), nullptr);
}

TEST(UArray, ElementsWithConstructorsAreCopiedAndDestroyedOneByOne) {
    ASSERT_EQ(Tracked::live, 0);
    {
        UArray<Tracked> array;
        for (int i = 0; i < 100; ++i)
            array.Add(Tracked(i));
        EXPECT_EQ(Tracked::live, 100);
        UArray<Tracked> copy(array);
        EXPECT_EQ(Tracked::live, 200);
        EXPECT_EQ(copy[99].value, 99);
        copy.Remove(0, 50);
        EXPECT_EQ(Tracked::live, 150);
        EXPECT_EQ(copy[0].value, 50);
        copy = array;
        EXPECT_EQ(Tracked::live, 200);
        array.Empty();
        EXPECT_EQ(Tracked::live, 100);
    }
    EXPECT_EQ(Tracked::live, 0);
}

TEST(UArray, AddingAnElementOfTheSameArrayWhileItGrows) {
    UArray<UString> names;
    for (int i = 0; i < 64; ++i)
        names.Add(UString(uint32_t(i)));
    ASSERT_EQ(names.Max(), 64);
    names.Add(names[3]); // storage moves during this call
    EXPECT_STREQ(names[64].c_str(), "3");
    EXPECT_STREQ(names[3].c_str(), "3");
}

TEST(UArray, ValueElementsRelocateAsBytes) {
    UArray<orlo::TVector3<float>> points;
    UArray<UArray<orlo::TVector2<float>>> sets;
    for (int i = 0; i < 300; ++i) {
        points.Add({float(i), float(i) + 0.5f, -float(i)});
        UArray<orlo::TVector2<float>> set;
        set.Add({float(i), 1.0f});
        sets.Add(set);
    }
    EXPECT_EQ(points[299].z, -299.0f);
    EXPECT_EQ(sets[299][0].x, 299.0f);
    EXPECT_EQ(sets[0].Num(), 1);
}

TEST(UArray, MovingHandsTheStorageOver) {
    UArray<int> source;
    source.Add(5);
    const int* storage = source.GetData();
    UArray<int> moved(static_cast<UArray<int>&&>(source));
    EXPECT_EQ(moved.GetData(), storage);
    EXPECT_EQ(source.Num(), 0);
    EXPECT_EQ(source.Max(), 0);
    UArray<int> target;
    target.Add(1);
    target = static_cast<UArray<int>&&>(moved);
    EXPECT_EQ(target[0], 5);
    EXPECT_EQ(target.Num(), 1);
}

TEST(UArray, DestructorChecksNameTheElementType) {
    struct Case {
        int32_t num;
        const char* message;
    };
    const Case cases[] = {
        {-1, "'assure' failed: m_arrayNum>=0"},
        {65, "'assure' failed: m_arrayMax>=m_arrayNum"},
    };
    for (const Case& c : cases) {
        alignas(CorruptibleArray<unsigned char>) unsigned char storage[sizeof(CorruptibleArray<unsigned char>)];
        auto* bytes = new (storage) CorruptibleArray<unsigned char>;
        bytes->AddUninitialized(3); // storage of 64 is still released by the base
        bytes->SetNum(c.num);
        try {
            bytes->~CorruptibleArray<unsigned char>();
            ADD_FAILURE() << "destructor did not raise";
        } catch (const ErrorDescription& error) {
            EXPECT_STREQ(error.GetMessageText(), c.message);
            EXPECT_STREQ(error.GetHistory(), "orlo::UArray<unsigned char>::~UArray()");
            EXPECT_STREQ(error.GetFile(), "orlo/Utils/UArray");
            EXPECT_GT(error.GetLine(), 0);
        }
    }

    alignas(CorruptibleArray<UString>) unsigned char storage[sizeof(CorruptibleArray<UString>)];
    auto* strings = new (storage) CorruptibleArray<UString>;
    strings->SetNum(-3);
    try {
        strings->~CorruptibleArray<UString>();
        ADD_FAILURE() << "destructor did not raise";
    } catch (const ErrorDescription& error) {
        EXPECT_STREQ(error.GetMessageText(), "'assure' failed: m_arrayNum>=0");
        EXPECT_STREQ(error.GetHistory(), "orlo::UArray<class orlo::UBaseString<unsigned char> >::~UArray()");
    }
}

TEST(UArray, RequestsBeyond32BitsRaiseBadAllocInsteadOfWritingThroughNull) {
    UArray<uint32_t> words;
    try {
        words.AddUninitialized(1 << 30); // 4 GiB of storage
        ADD_FAILURE() << "no error raised";
    } catch (const ErrorDescription& error) {
        EXPECT_EQ(error.GetType(), uint32_t(ErrorDescription::TYPE_BAD_ALLOC));
        EXPECT_STREQ(error.GetMessageText(),
                     "memory allocation of 4294967296 bytes from location \"global operator new[]\" failed");
    }
    EXPECT_EQ(words.Num(), 0);
    EXPECT_EQ(words.Max(), 0);

    UArray<unsigned char> bytes;
    bytes.AddUninitialized(100);
    try {
        bytes.AddUninitialized(INT32_MAX - 50); // more elements than a count can hold
        ADD_FAILURE() << "no error raised";
    } catch (const ErrorDescription& error) {
        EXPECT_EQ(error.GetType(), uint32_t(ErrorDescription::TYPE_BAD_ALLOC));
    }
    EXPECT_EQ(bytes.Num(), 100);
    EXPECT_EQ(bytes.Max(), 128);
}

TEST(UArray, CapacityNearTheLargestCountIsClampedNotOverflowed) {
    // Rounding 2147483584 + 1 up to a multiple of 64 passes 2^31 - 1; the
    // capacity stops there, so the request reaches the pool (which refuses it
    // here) instead of failing as a count that no array can hold.
    orlo_test::RecordingCoreServicesScope scope;
    scope.Pool().SetLargest(1u << 20);
    for (int32_t capacity : {INT32_MAX - 62, INT32_MAX}) {
        UArray<unsigned char> bytes;
        try {
            bytes.Reserve(capacity);
            ADD_FAILURE() << capacity << ": the pool gave 2 GB";
        } catch (const ErrorDescription& error) {
            EXPECT_EQ(error.GetType(), uint32_t(ErrorDescription::TYPE_BAD_ALLOC)) << capacity;
            EXPECT_STREQ(error.GetMessageText(),
                         "memory allocation of 2147483647 bytes from location \"global operator new[]\" failed")
                << capacity;
        }
        EXPECT_EQ(bytes.Max(), 0);
    }
}

} // namespace
