#include "orlo/CoreServices/Implementations/ANSI/UFileSystem_ANSI.h"

#include <cerrno>
#include <cstdio>

#ifdef _WIN32
#include <direct.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "orlo/CoreServices/Implementations/ANSI/FileANSI.h"
#include "orlo/CoreServices/Implementations/ANSI/UFileANSI_SerializingPolicy_Input.h"
#include "orlo/CoreServices/Implementations/ANSI/UFileANSI_SerializingPolicy_Output.h"
#include "orlo/CoreServices/Implementations/UStream_Archive.h"

namespace orlo {

namespace {

constexpr size_t WORKING_DIRECTORY_BUFFER = 4096;
constexpr size_t COPY_BLOCK = 1024;

// The stream object for an open file; the file is closed when building the
// object fails (its name is copied, which may run out of memory), so that
// nothing keeps it open.
template <class TStream>
TStream* WrapFile(FILE* file, const UString& path) {
    try {
        return new TStream(file, path);
    } catch (...) {
        fclose(file);
        throw;
    }
}

IInputStream* OpenInput(const UString& path) {
    FILE* file = file_ansi::OpenRegular(path.c_str(), "rbS");
    return file != nullptr ? WrapFile<UFileANSI_SerializingPolicy_Input>(file, path) : nullptr;
}

void Report(FileProgressCallback progress, float fraction) {
    if (progress != nullptr)
        progress(fraction);
}

} // namespace

void UFileSystem_ANSI::Init() {
    ORLO_GUARD
    m_initialised = true;
    GetWorkingDirectory();
    ORLO_UNGUARD
}

void UFileSystem_ANSI::Shutdown() {
    ORLO_GUARD
    m_initialised = false;
    ORLO_UNGUARD
}

TStreamHandle<IInputStream> UFileSystem_ANSI::CreateFileReader(const UString& path) {
    ORLO_GUARD
    return UStream_Archive::OpenPath(path, &OpenInput);
    ORLO_UNGUARD
}

TStreamHandle<IOutputStream> UFileSystem_ANSI::CreateFileWriter(const UString& path, bool /*overwrite*/,
                                                                bool keepContents) {
    ORLO_GUARD
    FILE* file = file_ansi::OpenRegular(path.c_str(), keepContents ? "abS" : "wbS");
    if (file == nullptr)
        return TStreamHandle<IOutputStream>();
    return TStreamHandle<IOutputStream>(WrapFile<UFileANSI_SerializingPolicy_Output>(file, path));
    ORLO_UNGUARD
}

uint64_t UFileSystem_ANSI::GetFileSize(const UString& path) {
    ORLO_GUARD
    FILE* file = file_ansi::OpenRegular(path.c_str(), "r");
    if (file == nullptr)
        return 0;
    int64_t size = file_ansi::Seek(file, 0, SEEK_END) ? file_ansi::Tell(file) : -1;
    fclose(file);
    return size > 0 ? uint64_t(size) : 0;
    ORLO_UNGUARD
}

bool UFileSystem_ANSI::ExistsFile(const UString& path) {
    ORLO_GUARD
    FILE* file = file_ansi::OpenRegular(path.c_str(), "r");
    if (file == nullptr)
        return false;
    fclose(file);
    return true;
    ORLO_UNGUARD
}

bool UFileSystem_ANSI::Delete(const UString& path) {
    ORLO_GUARD
    return remove(path.c_str()) == 0;
    ORLO_UNGUARD
}

bool UFileSystem_ANSI::Copy(const UString& destination, const UString& source, bool overwrite,
                            FileProgressCallback progress) {
    ORLO_GUARD
    // An existing destination is replaced only when the caller allows it, and
    // never by itself: opening it for writing would empty the source. The same
    // file may be spelled in many ways, so the file itself is compared.
    if (destination == source || file_ansi::IsSameFile(destination.c_str(), source.c_str()) ||
        (!overwrite && ExistsFile(destination)))
        return false;
    TStreamHandle<IInputStream> reader = CreateFileReader(source);
    if (!reader || !reader->IsOpen())
        return false;
    uint64_t total = reader->GetSize();
    TStreamHandle<IOutputStream> writer = CreateFileWriter(destination, overwrite, false);
    if (!writer)
        return false;
    unsigned char block[COPY_BLOCK];
    uint64_t copied = 0;
    bool success = true;
    for (;;) {
        uint64_t count = reader->Serialize(block, sizeof(block));
        if (reader->HasFailed()) {
            success = false;
            break;
        }
        if (count == 0)
            break;
        if (writer->Serialize(block, count) != count || writer->HasFailed()) {
            success = false;
            break;
        }
        copied += count;
        Report(progress, total != 0 ? float(double(copied) / double(total)) : 1.0f);
    }
    writer->Close();
    success = success && !writer->HasFailed();
    if (!success) {
        writer = TStreamHandle<IOutputStream>();
        Delete(destination);
    }
    return success;
    ORLO_UNGUARD
}

bool UFileSystem_ANSI::Move(const UString& destination, const UString& source, bool overwrite,
                            FileProgressCallback progress) {
    ORLO_GUARD
    Report(progress, 0.0f);
    bool success = Copy(destination, source, overwrite, progress);
    if (success && !Delete(source)) {
        Delete(destination);
        success = false;
    }
    Report(progress, 1.0f);
    return success;
    ORLO_UNGUARD
}

bool UFileSystem_ANSI::MakeDirectory(const UString& path) {
    ORLO_GUARD
#ifdef _WIN32
    return _mkdir(path.c_str()) == 0;
#else
    return mkdir(path.c_str(), 0777) == 0;
#endif
    ORLO_UNGUARD
}

bool UFileSystem_ANSI::DeleteDirectory(const UString& path) {
    ORLO_GUARD
#ifdef _WIN32
    return _rmdir(path.c_str()) == 0;
#else
    return rmdir(path.c_str()) == 0;
#endif
    ORLO_UNGUARD
}

bool UFileSystem_ANSI::SetWorkingDirectory(const UString& path) {
    ORLO_GUARD
#ifdef _WIN32
    bool success = _chdir(path.c_str()) == 0;
#else
    bool success = chdir(path.c_str()) == 0;
#endif
    // The path may be relative: the cache is filled again from the system
    // when next asked for.
    if (success)
        m_workingDirectory.Empty();
    return success;
    ORLO_UNGUARD
}

const UString& UFileSystem_ANSI::GetWorkingDirectory() {
    ORLO_GUARD
    if (m_workingDirectory.IsEmpty()) {
        char buffer[WORKING_DIRECTORY_BUFFER];
        errno = 0;
#ifdef _WIN32
        const char* directory = _getcwd(buffer, int(sizeof(buffer)));
#else
        const char* directory = getcwd(buffer, sizeof(buffer));
#endif
        if (directory == nullptr && errno == ERANGE)
            ORLO_RAISE("current path longer than 4096 bytes");
        if (directory == nullptr)
            ORLO_RAISE("current path not available");
        UString text(directory);
        if (text.IsEmpty() || text.c_str()[text.Length() - 1] != '/')
            text += "/";
        m_workingDirectory = text;
    }
    return m_workingDirectory;
    ORLO_UNGUARD
}

UArray<UString> UFileSystem_ANSI::FindFiles(const UString& /*pattern*/) {
    ORLO_GUARD
    return UArray<UString>();
    ORLO_UNGUARD
}

} // namespace orlo
