#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "../../support/DeflateWriter.h"
#include "../../support/Fixtures.h"
#include "../../support/RecordingCoreServices.h"
#include "../../support/RecordingLog.h"
#include "../../support/ZipBuilder.h"
#include "orlo/CoreServices/Implementations/UInputStream_Memory.h"
#include "orlo/CoreServices/Implementations/UStream_Archive.h"
#include "orlo/Utils/UCrc32.h"

using orlo::UInputStream_Memory;
using orlo::UStream_Archive;
using orlo_test::DeflateWriter;
using orlo_test::ReadFixture;
using orlo_test::WarningCapture;
using orlo_test::ZipBuilder;
using Bytes = std::vector<unsigned char>;

namespace {

struct Opened {
    bool open;
    Bytes bytes;
    uint64_t size;
    std::vector<std::string> warnings;
};

// Opens `member` of the archive `bytes`, named `name`, and reads it whole.
Opened Open(const Bytes& bytes, const std::string& name, const std::string& member) {
    WarningCapture warnings;
    UInputStream_Memory archive(name.c_str(), bytes.data(), bytes.size());
    UStream_Archive stream(archive, member.c_str());
    Opened opened{stream.IsOpen(), {}, stream.GetSize(), {}};
    if (opened.open) {
        opened.bytes.resize(size_t(opened.size) + 16);
        opened.bytes.resize(size_t(stream.Serialize(opened.bytes.data(), opened.bytes.size())));
    }
    opened.warnings = warnings.Messages();
    return opened;
}

Bytes Text(const std::string& text) {
    return Bytes(text.begin(), text.end());
}

std::string Warning(const std::string& text) {
    return "WARNING: " + text + "\r\n";
}

std::string NotFound(const std::string& member, const std::string& archive) {
    return Warning("The file \"" + member + "\" can't be found inside the archive \"" + archive + "\".");
}

std::string MemberProblem(const std::string& member, const std::string& archive, const std::string& problem) {
    return Warning("Can't handle file \"" + member + "\" in archive \"" + archive + "\". " + problem);
}

} // namespace

TEST(UCrc32, KnownValues) {
    EXPECT_EQ(orlo::UCrc32::Compute("123456789", 9), 0xCBF43926u);
    EXPECT_EQ(orlo::UCrc32::Compute("", 0), 0u);
    // Continuing over pieces gives the value of the whole.
    uint32_t crc = orlo::UCrc32::Compute("1234", 4);
    EXPECT_EQ(orlo::UCrc32::Compute("56789", 5, crc), 0xCBF43926u);
}

// Archives written by Info-ZIP zip (-0, -1, -9) and Python's zipfile.
TEST(UStream_Archive, ReadsTheMembersOfRealArchives) {
    const char* archives[] = {"infozip-0.zip", "infozip-1.zip", "infozip-9.zip", "python-stored.zip",
                              "python-deflated.zip"};
    const char* members[] = {"models/qro-like.txt", "models/deep/b.bin", "Readme.txt", "readme.txt"};
    for (const char* archive : archives) {
        bool found = false;
        Bytes bytes = ReadFixture(std::string("zip/") + archive, &found);
        ASSERT_TRUE(found) << archive;
        for (const char* member : members) {
            Bytes expected = ReadFixture(std::string("expected/") + member);
            Opened opened = Open(bytes, archive, member);
            EXPECT_TRUE(opened.open) << archive << " " << member;
            EXPECT_EQ(opened.size, expected.size()) << archive << " " << member;
            EXPECT_TRUE(opened.bytes == expected) << archive << " " << member;
            EXPECT_TRUE(opened.warnings.empty()) << archive << " " << member;
        }
        // An empty member is not open, and that is no problem to report.
        Opened empty = Open(bytes, archive, "empty.txt");
        EXPECT_FALSE(empty.open) << archive;
        EXPECT_TRUE(empty.warnings.empty()) << archive;
    }
}

TEST(UStream_Archive, NamesMatchExactly) {
    Bytes bytes = ReadFixture("zip/infozip-9.zip");
    EXPECT_TRUE(Open(bytes, "a.zip", "Readme.txt").bytes == Text("upper-case R\r\n"));
    EXPECT_TRUE(Open(bytes, "a.zip", "readme.txt").bytes == Text("lower-case r\r\n"));
    // Paths written on Windows separate with '\\'.
    EXPECT_TRUE(Open(bytes, "a.zip", "models\\qro-like.txt").bytes == ReadFixture("expected/models/qro-like.txt"));
    const struct {
        const char* member;
    } missing[] = {
        {"README.txt"}, {"models/Qro-like.txt"}, {"models\\Qro-like.txt"}, {"/models/qro-like.txt"}, {"models/"}, {""}};
    for (const auto& row : missing) {
        Opened opened = Open(bytes, "a.zip", row.member);
        EXPECT_FALSE(opened.open) << row.member;
        EXPECT_EQ(opened.warnings, std::vector<std::string>{NotFound(row.member, "a.zip")}) << row.member;
    }
}

