#ifdef _WIN32

#include "orlo/CoreServices/Implementations/Windows/UFileSystem_Windows.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "orlo/CoreServices/Implementations/UStream_Archive.h"
#include "orlo/CoreServices/Implementations/Windows/UFileWindows_SerializingPolicy_Input.h"
#include "orlo/CoreServices/Implementations/Windows/UFileWindows_SerializingPolicy_Output.h"

namespace orlo::platform_windows {

namespace {

constexpr DWORD WORKING_DIRECTORY_BUFFER = 4096;

HANDLE OpenForReading(const UString& path) {
    HANDLE handle = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    return handle != INVALID_HANDLE_VALUE ? handle : nullptr;
}

// The stream object for an open file; the handle is closed when building the
// object fails (its name is copied, which may run out of memory), so that
// the file does not stay locked.
template <class TStream>
TStream* WrapHandle(HANDLE handle, const UString& path) {
    try {
        return new TStream(handle, path);
    } catch (...) {
        CloseHandle(handle);
        throw;
    }
}

IInputStream* OpenInput(const UString& path) {
    HANDLE handle = OpenForReading(path);
    return handle != nullptr ? WrapHandle<UFileWindows_SerializingPolicy_Input>(handle, path) : nullptr;
}

void Report(FileProgressCallback progress, float fraction) {
    if (progress != nullptr)
        progress(fraction);
}

DWORD CALLBACK CopyProgress(LARGE_INTEGER total, LARGE_INTEGER transferred, LARGE_INTEGER, LARGE_INTEGER, DWORD, DWORD,
                            HANDLE, HANDLE, LPVOID data) {
    if (total.QuadPart > 0)
        reinterpret_cast<FileProgressCallback>(data)(float(double(transferred.QuadPart) / double(total.QuadPart)));
    return PROGRESS_CONTINUE;
}

} // namespace

void UFileSystem_Windows::Init() {
    ORLO_GUARD
    m_initialised = true;
    GetWorkingDirectory();
    ORLO_UNGUARD
}

void UFileSystem_Windows::Shutdown() {
    ORLO_GUARD
    m_initialised = false;
    ORLO_UNGUARD
}

TStreamHandle<IInputStream> UFileSystem_Windows::CreateFileReader(const UString& path) {
    ORLO_GUARD
    return UStream_Archive::OpenPath(path, &OpenInput);
    ORLO_UNGUARD
}

TStreamHandle<IOutputStream> UFileSystem_Windows::CreateFileWriter(const UString& path, bool /*overwrite*/,
                                                                   bool keepContents) {
    ORLO_GUARD
    HANDLE handle = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, keepContents ? OPEN_ALWAYS : CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return TStreamHandle<IOutputStream>();
    return TStreamHandle<IOutputStream>(WrapHandle<UFileWindows_SerializingPolicy_Output>(handle, path));
    ORLO_UNGUARD
}

// Files of 4 GiB or more are not supported: the size is the low 32 bits.
uint64_t UFileSystem_Windows::GetFileSize(const UString& path) {
    ORLO_GUARD
    HANDLE handle = OpenForReading(path);
    if (handle == nullptr)
        return 0;
    DWORD size = ::GetFileSize(handle, nullptr);
    CloseHandle(handle);
    return size != INVALID_FILE_SIZE ? size : 0;
    ORLO_UNGUARD
}

bool UFileSystem_Windows::ExistsFile(const UString& path) {
    ORLO_GUARD
    HANDLE handle = OpenForReading(path);
    if (handle == nullptr)
        return false;
    CloseHandle(handle);
    return true;
    ORLO_UNGUARD
}

bool UFileSystem_Windows::Delete(const UString& path) {
    ORLO_GUARD
    return DeleteFileA(path.c_str()) != 0;
    ORLO_UNGUARD
}

bool UFileSystem_Windows::Copy(const UString& destination, const UString& source, bool overwrite,
                               FileProgressCallback progress) {
    ORLO_GUARD
    Report(progress, 0.0f);
    BOOL cancel = FALSE;
    bool success =
        CopyFileExA(source.c_str(), destination.c_str(), progress != nullptr ? &CopyProgress : nullptr,
                    reinterpret_cast<LPVOID>(progress), &cancel, overwrite ? 0 : COPY_FILE_FAIL_IF_EXISTS) != 0;
    if (success)
        Report(progress, 1.0f);
    return success;
    ORLO_UNGUARD
}

bool UFileSystem_Windows::Move(const UString& destination, const UString& source, bool overwrite,
                               FileProgressCallback progress) {
    ORLO_GUARD
    Report(progress, 0.0f);
    DWORD flags = MOVEFILE_WRITE_THROUGH | (overwrite ? MOVEFILE_REPLACE_EXISTING : 0);
    bool success = MoveFileExA(source.c_str(), destination.c_str(), flags) != 0;
    if (!success && CopyFileA(source.c_str(), destination.c_str(), overwrite ? FALSE : TRUE) != 0) {
        success = DeleteFileA(source.c_str()) != 0;
        if (!success)
            DeleteFileA(destination.c_str());
    }
    Report(progress, 1.0f);
    return success;
    ORLO_UNGUARD
}

bool UFileSystem_Windows::MakeDirectory(const UString& path) {
    ORLO_GUARD
    return CreateDirectoryA(path.c_str(), nullptr) != 0;
    ORLO_UNGUARD
}

bool UFileSystem_Windows::DeleteDirectory(const UString& path) {
    ORLO_GUARD
    return RemoveDirectoryA(path.c_str()) != 0;
    ORLO_UNGUARD
}

bool UFileSystem_Windows::SetWorkingDirectory(const UString& path) {
    ORLO_GUARD
    bool success = SetCurrentDirectoryA(path.c_str()) != 0;
    // The path may be relative: the cache is filled again from the system
    // when next asked for.
    if (success)
        m_workingDirectory.Empty();
    return success;
    ORLO_UNGUARD
}

const UString& UFileSystem_Windows::GetWorkingDirectory() {
    ORLO_GUARD
    if (m_workingDirectory.IsEmpty()) {
        char buffer[WORKING_DIRECTORY_BUFFER];
        DWORD length = GetCurrentDirectoryA(WORKING_DIRECTORY_BUFFER, buffer);
        if (length >= WORKING_DIRECTORY_BUFFER)
            ORLO_RAISE("current path longer than 4096 bytes");
        if (length == 0)
            ORLO_RAISE("current path not available");
        UString text(buffer);
        if (text.c_str()[text.Length() - 1] != '/')
            text += "/";
        m_workingDirectory = text;
    }
    return m_workingDirectory;
    ORLO_UNGUARD
}

UArray<UString> UFileSystem_Windows::FindFiles(const UString& /*pattern*/) {
    ORLO_GUARD
    return UArray<UString>();
    ORLO_UNGUARD
}

} // namespace orlo::platform_windows

#endif
