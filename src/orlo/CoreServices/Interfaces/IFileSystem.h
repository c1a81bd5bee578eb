#pragma once

#include <cstdint>

#include "orlo/CoreServices/Interfaces/IInputStream.h"
#include "orlo/CoreServices/Interfaces/IOutputStream.h"
#include "orlo/CoreServices/Interfaces/TStreamHandle.h"
#include "orlo/Utils/UArray.h"
#include "orlo/Utils/UBaseString.h"

namespace orlo {

// Told the progress of a copy or move as a fraction from 0 to 1.
using FileProgressCallback = void (*)(float fraction);

// Files and directories. Paths are 8-bit text in the host's code page; both
// '/' and '\\' separate directories. A file that cannot be opened is a result
// (an empty handle, 0, false), never an error.
class IFileSystem {
public:
    virtual ~IFileSystem() noexcept(false) = default;

    virtual void Init() = 0;
    virtual void Shutdown() = 0;

    // Also reaches into ZIP archives: when no file of the name exists but a
    // leading part of the path names one, the rest names a member inside it.
    virtual TStreamHandle<IInputStream> CreateFileReader(const UString& path) = 0;
    // An existing file is always opened for writing; `overwrite` is kept for
    // the callers' sake. What `keepContents` keeps differs by implementation.
    virtual TStreamHandle<IOutputStream> CreateFileWriter(const UString& path, bool overwrite, bool keepContents) = 0;
    virtual uint64_t GetFileSize(const UString& path) = 0;
    virtual bool ExistsFile(const UString& path) = 0;
    virtual bool Delete(const UString& path) = 0;
    // The destination comes first.
    virtual bool Copy(const UString& destination, const UString& source, bool overwrite,
                      FileProgressCallback progress = nullptr) = 0;
    virtual bool Move(const UString& destination, const UString& source, bool overwrite,
                      FileProgressCallback progress = nullptr) = 0;
    virtual bool MakeDirectory(const UString& path) = 0;
    virtual bool DeleteDirectory(const UString& path) = 0;
    virtual bool SetWorkingDirectory(const UString& path) = 0;
    // The working directory, always ending in '/'.
    virtual const UString& GetWorkingDirectory() = 0;
    // Searching is not offered: the list is always empty.
    virtual UArray<UString> FindFiles(const UString& pattern) = 0;
};

} // namespace orlo