TEST(UStream_Archive, UnsupportedMethodIsReported) {
    Opened opened = Open(ReadFixture("zip/python-bzip2.zip"), "python-bzip2.zip", "models/qro-like.txt");
    EXPECT_FALSE(opened.open);
    EXPECT_EQ(opened.warnings, std::vector<std::string>{MemberProblem("models/qro-like.txt", "python-bzip2.zip",
                                                                      "Unsupported compression method used.")});
}

TEST(UStream_Archive, AFileThatIsNotAnArchive) {
    Opened opened = Open(ReadFixture("zip/not-a-zip.zip"), "not-a-zip.zip", "models/qro-like.txt");
    EXPECT_FALSE(opened.open);
    EXPECT_EQ(opened.warnings,
              (std::vector<std::string>{Warning("Can't handle file \"not-a-zip.zip\". No central directory found."),
                                        NotFound("models/qro-like.txt", "not-a-zip.zip")}));
}

TEST(UStream_Archive, ReachesIntoArchivesInsideTheArchive) {
    Bytes nested = ReadFixture("zip/nested.zip");
    Bytes deflated = ReadFixture("zip/nested-deflated.zip");
    struct Row {
        const Bytes* archive;
        const char* path;
        const char* expected;
    };
    const Row rows[] = {
        {&nested, "inner/models.zip/models/qro-like.txt", "models/qro-like.txt"},
        {&nested, "inner/models.zip/models/deep/b.bin", "models/deep/b.bin"},
        {&nested, "inner\\models.zip\\Readme.txt", "Readme.txt"},
        {&deflated, "inner.zip/readme.txt", "readme.txt"},
    };
    for (const Row& row : rows) {
        Opened opened = Open(*row.archive, "outer.zip", row.path);
        Bytes expected = ReadFixture(std::string("expected/") + row.expected);
        EXPECT_TRUE(opened.open) << row.path;
        EXPECT_EQ(opened.size, expected.size()) << row.path;
        EXPECT_TRUE(opened.bytes == expected) << row.path;
        EXPECT_TRUE(opened.warnings.empty()) << row.path;
    }
    // The inner archive lacks the member: both archives say so.
    Opened missing = Open(nested, "outer.zip", "inner/models.zip/nothing.qro");
    EXPECT_FALSE(missing.open);
    EXPECT_EQ(missing.warnings, (std::vector<std::string>{NotFound("nothing.qro", "outer.zip/inner/models.zip"),
                                                          NotFound("inner/models.zip/nothing.qro", "outer.zip")}));
}

TEST(UStream_Archive, MemberStreamReadsAndSeeksWithinItsBytes) {
    Bytes bytes = ZipBuilder().Stored("a.txt", "0123456789").Build();
    UInputStream_Memory archive("m.zip", bytes.data(), bytes.size());
    ASSERT_TRUE(archive.SeekForward(5));
    UStream_Archive stream(archive, "a.txt");
    // The archive stream is left where it was.
    EXPECT_EQ(archive.GetPosition(), 5u);
    EXPECT_EQ(stream.GetName(), "m.zip/a.txt");
    ASSERT_TRUE(stream.IsOpen());
    EXPECT_EQ(stream.GetSize(), 10u);

    char buffer[16] = {};
    EXPECT_EQ(stream.Serialize(buffer, 4), 4u);
    EXPECT_EQ(std::string(buffer, 4), "0123");
    EXPECT_TRUE(stream.SeekForward(5));
    EXPECT_EQ(stream.GetPosition(), 9u);
    // One byte is left: not yet at the end.
    EXPECT_FALSE(stream.IsAtEnd());
    EXPECT_EQ(stream.Serialize(buffer, 16), 1u);
    EXPECT_EQ(buffer[0], '9');
    EXPECT_TRUE(stream.IsAtEnd());
    EXPECT_EQ(stream.Serialize(buffer, 16), 0u);

    EXPECT_TRUE(stream.SeekBackward(3));
    EXPECT_EQ(stream.GetPosition(), 7u);
    EXPECT_FALSE(stream.SeekForward(4));
    EXPECT_EQ(stream.GetPosition(), 10u);
    EXPECT_FALSE(stream.SeekBackward(11));
    EXPECT_EQ(stream.GetPosition(), 0u);
    EXPECT_TRUE(stream.SeekToEnd());
    EXPECT_TRUE(stream.IsAtEnd());

    stream.Close();
    EXPECT_FALSE(stream.IsOpen());
    EXPECT_EQ(stream.Serialize(buffer, 4), 0u);
    EXPECT_TRUE(stream.HasFailed());
}

