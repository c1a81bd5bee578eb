#include "orlo/CoreServices/Implementations/ANSI/FileANSI.h"

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#else
#include <sys/stat.h>
#endif

namespace orlo::file_ansi {

bool Seek(FILE* file, int64_t distance, int origin) {
#ifdef _WIN32
    return _fseeki64(file, distance, origin) == 0;
#else
    return fseeko(file, off_t(distance), origin) == 0;
#endif
}

int64_t Tell(FILE* file) {
#ifdef _WIN32
    return _ftelli64(file);
#else
    return int64_t(ftello(file));
#endif
}

FILE* OpenRegular(const char* path, const char* mode) {
    FILE* file = fopen(path, mode);
#ifndef _WIN32
    struct stat status;
    if (file != nullptr && (fstat(fileno(file), &status) != 0 || S_ISDIR(status.st_mode))) {
        fclose(file);
        file = nullptr;
    }
#endif
    return file;
}

#ifdef _WIN32
namespace {
// The volume and index of an existing file; false when it cannot be opened.
bool GetFileIdentity(const char* path, BY_HANDLE_FILE_INFORMATION& information) {
    HANDLE handle = CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return false;
    bool known = GetFileInformationByHandle(handle, &information) != 0;
    CloseHandle(handle);
    return known;
}
} // namespace
#endif

bool IsSameFile(const char* first, const char* second) {
#ifdef _WIN32
    BY_HANDLE_FILE_INFORMATION a;
    BY_HANDLE_FILE_INFORMATION b;
    return GetFileIdentity(first, a) && GetFileIdentity(second, b) &&
           a.dwVolumeSerialNumber == b.dwVolumeSerialNumber && a.nFileIndexHigh == b.nFileIndexHigh &&
           a.nFileIndexLow == b.nFileIndexLow;
#else
    struct stat a;
    struct stat b;
    return stat(first, &a) == 0 && stat(second, &b) == 0 && a.st_dev == b.st_dev && a.st_ino == b.st_ino;
#endif
}

} // namespace orlo::file_ansi
