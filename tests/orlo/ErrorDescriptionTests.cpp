#include "orlo/ErrorDescription.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <type_traits>

using orlo::ErrorDescription;

namespace {

// Errors travel as raw bytes and must be raisable without memory.
static_assert(std::is_trivially_copyable_v<ErrorDescription>);
static_assert(std::is_trivially_destructible_v<ErrorDescription>);

template <class F>
ErrorDescription Catch(F&& body) {
    try {
        body();
    } catch (const ErrorDescription& error) {
        return error;
    }
    ADD_FAILURE() << "no ErrorDescription was raised";
    return ErrorDescription(nullptr, nullptr, nullptr, 0);
}

struct Guarded {
    static void RaiseInBody(int value) {
        ORLO_GUARD
        assure(value == 42);
        ORLO_UNGUARD
    }
    static void Middle(int value) {
        ORLO_GUARD
        RaiseInBody(value);
        ORLO_UNGUARD
    }
    static void Outer(int value) {
        ORLO_GUARD
        Middle(value);
        ORLO_UNGUARD_NAMED("orlo::Outer<int>")
    }
    static void ThrowForeign() {
        ORLO_GUARD
        throw std::runtime_error("not ours");
        ORLO_UNGUARD
    }
    static void ThrowInt() {
        ORLO_GUARD
        throw 7;
        ORLO_UNGUARD_NAMED("orlo::ThrowInt")
    }
};

TEST(ErrorDescription, RaisingKeepsTheFileAfterTheLastColon) {
    struct Case {
        const char* path;
        const char* stored;
    };
    const Case cases[] = {
        {"C:\\dev\\orlo\\Utils\\UArray", "\\dev\\orlo\\Utils\\UArray"},
        {"d:orlo/Utils/UArray", "orlo/Utils/UArray"},
        {"orlo/Utils/UArray", "orlo/Utils/UArray"},
        {"a:b:c", "c"},
        {"", ""},
    };
    for (const Case& c : cases) {
        ErrorDescription error(c.path, "F", "message", 12);
        EXPECT_STREQ(error.GetFile(), c.stored) << c.path;
    }
    ErrorDescription noFile(nullptr, nullptr, nullptr, 3);
    EXPECT_STREQ(noFile.GetFile(), "");
    EXPECT_STREQ(noFile.GetMessageText(), "");
    EXPECT_STREQ(noFile.GetHistory(), "");
}

TEST(ErrorDescription, RaisingFillsEveryField) {
    ErrorDescription error("orlo/Utils/UArray", "orlo::UArray<int>::Add", "broken", 77);
    EXPECT_EQ(error.GetType(), 0u);
    EXPECT_STREQ(error.GetTypeName(), "UNKNOWN");
    EXPECT_STREQ(error.GetMessageText(), "broken");
    EXPECT_EQ(error.GetLine(), 77);
    EXPECT_STREQ(error.GetHistory(), "orlo::UArray<int>::Add()");
}

TEST(ErrorDescription, LongTextsAreCutInsideTheirFields) {
    std::string message(3000, 'm');
    std::string file(500, 'f');
    ErrorDescription error(file.c_str(), "F", message.c_str(), 1);
    EXPECT_EQ(std::string(error.GetMessageText()), message.substr(0, 1023));
    EXPECT_EQ(std::string(error.GetFile()), file.substr(0, 259));
}

TEST(ErrorDescription, PassingOnAppendsToTheHistory) {
    ErrorDescription raised("f", "F", "m", 1);
    EXPECT_STREQ(ErrorDescription(raised, "G").GetHistory(), "F() <- G()");
    EXPECT_STREQ(ErrorDescription(raised, "").GetHistory(), "F() <- (unknown)");
    EXPECT_STREQ(ErrorDescription(raised, nullptr).GetHistory(), "F() <- (unknown)");

    ErrorDescription withoutHistory("f", nullptr, "m", 1);
    EXPECT_STREQ(ErrorDescription(withoutHistory, "G").GetHistory(), "G()");

    ErrorDescription passed(raised, "G");
    EXPECT_STREQ(passed.GetMessageText(), "m");
    EXPECT_STREQ(passed.GetFile(), "f");
    EXPECT_EQ(passed.GetLine(), 1);
}

TEST(ErrorDescription, AHistoryThatWouldOverflowTakesWhatFitsInOrder) {
    std::string longName(4090, 'n');
    ErrorDescription raised("f", longName.c_str(), "m", 1); // 4092 characters of history
    ErrorDescription passed(raised, "G");
    EXPECT_EQ(std::string(passed.GetHistory()), longName + "() <-");
    ErrorDescription again(passed, "H");
    EXPECT_EQ(std::string(again.GetHistory()), longName + "() <-");
}

TEST(ErrorDescription, AnErrorPassingThroughGuardsListsEachOfThem) {
    ErrorDescription error = Catch([] { Guarded::Outer(1); });
    EXPECT_STREQ(error.GetMessageText(), "'assure' failed: value == 42");
    // Raised in RaiseInBody, caught by its own guard, then by Middle and Outer.
    EXPECT_STREQ(error.GetHistory(), "{anonymous}::Guarded::RaiseInBody() <- {anonymous}::Guarded::RaiseInBody() <- "
                                     "{anonymous}::Guarded::Middle() <- orlo::Outer<int>()");
}

TEST(ErrorDescription, ForeignExceptionsBecomeUnknownErrors) {
    ErrorDescription error = Catch([] { Guarded::ThrowForeign(); });
    EXPECT_STREQ(error.GetMessageText(), "unknown error");
    EXPECT_STREQ(error.GetHistory(), "{anonymous}::Guarded::ThrowForeign()");

    ErrorDescription named = Catch([] { Guarded::ThrowInt(); });
    EXPECT_STREQ(named.GetMessageText(), "unknown error");
    EXPECT_STREQ(named.GetHistory(), "orlo::ThrowInt()");
}

TEST(ErrorDescription, AssureKeepsTheExpressionAsWritten) {
    long long size = 1ll << 31;
    // clang-format off
    ErrorDescription error = Catch([&] { assure(size < (1<<31)); });
    // clang-format on
    EXPECT_STREQ(error.GetMessageText(), "'assure' failed: size < (1<<31)");
    ErrorDescription never = Catch([] { assure(false); });
    EXPECT_STREQ(never.GetMessageText(), "'assure' failed: false");
    EXPECT_NO_THROW(assure(size > 0));
}

TEST(ErrorDescription, ReportShowsTypeMessageAndHistory) {
    ErrorDescription error("f", "F", "broken", 1);
    EXPECT_STREQ(error.GetReport(), "Type:\r\nUNKNOWN\r\n\r\nMessage:\r\nbroken\r\n\r\nHistory:\r\nF()");

    ErrorDescription empty("f", nullptr, "", 1);
    EXPECT_STREQ(empty.GetReport(), "Type:\r\nUNKNOWN\r\n\r\nMessage:\r\n(n/a)\r\n\r\nHistory:\r\n(n/a)");

    ErrorDescription badAlloc(ErrorDescription::TYPE_BAD_ALLOC, "f", "F", "out", 1);
    EXPECT_STREQ(badAlloc.GetTypeName(), "BAD_ALLOC");
    EXPECT_EQ(std::string(badAlloc.GetReport()).substr(0, 18), "Type:\r\nBAD_ALLOC\r\n");
}

TEST(ErrorDescription, ReportOfFullFieldsFitsItsBuffer) {
    std::string message(5000, 'm');
    std::string name(5000, 'n');
    ErrorDescription error("f", name.c_str(), message.c_str(), 1);
    std::string report = error.GetReport();
    EXPECT_EQ(report, "Type:\r\nUNKNOWN\r\n\r\nMessage:\r\n" + message.substr(0, 1023) + "\r\n\r\nHistory:\r\n" +
                          name.substr(0, 4095));
}

TEST(QualifiedFunctionName, CutsSignaturesToTheQualifiedName) {
    struct Case {
        const char* pretty;
        const char* name;
    };
    const Case cases[] = {
        {"void f()", "f"},
        {"bool orlo::UFileSystem_ANSI::Copy(const char*, const char*, bool)", "orlo::UFileSystem_ANSI::Copy"},
        {"virtual orlo::UBaseString<unsigned char> orlo::IInputStream::GetName() const", "orlo::IInputStream::GetName"},
        {"orlo::UArray<T>::~UArray() [with T = unsigned char]", "orlo::UArray<T>::~UArray"},
        {"static void orlo::X::Make(std::map<int, int>)", "orlo::X::Make"},
        {"bool orlo::operator==(const X&, const X&)", "orlo::operator=="},
        {"void orlo::X::operator()(int)", "orlo::X::operator()"},
        {"orlo::X::operator bool() const", "orlo::X::operator bool"},
        {"const char* orlo::Name()", "orlo::Name"},
        {"", ""},
    };
    for (const Case& c : cases) {
        char out[256];
        EXPECT_STREQ(orlo::QualifiedFunctionName(c.pretty, out, sizeof(out)), c.name) << c.pretty;
    }
    char tiny[5];
    EXPECT_STREQ(orlo::QualifiedFunctionName("void orlo::Long()", tiny, sizeof(tiny)), "orlo");
}

TEST(SourceName, DropsTheExtensionButNotTheFolders) {
    static constexpr orlo::TSourceName<sizeof("orlo/Utils/UArray.h")> header("orlo/Utils/UArray.h");
    static constexpr orlo::TSourceName<sizeof("orlo/v1.2/Name")> noExtension("orlo/v1.2/Name");
    EXPECT_STREQ(header.text, "orlo/Utils/UArray");
    EXPECT_STREQ(noExtension.text, "orlo/v1.2/Name");
}

} // namespace