// Archives that lie about themselves: each damage gives its warning and a
// stream that is not open, never a read outside the archive.
TEST(UStream_Archive, DistrustsWhatTheArchiveSays) {
    const std::string good = "good content of a member\r\n";
    const Bytes deflated = DeflateWriter().FixedLiterals(true, good.c_str()).Bytes();

    struct Row {
        const char* name;
        std::function<Bytes()> make;
        const char* member;
        bool open;
        std::vector<std::string> warnings;
    };
    auto build = [&](const std::function<void(ZipBuilder&, Bytes&)>& damage) {
        return [&, damage] {
            ZipBuilder builder;
            builder.Stored("first.txt", "first").Member("deflated.txt", deflated, 8, good);
            Bytes bytes = builder.Build();
            damage(builder, bytes);
            return bytes;
        };
    };
    const std::string a = "h.zip";
    const Row rows[] = {
        {"an intact archive", build([](ZipBuilder&, Bytes&) {}), "deflated.txt", true, {}},
        {"shorter than the end record",
         [] { return Bytes{0x50, 0x4B, 0x05, 0x06, 0, 0, 0, 0}; },
         "x",
         false,
         {Warning("Can't handle file \"h.zip\". No central directory found."), NotFound("x", a)}},
        {"only an end record: an empty archive", [] { return ZipBuilder().Build(); }, "x", false, {NotFound("x", a)}},
        {"more entries counted than present",
         build([](ZipBuilder& b, Bytes& bytes) { ZipBuilder::Patch16(bytes, b.EndOffset() + 10, 9); }),
         "deflated.txt",
         true,
         {Warning("Can't handle file \"h.zip\". Central directory damaged.")}},
        {"directory offset past the end",
         build([](ZipBuilder& b, Bytes& bytes) { ZipBuilder::Patch32(bytes, b.EndOffset() + 16, 0xFFFFFF00u); }),
         "first.txt",
         false,
         {Warning("Can't handle file \"h.zip\". Central directory damaged."), NotFound("first.txt", a)}},
        {"name length past the end",
         build([](ZipBuilder& b, Bytes& bytes) { ZipBuilder::Patch16(bytes, b.CentralOffset(1) + 28, 0xFFFF); }),
         "first.txt",
         true,
         {Warning("Can't handle file \"h.zip\". Central directory damaged.")}},
        {"a directory entry without its signature",
         build([](ZipBuilder& b, Bytes& bytes) { bytes[b.CentralOffset(0)] = 'X'; }),
         "first.txt",
         false,
         {Warning("Can't handle file \"h.zip\". Central directory damaged."), NotFound("first.txt", a)}},
        {"local header offset past the end",
         build([](ZipBuilder& b, Bytes& bytes) { ZipBuilder::Patch32(bytes, b.CentralOffset(1) + 42, 0x7FFFFFF0u); }),
         "deflated.txt",
         false,
         {MemberProblem("deflated.txt", a, "Local file header damaged.")}},
        {"local header without its signature",
         build([](ZipBuilder& b, Bytes& bytes) { bytes[b.LocalOffset(0) + 3] = 9; }),
         "first.txt",
         false,
         {MemberProblem("first.txt", a, "Local file header damaged.")}},
        {"member data past the end",
         build([](ZipBuilder& b, Bytes& bytes) { ZipBuilder::Patch32(bytes, b.CentralOffset(1) + 20, 5000); }),
         "deflated.txt",
         false,
         {MemberProblem("deflated.txt", a, "Member data runs past the end of the archive.")}},
        {"local extra field past the end",
         build([](ZipBuilder& b, Bytes& bytes) { ZipBuilder::Patch16(bytes, b.LocalOffset(1) + 28, 0xFFFF); }),
         "deflated.txt",
         false,
         {MemberProblem("deflated.txt", a, "Member data runs past the end of the archive.")}},
        {"a wrong CRC-32",
         build([](ZipBuilder& b, Bytes& bytes) { bytes[b.CentralOffset(0) + 16] ^= 1; }),
         "first.txt",
         false,
         {MemberProblem("first.txt", a, "CRC-32 mismatch.")}},
        {"a changed stored byte",
         build([](ZipBuilder& b, Bytes& bytes) { bytes[b.LocalOffset(0) + 30 + 9] = 'F'; }),
         "first.txt",
         false,
         {MemberProblem("first.txt", a, "CRC-32 mismatch.")}},
        {"a header claiming more than the data gives",
         build([](ZipBuilder& b, Bytes& bytes) { ZipBuilder::Patch32(bytes, b.CentralOffset(1) + 24, 100); }),
         "deflated.txt",
         false,
         {MemberProblem("deflated.txt", a, "Uncompressed size mismatch.")}},
        {"a header claiming an enormous size",
         build([](ZipBuilder& b, Bytes& bytes) { ZipBuilder::Patch32(bytes, b.CentralOffset(1) + 24, 0x7FFFFFF0u); }),
         "deflated.txt",
         false,
         {MemberProblem("deflated.txt", a, "Uncompressed size mismatch.")}},
        {"a header claiming less than the data gives",
         build([](ZipBuilder& b, Bytes& bytes) { ZipBuilder::Patch32(bytes, b.CentralOffset(1) + 24, 5); }),
         "deflated.txt",
         false,
         {MemberProblem("deflated.txt", a, "Compressed data damaged (more output than the declared size).")}},
        {"stored sizes that disagree",
         build([](ZipBuilder& b, Bytes& bytes) { ZipBuilder::Patch32(bytes, b.CentralOffset(0) + 24, 4); }),
         "first.txt",
         false,
         {MemberProblem("first.txt", a, "Uncompressed size mismatch.")}},
        {"damaged deflate data",
         build([](ZipBuilder& b, Bytes& bytes) { bytes[b.LocalOffset(1) + 30 + 12] = 0xFF; }),
         "deflated.txt",
         false,
         {MemberProblem("deflated.txt", a, "Compressed data damaged (a block of the reserved type 3).")}},
    };
    for (const Row& row : rows) {
        Opened opened = Open(row.make(), a, row.member);
        EXPECT_EQ(opened.open, row.open) << row.name;
        EXPECT_EQ(opened.warnings, row.warnings) << row.name;
        if (opened.open) {
            EXPECT_EQ(opened.bytes.size(), opened.size) << row.name;
        }
    }
}

