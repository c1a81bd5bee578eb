#pragma once

#include <cstdint>

#include "orlo/CoreServices/Interfaces/IFileSystem.h"

namespace orlo::platform_windows {

// Files through Win32, opened without sharing: a file held by a stream cannot
// be opened again until that stream closes it. Serves the plug-in's core
// services.
class UFileSystem_Windows : public IFileSystem {
public:
    UFileSystem_Windows() = default;
    UFileSystem_Windows(const UFileSystem_Windows&) = delete;
    UFileSystem_Windows& operator=(const UFileSystem_Windows&) = delete;

    void Init() override;
    void Shutdown() override;
    TStreamHandle<IInputStream> CreateFileReader(const UString& path) override;
    // Keep-contents opens an existing file without truncating it; writing
    // starts at its first byte.
    TStreamHandle<IOutputStream> CreateFileWriter(const UString& path, bool overwrite, bool keepContents) override;
    uint64_t GetFileSize(const UString& path) override;
    bool ExistsFile(const UString& path) override;
    bool Delete(const UString& path) override;
    // Progress 0 first and 1 on success; an existing destination is replaced
    // only with `overwrite`.
    bool Copy(const UString& destination, const UString& source, bool overwrite,
              FileProgressCallback progress = nullptr) override;
    // A move, or else a copy and a delete of the source; when the source
    // stays, the copy is removed again. Progress 0 first and 1 at the end.
    bool Move(const UString& destination, const UString& source, bool overwrite,
              FileProgressCallback progress = nullptr) override;
    bool MakeDirectory(const UString& path) override;
    bool DeleteDirectory(const UString& path) override;
    bool SetWorkingDirectory(const UString& path) override;
    const UString& GetWorkingDirectory() override;
    UArray<UString> FindFiles(const UString& pattern) override;

    bool IsInitialised() const { return m_initialised; }

private:
    bool m_initialised = false;
    UString m_workingDirectory;
};

} // namespace orlo::platform_windows
