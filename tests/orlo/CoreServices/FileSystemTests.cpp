#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "../../support/Fixtures.h"
#include "../../support/RecordingCoreServices.h"
#include "../../support/RecordingLog.h"
#include "orlo/CoreServices/Implementations/ANSI/UFileSystem_ANSI.h"
#include "orlo/CoreServices/Implementations/UBufferedFileOutput.h"

#ifdef _WIN32
#include "orlo/CoreServices/Implementations/Windows/UFileSystem_Windows.h"
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#endif

namespace fs = std::filesystem;
using orlo::IInputStream;
using orlo::IOutputStream;
using orlo::TStreamHandle;
using orlo::UString;
using orlo_test::WarningCapture;

namespace {

std::vector<float> g_progress;
void RecordProgress(float fraction) {
    g_progress.push_back(fraction);
}

std::string ReadAll(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

void WriteAll(const fs::path& path, const std::string& text) {
    std::ofstream file(path, std::ios::binary);
    file << text;
}

UString Path(const fs::path& path) {
    return UString(path.string().c_str());
}

std::string ReadStream(IInputStream& stream) {
    std::string text;
    char block[4096];
    uint64_t count;
    while ((count = stream.Serialize(block, sizeof(block))) > 0)
        text.append(block, size_t(count));
    return text;
}

// Whether this process still holds the file open: on Windows an open that
// shares nothing fails while any handle is open; elsewhere the process's
// descriptors are listed.
bool IsHeldOpen(const fs::path& path) {
#ifdef _WIN32
    HANDLE handle =
        CreateFileA(path.string().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return GetLastError() == ERROR_SHARING_VIOLATION;
    CloseHandle(handle);
    return false;
#else
    const fs::path target = fs::canonical(path);
    std::error_code ignored;
    for (const fs::directory_entry& entry : fs::directory_iterator("/proc/self/fd", ignored))
        if (fs::read_symlink(entry.path(), ignored) == target)
            return true;
    return false;
#endif
}

// What sets the two implementations apart.
struct AnsiTraits {
    using FileSystem = orlo::UFileSystem_ANSI;
    static constexpr bool KEEP_CONTENTS_APPENDS = true;
    static constexpr const char* INPUT_SERIALIZE = "orlo::UFileANSI_SerializingPolicy_Input::Serialize()";
    static constexpr const char* OUTPUT_SERIALIZE = "orlo::UFileANSI_SerializingPolicy_Output::Serialize()";
    static constexpr bool EXCLUSIVE = false;
    // Copy refuses an existing destination before it reports any progress.
    static std::vector<float> RefusedCopyProgress() { return {}; }
};

#ifdef _WIN32
struct WindowsTraits {
    using FileSystem = orlo::platform_windows::UFileSystem_Windows;
    static constexpr bool KEEP_CONTENTS_APPENDS = false;
    static constexpr const char* INPUT_SERIALIZE =
        "orlo::platform_windows::UFileWindows_SerializingPolicy_Input::Serialize()";
    static constexpr const char* OUTPUT_SERIALIZE =
        "orlo::platform_windows::UFileWindows_SerializingPolicy_Output::Serialize()";
    static constexpr bool EXCLUSIVE = true;
    static std::vector<float> RefusedCopyProgress() { return {0.0f}; }
};
#endif

template <class Traits>
class FileSystemTest : public ::testing::Test {
protected:
    void SetUp() override {
        static int counter = 0;
        m_directory = fs::temp_directory_path() / ("orlo-fs-" + std::to_string(counter++) + "-" +
                                                   std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
        fs::remove_all(m_directory);
        fs::create_directories(m_directory);
        m_workingDirectory = fs::current_path();
        g_progress.clear();
    }
    void TearDown() override {
        fs::current_path(m_workingDirectory);
        std::error_code ignored;
        fs::remove_all(m_directory, ignored);
    }

    fs::path In(const std::string& name) const { return m_directory / name; }

    // Held apart: its destructor may raise, which a test fixture's may not.
    std::unique_ptr<typename Traits::FileSystem> m_files = std::make_unique<typename Traits::FileSystem>();
    fs::path m_directory;
    fs::path m_workingDirectory;
};

#ifdef _WIN32
using Implementations = ::testing::Types<AnsiTraits, WindowsTraits>;
#else
using Implementations = ::testing::Types<AnsiTraits>;
#endif

class TraitsNames {
public:
    template <class T>
    static std::string GetName(int) {
        return std::is_same_v<T, AnsiTraits> ? "ANSI" : "Windows";
    }
};

} // namespace

TYPED_TEST_SUITE(FileSystemTest, Implementations, TraitsNames);

TYPED_TEST(FileSystemTest, WritesAndReadsFiles) {
    auto& files = *this->m_files;
    UString path = Path(this->In("a.txt"));
    {
        TStreamHandle<IOutputStream> writer = files.CreateFileWriter(path, true, false);
        ASSERT_TRUE(writer);
        EXPECT_EQ(writer->Serialize("hello, file", 11), 11u);
        EXPECT_FALSE(writer->HasFailed());
        EXPECT_TRUE(writer->Flush());
        EXPECT_EQ(writer->GetName(), path);
    }
    EXPECT_TRUE(files.ExistsFile(path));
    EXPECT_EQ(files.GetFileSize(path), 11u);
    TStreamHandle<IInputStream> reader = files.CreateFileReader(path);
    ASSERT_TRUE(reader);
    EXPECT_EQ(reader->GetSize(), 11u);
    EXPECT_EQ(ReadStream(*reader), "hello, file");
    EXPECT_TRUE(reader->IsAtEnd());
    EXPECT_FALSE(reader->HasFailed());
    EXPECT_TRUE(reader->SeekToStart());
    EXPECT_TRUE(reader->SeekForward(7));
    EXPECT_EQ(reader->GetPosition(), 7u);
    EXPECT_TRUE(reader->SeekBackward(2));
    char buffer[4] = {};
    EXPECT_EQ(reader->Serialize(buffer, 4), 4u);
    EXPECT_EQ(std::string(buffer, 4), ", fi");
    EXPECT_FALSE(reader->SeekBackward(100));

    reader->Close();
    EXPECT_FALSE(reader->IsOpen());
    EXPECT_EQ(reader->Serialize(buffer, 4), 0u);
    EXPECT_TRUE(reader->HasFailed());
}

TYPED_TEST(FileSystemTest, MissingFilesAreResultsNotErrors) {
    auto& files = *this->m_files;
    UString missing = Path(this->In("missing.txt"));
    EXPECT_FALSE(files.CreateFileReader(missing));
    EXPECT_FALSE(files.ExistsFile(missing));
    EXPECT_EQ(files.GetFileSize(missing), 0u);
    EXPECT_FALSE(files.Delete(missing));
    EXPECT_FALSE(files.CreateFileWriter(Path(this->In("no/such/folder.txt")), true, false));
    // A directory is not a file.
    EXPECT_FALSE(files.ExistsFile(Path(this->m_directory)));
    EXPECT_FALSE(files.CreateFileReader(Path(this->m_directory)));
    EXPECT_TRUE(files.FindFiles(Path(this->In("*"))).Num() == 0);
}

TYPED_TEST(FileSystemTest, KeepContentsDecidesWhatHappensToAnExistingFile) {
    auto& files = *this->m_files;
    fs::path file = this->In("ten.txt");
    WriteAll(file, "0123456789");
    {
        TStreamHandle<IOutputStream> writer = files.CreateFileWriter(Path(file), false, true);
        ASSERT_TRUE(writer);
        writer->Serialize("abc", 3);
    }
    EXPECT_EQ(ReadAll(file), TypeParam::KEEP_CONTENTS_APPENDS ? "0123456789abc" : "abc3456789");

    WriteAll(file, "0123456789");
    {
        TStreamHandle<IOutputStream> writer = files.CreateFileWriter(Path(file), false, false);
        ASSERT_TRUE(writer);
        writer->Serialize("abc", 3);
    }
    EXPECT_EQ(ReadAll(file), "abc");
}

// Writes gather in the stream's block: many small ones, ones that straddle
// the block's end and ones longer than the block all arrive whole and in
// order, and closing writes out what is still gathered.
TYPED_TEST(FileSystemTest, ManySmallWritesArriveWholeAndInOrder) {
    auto& files = *this->m_files;
    fs::path file = this->In("pieces.txt");
    const size_t block = orlo::UBufferedFileOutput::BLOCK_SIZE;
    std::string expected;
    {
        TStreamHandle<IOutputStream> writer = files.CreateFileWriter(Path(file), true, false);
        ASSERT_TRUE(writer);
        auto put = [&](const std::string& piece) {
            EXPECT_EQ(writer->Serialize(piece.data(), piece.size()), piece.size());
            EXPECT_FALSE(writer->HasFailed());
            expected += piece;
        };
        for (int i = 0; i < 40000; ++i)
            put(std::string(1, ' ').append(std::to_string(i * 7919u % 100003u)));
        // Longer than the block, after gathered bytes and with none gathered.
        put(std::string(3 * block + 5, 'L'));
        put(std::string(block, 'B'));
        // Filling the block to its last byte, then one more.
        put(std::string(block - 1, 'f'));
        put("x");
        put("y");
        EXPECT_EQ(writer->Serialize("", 0), 0u);
        EXPECT_FALSE(writer->HasFailed());
        for (int i = 0; i < 1000; ++i)
            put(std::string("\r\n\t\t").append(std::to_string(i)));
    }
    EXPECT_EQ(ReadAll(file), expected);
}

// Gathered bytes are not in the file until Flush() or Close(); a flush puts
// them there for every reader, and writing goes on after it.
TYPED_TEST(FileSystemTest, FlushPutsGatheredBytesIntoTheFile) {
    auto& files = *this->m_files;
    fs::path file = this->In("flushed.txt");
    const UString path = Path(file);
    TStreamHandle<IOutputStream> writer = files.CreateFileWriter(path, true, false);
    ASSERT_TRUE(writer);
    for (int i = 0; i < 100; ++i)
        writer->Serialize("0123456789", 10);
    EXPECT_EQ(fs::file_size(file), 0u);
    EXPECT_TRUE(writer->Flush());
    EXPECT_FALSE(writer->HasFailed());
    EXPECT_EQ(fs::file_size(file), 1000u);
    if (!TypeParam::EXCLUSIVE) {
        TStreamHandle<IInputStream> reader = files.CreateFileReader(path);
        ASSERT_TRUE(reader);
        EXPECT_EQ(reader->GetSize(), 1000u);
        EXPECT_EQ(ReadStream(*reader).substr(990), "0123456789");
    }
    writer->Serialize("tail", 4);
    EXPECT_EQ(fs::file_size(file), 1000u);
    writer->Close();
    EXPECT_FALSE(writer->HasFailed());
    EXPECT_FALSE(writer->IsOpen());
    EXPECT_EQ(fs::file_size(file), 1004u);
    EXPECT_EQ(ReadAll(file).substr(1000), "tail");
    // A closed stream takes nothing more and says so.
    EXPECT_EQ(writer->Serialize("more", 4), 0u);
    EXPECT_TRUE(writer->HasFailed());
    EXPECT_FALSE(writer->Flush());
    EXPECT_EQ(fs::file_size(file), 1004u);
}

TYPED_TEST(FileSystemTest, CopyReplacesOnlyWhenAllowed) {
    auto& files = *this->m_files;
    fs::path source = this->In("source.txt");
    fs::path target = this->In("target.txt");
    std::string content(5000, 'x');
    content += "end";
    WriteAll(source, content);
    WriteAll(target, "keep me");

    EXPECT_FALSE(files.Copy(Path(target), Path(source), false, &RecordProgress));
    EXPECT_EQ(ReadAll(target), "keep me");
    EXPECT_EQ(g_progress, TypeParam::RefusedCopyProgress());

    g_progress.clear();
    EXPECT_TRUE(files.Copy(Path(target), Path(source), true, &RecordProgress));
    EXPECT_EQ(ReadAll(target), content);
    EXPECT_EQ(ReadAll(source), content);
    ASSERT_FALSE(g_progress.empty());
    EXPECT_EQ(g_progress.back(), 1.0f);
    for (size_t i = 1; i < g_progress.size(); ++i)
        EXPECT_LE(g_progress[i - 1], g_progress[i]);

    EXPECT_TRUE(files.Copy(Path(this->In("new.txt")), Path(source), false, nullptr));
    EXPECT_EQ(ReadAll(this->In("new.txt")), content);
    EXPECT_FALSE(files.Copy(Path(this->In("other.txt")), Path(this->In("missing.txt")), true, nullptr));
    EXPECT_FALSE(fs::exists(this->In("other.txt")));
}

TYPED_TEST(FileSystemTest, CopyOntoItselfSpelledAnotherWayKeepsTheFile) {
    auto& files = *this->m_files;
    fs::path source = this->In("self.qro");
    const std::string content(100000, 'q');
    WriteAll(source, content);
    fs::create_directories(this->In("sub"));
    std::vector<fs::path> spellings = {this->m_directory / "." / "self.qro", this->In("sub") / ".." / "self.qro"};
    std::error_code noLinks;
    fs::create_symlink(source, this->In("link.qro"), noLinks);
    if (!noLinks)
        spellings.push_back(this->In("link.qro"));
    for (const fs::path& other : spellings) {
        for (bool overwrite : {true, false}) {
            EXPECT_FALSE(files.Copy(Path(other), Path(source), overwrite, nullptr)) << other << " " << overwrite;
            EXPECT_FALSE(files.Copy(Path(source), Path(other), overwrite, nullptr)) << other << " " << overwrite;
            EXPECT_EQ(ReadAll(source), content) << other << " " << overwrite;
        }
    }
}

TYPED_TEST(FileSystemTest, MoveReportsStartAndEndEveryTime) {
    auto& files = *this->m_files;
    fs::path source = this->In("source.txt");
    fs::path target = this->In("target.txt");
    WriteAll(source, "moving");
    WriteAll(target, "in the way");

    EXPECT_FALSE(files.Move(Path(target), Path(source), false, &RecordProgress));
    EXPECT_EQ(ReadAll(target), "in the way");
    EXPECT_EQ(ReadAll(source), "moving");
    ASSERT_GE(g_progress.size(), 2u);
    EXPECT_EQ(g_progress.front(), 0.0f);
    EXPECT_EQ(g_progress.back(), 1.0f);

    g_progress.clear();
    EXPECT_TRUE(files.Move(Path(target), Path(source), true, &RecordProgress));
    EXPECT_EQ(ReadAll(target), "moving");
    EXPECT_FALSE(fs::exists(source));
    EXPECT_EQ(g_progress.front(), 0.0f);
    EXPECT_EQ(g_progress.back(), 1.0f);
}

TYPED_TEST(FileSystemTest, DirectoriesAndTheWorkingDirectory) {
    auto& files = *this->m_files;
    UString sub = Path(this->In("sub"));
    EXPECT_TRUE(files.MakeDirectory(sub));
    EXPECT_FALSE(files.MakeDirectory(sub));
    WriteAll(this->In("sub/file.txt"), "x");
    EXPECT_FALSE(files.DeleteDirectory(sub));

    std::string before = files.GetWorkingDirectory().c_str();
    ASSERT_FALSE(before.empty());
    EXPECT_EQ(before.back(), '/');

    ASSERT_TRUE(files.SetWorkingDirectory(Path(this->m_directory)));
    // A relative path: the cache holds where it really led.
    ASSERT_TRUE(files.SetWorkingDirectory(UString("sub")));
    std::string now = files.GetWorkingDirectory().c_str();
    EXPECT_EQ(now.back(), '/');
    EXPECT_TRUE(fs::equivalent(fs::path(now.substr(0, now.size() - 1)), this->In("sub"))) << now;
    EXPECT_FALSE(files.SetWorkingDirectory(UString("no-such-directory")));
    EXPECT_EQ(std::string(files.GetWorkingDirectory().c_str()), now);

    ASSERT_TRUE(files.SetWorkingDirectory(Path(this->m_workingDirectory)));
    EXPECT_TRUE(files.Delete(Path(this->In("sub/file.txt"))));
    EXPECT_TRUE(files.DeleteDirectory(sub));
    EXPECT_FALSE(fs::exists(this->In("sub")));

    files.Init();
    EXPECT_TRUE(files.IsInitialised());
    files.Shutdown();
    EXPECT_FALSE(files.IsInitialised());
}

// A request of 2^31 bytes is refused before the file is touched.
TYPED_TEST(FileSystemTest, HugeRequestsAreRefusedByAssure) {
    auto& files = *this->m_files;
    fs::path file = this->In("small.txt");
    WriteAll(file, "small");
    char buffer[8];
    {
        TStreamHandle<IInputStream> reader = files.CreateFileReader(Path(file));
        ASSERT_TRUE(reader);
        try {
            reader->Serialize(buffer, uint64_t(1) << 31);
            ADD_FAILURE() << "no error";
        } catch (const orlo::ErrorDescription& error) {
            EXPECT_STREQ(error.GetMessageText(), "'assure' failed: size < (1<<31)");
            EXPECT_STREQ(error.GetHistory(), TypeParam::INPUT_SERIALIZE);
        }
        EXPECT_EQ(reader->GetPosition(), 0u);
        EXPECT_EQ(reader->Serialize(buffer, sizeof(buffer)), 5u);
    }
    TStreamHandle<IOutputStream> writer = files.CreateFileWriter(Path(file), true, false);
    ASSERT_TRUE(writer);
    try {
        writer->Serialize(buffer, uint64_t(1) << 31);
        ADD_FAILURE() << "no error";
    } catch (const orlo::ErrorDescription& error) {
        EXPECT_STREQ(error.GetMessageText(), "'assure' failed: size < (1<<31)");
        EXPECT_STREQ(error.GetHistory(), TypeParam::OUTPUT_SERIALIZE);
    }
}

TYPED_TEST(FileSystemTest, DestroyingTheHandleClosesTheFile) {
    auto& files = *this->m_files;
    fs::path file = this->In("held.txt");
    WriteAll(file, "held");
    {
        TStreamHandle<IInputStream> first = files.CreateFileReader(Path(file));
        ASSERT_TRUE(first);
        // Opened without sharing on Windows: a second reader must wait.
        EXPECT_EQ(bool(files.CreateFileReader(Path(file))), !TypeParam::EXCLUSIVE);
    }
    TStreamHandle<IInputStream> again = files.CreateFileReader(Path(file));
    EXPECT_TRUE(again);
    again = TStreamHandle<IInputStream>();
    EXPECT_TRUE(files.Delete(Path(file)));
}

TYPED_TEST(FileSystemTest, AStreamObjectThatCannotBeBuiltClosesItsFile) {
    auto& files = *this->m_files;
    fs::path file = this->In("locked.txt");
    WriteAll(file, "content");
    const UString path = Path(file);
    {
        // The stream copies the path: with the pool refusing, building it fails
        // after the file is open.
        orlo_test::RecordingCoreServicesScope scope;
        scope.Pool().SetRefusing(true);
        EXPECT_THROW(files.CreateFileReader(path), orlo::ErrorDescription);
        EXPECT_FALSE(IsHeldOpen(file)) << "reader";
        EXPECT_THROW(files.CreateFileWriter(path, true, true), orlo::ErrorDescription);
        EXPECT_FALSE(IsHeldOpen(file)) << "writer";
    }
    EXPECT_EQ(ReadAll(file), "content");
    EXPECT_TRUE(files.Delete(path));
}

// A path that runs through an archive file opens the member behind it.
TYPED_TEST(FileSystemTest, ReadsMembersThroughArchivePaths) {
    auto& files = *this->m_files;
    fs::path archive = this->In("pack.zip");
    std::vector<unsigned char> bytes = orlo_test::ReadFixture("zip/infozip-9.zip");
    ASSERT_FALSE(bytes.empty());
    WriteAll(archive, std::string(bytes.begin(), bytes.end()));
    std::vector<unsigned char> nested = orlo_test::ReadFixture("zip/nested.zip");
    WriteAll(this->In("nested.zip"), std::string(nested.begin(), nested.end()));
    std::string expected = ReadAll(orlo_test::FixturePath("expected/models/qro-like.txt"));

    const char* paths[] = {"pack.zip/models/qro-like.txt", "pack.zip\\models\\qro-like.txt",
                           "nested.zip/inner/models.zip/models/qro-like.txt"};
    for (const char* path : paths) {
        WarningCapture warnings;
        TStreamHandle<IInputStream> reader = files.CreateFileReader(Path(this->In(path)));
        ASSERT_TRUE(reader) << path;
        EXPECT_EQ(reader->GetSize(), expected.size()) << path;
        EXPECT_EQ(ReadStream(*reader), expected) << path;
        EXPECT_TRUE(warnings.Messages().empty()) << path;
    }

    // The archive file is not held once the member is read.
    {
        TStreamHandle<IInputStream> reader = files.CreateFileReader(Path(this->In("pack.zip/Readme.txt")));
        EXPECT_TRUE(reader);
        EXPECT_TRUE(files.CreateFileReader(Path(archive)));
    }

    WarningCapture warnings;
    EXPECT_FALSE(files.CreateFileReader(Path(this->In("pack.zip/models/missing.qro"))));
    EXPECT_EQ(warnings.Messages().size(), 1u);
    warnings.Clear();
    // A directory on the way is not taken for an archive, and a name without
    // any separator gives nothing.
    EXPECT_FALSE(files.CreateFileReader(Path(this->In("models/missing.qro"))));
    EXPECT_FALSE(files.CreateFileReader(UString("no-separator-and-no-such-file")));
    EXPECT_TRUE(warnings.Messages().empty()) << warnings.All();
}

#ifndef _WIN32
// A device that takes no bytes: gathered bytes that cannot be written make
// the stream failed for good, whether Flush(), Close() or a later write finds
// out, so that a full disk never passes for a written file.
TEST(UFileANSI_SerializingPolicy_Output, BytesThatCannotBeWrittenFailTheStreamForGood) {
    ASSERT_TRUE(fs::exists("/dev/full"));
    orlo::UFileSystem_ANSI files;
    const UString full("/dev/full");
    const std::string piece = "-0.5000 ";
    struct Case {
        const char* name;
        bool flush;
    };
    for (const Case& test : {Case{"flush", true}, Case{"close", false}}) {
        TStreamHandle<IOutputStream> writer = files.CreateFileWriter(full, true, false);
        ASSERT_TRUE(writer) << test.name;
        // Gathered: nothing has been tried yet.
        EXPECT_EQ(writer->Serialize(piece.data(), piece.size()), piece.size()) << test.name;
        EXPECT_FALSE(writer->HasFailed()) << test.name;
        if (test.flush) {
            EXPECT_FALSE(writer->Flush());
            EXPECT_TRUE(writer->HasFailed());
            // Later calls do not clear it: the file has a gap.
            EXPECT_EQ(writer->Serialize(piece.data(), piece.size()), 0u);
            EXPECT_TRUE(writer->HasFailed());
            EXPECT_EQ(writer->Serialize("", 0), 0u);
            EXPECT_TRUE(writer->HasFailed());
            EXPECT_FALSE(writer->Flush());
        }
        writer->Close();
        EXPECT_TRUE(writer->HasFailed()) << test.name;
        EXPECT_FALSE(writer->IsOpen()) << test.name;
    }

    // Filling the block makes a later small write find the failure itself.
    TStreamHandle<IOutputStream> writer = files.CreateFileWriter(full, true, false);
    ASSERT_TRUE(writer);
    uint64_t taken = 0;
    int writes = 0;
    while (!writer->HasFailed() && writes < 100000) {
        taken += writer->Serialize(piece.data(), piece.size());
        ++writes;
    }
    EXPECT_TRUE(writer->HasFailed());
    EXPECT_LE(taken, uint64_t(orlo::UBufferedFileOutput::BLOCK_SIZE));
    EXPECT_EQ(writer->Serialize(piece.data(), piece.size()), 0u);
    EXPECT_FALSE(writer->Flush());

    // A write longer than the block goes straight to the file and fails there.
    TStreamHandle<IOutputStream> direct = files.CreateFileWriter(full, true, false);
    ASSERT_TRUE(direct);
    std::string longer(orlo::UBufferedFileOutput::BLOCK_SIZE + 1, 'x');
    EXPECT_LT(direct->Serialize(longer.data(), longer.size()), longer.size());
    EXPECT_TRUE(direct->HasFailed());
    EXPECT_FALSE(direct->Flush());
}

// A working directory deeper than the buffer raises, named by the guard.
TEST(UFileSystem_ANSI, WorkingDirectoryLongerThanTheBufferRaises) {
    fs::path start = fs::current_path();
    fs::path deep = fs::temp_directory_path() / "orlo-deep";
    fs::remove_all(deep);
    fs::create_directories(deep);
    fs::current_path(deep);
    std::string name(200, 'd');
    for (int i = 0; i < 22; ++i) {
        fs::create_directory(name);
        fs::current_path(name);
    }
    orlo::UFileSystem_ANSI files;
    std::string message;
    std::string history;
    try {
        files.GetWorkingDirectory();
    } catch (const orlo::ErrorDescription& error) {
        message = error.GetMessageText();
        history = error.GetHistory();
    }
    fs::current_path(start);
    fs::remove_all(deep);
    EXPECT_EQ(message, "current path longer than 4096 bytes");
    EXPECT_EQ(history,
              "orlo::UFileSystem_ANSI::GetWorkingDirectory() <- orlo::UFileSystem_ANSI::GetWorkingDirectory()");
}
#endif