// A 20 KB member of 3 MB runs, opened in a process that cannot allocate
// more than `largest` bytes at once.
Opened OpenRunsMember(uint32_t declaredSize, uint32_t largest) {
    const int runs = 12000;
    const std::string content = std::string(1 + 258 * size_t(runs), 'a');
    ZipBuilder builder;
    Bytes bytes = builder.Member("runs.txt", DeflateWriter().FixedRuns(true, 'a', runs).Bytes(), 8, content).Build();
    ZipBuilder::Patch32(bytes, builder.CentralOffset(0) + 24, declaredSize);
    orlo_test::RecordingCoreServicesScope scope;
    scope.Pool().SetLargest(largest);
    return Open(bytes, "runs.zip", "runs.txt");
}

TEST(UStream_Archive, DeclaredSizeIsNotReservedUpFront) {
    // 700 MB declared by 20 KB of data: the reservation follows the data, so
    // the lie shows as a size mismatch rather than as exhausted memory.
    Opened opened = OpenRunsMember(700000000u, 16u << 20);
    EXPECT_FALSE(opened.open);
    EXPECT_EQ(opened.warnings,
              std::vector<std::string>{MemberProblem("runs.txt", "runs.zip", "Uncompressed size mismatch.")});

    // The honest size still unpacks, growing to it.
    Opened honest = OpenRunsMember(1 + 258 * 12000, 16u << 20);
    EXPECT_TRUE(honest.open);
    EXPECT_EQ(honest.size, 1 + 258 * 12000u);
    EXPECT_TRUE(honest.warnings.empty());
}

TEST(UStream_Archive, RunningOutOfMemoryLeavesTheStreamClosedWithAWarning) {
    // The refused request is warned of, then the member it was for.
    Opened opened = OpenRunsMember(1 + 258 * 12000, 1u << 20);
    EXPECT_FALSE(opened.open);
    ASSERT_EQ(opened.warnings.size(), 2u);
    EXPECT_EQ(opened.warnings[0].rfind("WARNING: memory allocation of ", 0), 0u) << opened.warnings[0];
    EXPECT_EQ(opened.warnings[1], MemberProblem("runs.txt", "runs.zip", "Not enough memory."));
}

TEST(UStream_Archive, ALaterEntryOfTheSameNameWins) {
    Bytes bytes = ZipBuilder().Stored("twice.txt", "first").Stored("twice.txt", "second").Build();
    Opened opened = Open(bytes, "t.zip", "twice.txt");
    EXPECT_TRUE(opened.bytes == Text("second"));
}
