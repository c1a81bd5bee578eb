#pragma once

#include <cstdint>

#include "orlo/CoreServices/Implementations/UInputStream_Memory.h"
#include "orlo/CoreServices/Interfaces/IInputStream.h"
#include "orlo/CoreServices/Interfaces/TStreamHandle.h"
#include "orlo/Utils/UArray.h"
#include "orlo/Utils/UBaseString.h"
#include "orlo/Utils/UTable.h"

namespace orlo {

// One member of a ZIP archive, read whole during construction and then served
// as an input stream. Members are stored or deflated; a path whose leading
// part names a member that is itself an archive reaches into that one.
//
// Archives come from anywhere, so nothing they say about themselves is
// trusted: every read is bounded by the archive's real size, a member is as
// long as the bytes actually produced, and its CRC-32 is checked. Problems
// are warnings on log channel 7 and leave a stream that is not open.
class UStream_Archive : public IInputStream {
public:
    // The fixed part of a central directory file header, field by field.
    struct ZIP_CENTRAL_DIRECTORY_FILE_HEADER {
        uint32_t m_signature;
        uint16_t m_versionMadeBy;
        uint16_t m_versionNeededToExtract;
        uint16_t m_generalPurposeFlags;
        uint16_t m_compressionMethod;
        uint16_t m_lastModificationTime;
        uint16_t m_lastModificationDate;
        uint32_t m_crc32;
        uint32_t m_compressedSize;
        uint32_t m_uncompressedSize;
        uint16_t m_fileNameLength;
        uint16_t m_extraFieldLength;
        uint16_t m_fileCommentLength;
        uint16_t m_diskNumberStart;
        uint16_t m_internalAttributes;
        uint32_t m_externalAttributes;
        uint32_t m_localHeaderOffset;

        static constexpr uint32_t SIZE = 46;
        // From the 46 bytes as they stand in the file (little-endian).
        static ZIP_CENTRAL_DIRECTORY_FILE_HEADER Parse(const unsigned char* bytes);
    };

    // Reads the archive's central directory and the member `memberPath` from
    // `archive`, which is used only during construction and left at the
    // position it had. Always yields an object; IsOpen() tells whether the
    // member was read.
    UStream_Archive(IInputStream& archive, const UString& memberPath);
    UStream_Archive(const UStream_Archive&) = delete;
    UStream_Archive& operator=(const UStream_Archive&) = delete;

    // Opens `path` with `openFile`; when nothing of that name opens, the
    // longest leading part of the path (ending before a '/' or '\\') that
    // opens is read as a ZIP archive and the rest of the path as a member
    // inside it. Empty when neither gives an open stream.
    static TStreamHandle<IInputStream> OpenPath(const UString& path, IInputStream* (*openFile)(const UString& path));

    uint64_t Serialize(void* buffer, uint64_t size) override;
    void Close() override;
    // An empty member reads as not open.
    bool IsOpen() const override { return m_member->IsOpen() && m_member->GetByteCount() != 0; }
    // The archive's name, '/' and the member path.
    UString GetName() const override { return m_name; }
    uint64_t GetSize() override { return m_member->GetSize(); }
    uint64_t GetPosition() override { return m_member->GetPosition(); }
    bool SeekToStart() override;
    bool SeekToEnd() override;
    bool SeekForward(uint64_t count) override;
    bool SeekBackward(uint64_t count) override;
    bool IsAtEnd() override { return m_member->IsAtEnd(); }

    // Names as stored in the archive, case-sensitive. A member path may
    // separate its directories with '\\' as well.
    const UTable<UString, ZIP_CENTRAL_DIRECTORY_FILE_HEADER>& GetDirectory() const { return m_directory; }

private:
    void ReadCentralDirectory();
    // The entry of the name exactly as stored, or else of the name with its
    // '\\' separators written as '/'.
    const ZIP_CENTRAL_DIRECTORY_FILE_HEADER* FindEntry(const UString& memberPath) const;
    void OpenMember(const UString& memberPath);
    // False, after its warning, when the member cannot be read.
    bool ReadMember(const ZIP_CENTRAL_DIRECTORY_FILE_HEADER& header, const UString& memberPath);
    bool OpenNestedMember(const UString& memberPath);
    // Reads exactly `count` bytes at `offset` of the archive.
    bool ReadAt(uint64_t offset, void* buffer, uint64_t count);
    void WarnArchive(const char* problem);
    void WarnMember(const UString& memberPath, const char* problem);
    void Publish();

    IInputStream* m_archive;
    UString m_archiveName;
    uint64_t m_archiveSize = 0;
    // The member's bytes while it is read; then handed to m_member.
    UArray<unsigned char> m_bytes;
    TStreamHandle<UInputStream_Memory> m_member;
    UString m_name;
    UTable<UString, ZIP_CENTRAL_DIRECTORY_FILE_HEADER> m_directory;
};

} // namespace orlo
