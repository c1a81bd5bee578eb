#pragma once

#include <cstdint>

#include "orlo/CoreServices/Interfaces/IFileSystem.h"

namespace orlo {

// Files through the C library's stdio. Serves the bootstrap core services.
class UFileSystem_ANSI : public IFileSystem {
public:
    UFileSystem_ANSI() = default;
    UFileSystem_ANSI(const UFileSystem_ANSI&) = delete;
    UFileSystem_ANSI& operator=(const UFileSystem_ANSI&) = delete;

    void Init() override;
    void Shutdown() override;
    TStreamHandle<IInputStream> CreateFileReader(const UString& path) override;
    // Keep-contents appends at the end of an existing file.
    TStreamHandle<IOutputStream> CreateFileWriter(const UString& path, bool overwrite, bool keepContents) override;
    uint64_t GetFileSize(const UString& path) override;
    bool ExistsFile(const UString& path) override;
    bool Delete(const UString& path) override;
    // Copies in blocks of 1024 bytes with progress after each; an existing
    // destination is replaced only with `overwrite`. A copy that fails on the
    // way leaves no destination behind.
    bool Copy(const UString& destination, const UString& source, bool overwrite,
              FileProgressCallback progress = nullptr) override;
    // Copy, then Delete of the source; when the source stays, so does nothing
    // at the destination.
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

} // namespace orlo