namespace {

// A class template with several guarded members: each error names the member
// it passed, however many members have raised before.
template <class T>
class GuardedMembers {
public:
    GuardedMembers() {
        ORLO_GUARD
        ORLO_UNGUARD_MEMBER
    }
    void First() {
        ORLO_GUARD
        ORLO_RAISE_MEMBER("first");
        ORLO_UNGUARD_MEMBER
    }
    void Second() const {
        ORLO_GUARD
        assure_member(sizeof(T) == 0);
        ORLO_UNGUARD_MEMBER
    }
    void Third() {
        ORLO_GUARD
        throw 3;
        ORLO_UNGUARD_MEMBER
    }
};

std::string HistoryOf(void (*call)()) {
    try {
        call();
    } catch (const orlo::ErrorDescription& error) {
        return error.GetHistory();
    }
    return "(nothing raised)";
}

TEST(ErrorDescription, EveryGuardedMemberOfATemplateReportsItsOwnName) {
    const std::string type = "{anonymous}::GuardedMembers<unsigned char>::";
    for (int round = 0; round < 2; ++round) {
        EXPECT_EQ(HistoryOf([] { GuardedMembers<unsigned char>().First(); }), type + "First() <- " + type + "First()");
        EXPECT_EQ(HistoryOf([] { GuardedMembers<unsigned char>().Second(); }),
                  type + "Second() <- " + type + "Second()");
        EXPECT_EQ(HistoryOf([] { GuardedMembers<unsigned char>().Third(); }), type + "Third()");
    }
}

} // namespace
