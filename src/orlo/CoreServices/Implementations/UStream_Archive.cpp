#include "orlo/CoreServices/Implementations/UStream_Archive.h"

#include <cstring>

#include "orlo/CoreServices/Implementations/ULogMessage.h"
#include "orlo/CoreServices/Interfaces/ICoreServices.h"
#include "orlo/Utils/DecompressorPolicy_Deflate.h"
#include "orlo/Utils/UCrc32.h"

namespace orlo {

namespace {

// Format notes. A ZIP archive ends with the end of central directory record,
// possibly followed by a comment; the record gives where the central directory
// starts, and the directory holds one header per member, each pointing at the
// member's local header, after which (and after its name and extra field) the
// member's data follows. All numbers are little-endian. Only the fields below
// are read; ZIP64, data descriptors, encryption and multi-disk archives are not
// interpreted.
//
// End of central directory record, 22 bytes:
//   0  signature 50 4B 05 06          10  number of entries (16 bits)
//   16 offset of the central directory (32 bits)
constexpr uint32_t END_RECORD_SIZE = 22;
constexpr uint32_t END_RECORD_ENTRY_COUNT = 10;
constexpr uint32_t END_RECORD_DIRECTORY_OFFSET = 16;
// The end record is followed by a comment of at most this many bytes.
constexpr uint32_t LARGEST_COMMENT = 65535;
// Local file header, 30 bytes:
//   0  signature 50 4B 03 04          26  file name length (16 bits)
//   28 extra field length (16 bits)
constexpr uint32_t LOCAL_HEADER_SIZE = 30;
constexpr uint32_t LOCAL_HEADER_NAME_LENGTH = 26;
constexpr uint32_t LOCAL_HEADER_EXTRA_LENGTH = 28;
// The central directory file header's 46 bytes are laid out in
// ZIP_CENTRAL_DIRECTORY_FILE_HEADER::Parse, field by field.
// The third and fourth signature bytes after "PK" tell the records apart.
constexpr unsigned char SIGNATURE_END_RECORD[2] = {0x05, 0x06};
constexpr unsigned char SIGNATURE_CENTRAL_HEADER[2] = {0x01, 0x02};
constexpr unsigned char SIGNATURE_LOCAL_HEADER[2] = {0x03, 0x04};
constexpr uint16_t METHOD_STORED = 0;
constexpr uint16_t METHOD_DEFLATED = 8;

uint16_t Read16(const unsigned char* bytes) {
    return uint16_t(bytes[0] | bytes[1] << 8);
}

uint32_t Read32(const unsigned char* bytes) {
    return uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 | uint32_t(bytes[3]) << 24;
}

bool HasSignature(const unsigned char* bytes, const unsigned char (&signature)[2]) {
    return bytes[0] == 'P' && bytes[1] == 'K' && bytes[2] == signature[0] && bytes[3] == signature[1];
}

UString Substring(const UString& text, int32_t begin, int32_t end) {
    return UString::FromBytes(text.c_str() + begin, end > begin ? size_t(end - begin) : 0);
}

bool IsSeparator(char c) {
    return c == '/' || c == '\\';
}

// Archives separate directories with '/'; paths on Windows come with '\\'.
UString WithForwardSlashes(const UString& path) {
    UString result(path);
    for (int32_t i = 0; i < result.Length(); ++i)
        if (result[i] == '\\')
            result[i] = '/';
    return result;
}

} // namespace

UStream_Archive::ZIP_CENTRAL_DIRECTORY_FILE_HEADER
UStream_Archive::ZIP_CENTRAL_DIRECTORY_FILE_HEADER::Parse(const unsigned char* bytes) {
    ZIP_CENTRAL_DIRECTORY_FILE_HEADER header;
    header.m_signature = Read32(bytes + 0);
    header.m_versionMadeBy = Read16(bytes + 4);
    header.m_versionNeededToExtract = Read16(bytes + 6);
    header.m_generalPurposeFlags = Read16(bytes + 8);
    header.m_compressionMethod = Read16(bytes + 10);
    header.m_lastModificationTime = Read16(bytes + 12);
    header.m_lastModificationDate = Read16(bytes + 14);
    header.m_crc32 = Read32(bytes + 16);
    header.m_compressedSize = Read32(bytes + 20);
    header.m_uncompressedSize = Read32(bytes + 24);
    header.m_fileNameLength = Read16(bytes + 28);
    header.m_extraFieldLength = Read16(bytes + 30);
    header.m_fileCommentLength = Read16(bytes + 32);
    header.m_diskNumberStart = Read16(bytes + 34);
    header.m_internalAttributes = Read16(bytes + 36);
    header.m_externalAttributes = Read32(bytes + 38);
    header.m_localHeaderOffset = Read32(bytes + 42);
    return header;
}

UStream_Archive::UStream_Archive(IInputStream& archive, const UString& memberPath)
    : m_archive(&archive), m_archiveName(archive.GetName()), m_directory(64) {
    m_name = m_archiveName + "/" + memberPath;
    Publish();
    uint64_t start = archive.GetPosition();
    m_archiveSize = archive.GetSize();
    try {
        ReadCentralDirectory();
        OpenMember(memberPath);
    } catch (const ErrorDescription& error) {
        // Memory that runs out while a member is unpacked is a problem of
        // that file, like damaged data: the stream stays closed.
        if (error.GetType() != ErrorDescription::TYPE_BAD_ALLOC) {
            if (archive.SeekToStart())
                archive.SeekForward(start);
            m_archive = nullptr;
            throw;
        }
        m_bytes.Empty();
        Publish();
        WarnMember(memberPath, "Not enough memory.");
    }
    if (archive.SeekToStart())
        archive.SeekForward(start);
    m_archive = nullptr;
}

TStreamHandle<IInputStream> UStream_Archive::OpenPath(const UString& path,
                                                      IInputStream* (*openFile)(const UString& path)) {
    if (IInputStream* file = openFile(path))
        return TStreamHandle<IInputStream>(file);
    const char* text = path.c_str();
    int32_t split = path.Length();
    for (;;) {
        int32_t separator = split - 1;
        while (separator >= 0 && !IsSeparator(text[separator]))
            --separator;
        if (separator < 0)
            return TStreamHandle<IInputStream>();
        if (IInputStream* file = openFile(Substring(path, 0, separator))) {
            TStreamHandle<IInputStream> archive(file);
            TStreamHandle<IInputStream> member(
                new UStream_Archive(*file, Substring(path, separator + 1, path.Length())));
            // Callers take an empty handle for a file that cannot be opened.
            if (!member->IsOpen())
                return TStreamHandle<IInputStream>();
            return member;
        }
        split = separator;
    }
}

void UStream_Archive::WarnArchive(const char* problem) {
    ULogMessage message(GetWarningChannel(), "Can't handle file \"");
    message += m_archiveName;
    message += "\". ";
    message += problem;
}

void UStream_Archive::WarnMember(const UString& memberPath, const char* problem) {
    ULogMessage message(GetWarningChannel(), "Can't handle file \"");
    message += memberPath;
    message += "\" in archive \"";
    message += m_archiveName;
    message += "\". ";
    message += problem;
}

bool UStream_Archive::ReadAt(uint64_t offset, void* buffer, uint64_t count) {
    if (offset > m_archiveSize || count > m_archiveSize - offset)
        return false;
    if (!m_archive->SeekToStart() || !m_archive->SeekForward(offset))
        return false;
    return count == 0 || m_archive->Serialize(buffer, count) == count;
}

void UStream_Archive::ReadCentralDirectory() {
    // The end record lies within the last 22 + 65535 bytes; it is searched
    // from its last possible start towards the front.
    uint64_t tailLength =
        m_archiveSize < END_RECORD_SIZE + LARGEST_COMMENT ? m_archiveSize : END_RECORD_SIZE + LARGEST_COMMENT;
    uint64_t tailStart = m_archiveSize - tailLength;
    UArray<unsigned char> tail{int32_t(tailLength)};
    int64_t found = -1;
    if (tailLength >= END_RECORD_SIZE && ReadAt(tailStart, tail.GetData(), tailLength)) {
        for (int64_t at = int64_t(tailLength) - END_RECORD_SIZE; at >= 0; --at)
            if (HasSignature(tail.GetData() + at, SIGNATURE_END_RECORD)) {
                found = at;
                break;
            }
    }
    if (found < 0) {
        WarnArchive("No central directory found.");
        return;
    }
    const unsigned char* record = tail.GetData() + found;
    uint64_t recordOffset = tailStart + uint64_t(found);
    uint32_t entryCount = Read16(record + END_RECORD_ENTRY_COUNT);
    uint64_t directoryOffset = Read32(record + END_RECORD_DIRECTORY_OFFSET);
    // The directory lies before its end record.
    if (directoryOffset > recordOffset) {
        WarnArchive("Central directory damaged.");
        return;
    }
    uint64_t directoryLength = recordOffset - directoryOffset;
    if (directoryLength > uint64_t(INT32_MAX)) {
        WarnArchive("Central directory damaged.");
        return;
    }
    UArray<unsigned char> directory{int32_t(directoryLength)};
    if (!ReadAt(directoryOffset, directory.GetData(), directoryLength)) {
        WarnArchive("Central directory damaged.");
        return;
    }

    uint64_t position = 0;
    for (uint32_t entry = 0; entry < entryCount; ++entry) {
        const unsigned char* bytes = directory.GetData() + position;
        if (directoryLength - position < ZIP_CENTRAL_DIRECTORY_FILE_HEADER::SIZE ||
            !HasSignature(bytes, SIGNATURE_CENTRAL_HEADER)) {
            WarnArchive("Central directory damaged.");
            return;
        }
        ZIP_CENTRAL_DIRECTORY_FILE_HEADER header = ZIP_CENTRAL_DIRECTORY_FILE_HEADER::Parse(bytes);
        position += ZIP_CENTRAL_DIRECTORY_FILE_HEADER::SIZE;
        if (directoryLength - position < header.m_fileNameLength) {
            WarnArchive("Central directory damaged.");
            return;
        }
        UString name = UString::FromBytes(directory.GetData() + position, header.m_fileNameLength);
        // A later header of an equal name replaces an earlier one.
        if (ZIP_CENTRAL_DIRECTORY_FILE_HEADER* existing = m_directory.Find(name))
            *existing = header;
        else
            m_directory.Add(name, header);
        position += uint64_t(header.m_fileNameLength) + header.m_extraFieldLength + header.m_fileCommentLength;
        if (position > directoryLength && entry + 1 < entryCount) {
            WarnArchive("Central directory damaged.");
            return;
        }
    }
}

const UStream_Archive::ZIP_CENTRAL_DIRECTORY_FILE_HEADER* UStream_Archive::FindEntry(const UString& memberPath) const {
    if (const ZIP_CENTRAL_DIRECTORY_FILE_HEADER* header = m_directory.Find(memberPath))
        return header;
    return m_directory.Find(WithForwardSlashes(memberPath));
}

void UStream_Archive::OpenMember(const UString& memberPath) {
    if (const ZIP_CENTRAL_DIRECTORY_FILE_HEADER* header = FindEntry(memberPath)) {
        if (!ReadMember(*header, memberPath))
            m_bytes.Empty();
        Publish();
        return;
    }
    if (OpenNestedMember(memberPath))
        return;
    ULogMessage message(GetWarningChannel(), "The file \"");
    message += memberPath;
    message += "\" can't be found inside the archive \"";
    message += m_archiveName;
    message += "\".";
}

bool UStream_Archive::ReadMember(const ZIP_CENTRAL_DIRECTORY_FILE_HEADER& header, const UString& memberPath) {
    uint16_t method = header.m_compressionMethod;
    if (method != METHOD_STORED && method != METHOD_DEFLATED) {
        WarnMember(memberPath, "Unsupported compression method used.");
        return false;
    }
    unsigned char local[LOCAL_HEADER_SIZE];
    if (!ReadAt(header.m_localHeaderOffset, local, LOCAL_HEADER_SIZE) || !HasSignature(local, SIGNATURE_LOCAL_HEADER)) {
        WarnMember(memberPath, "Local file header damaged.");
        return false;
    }
    uint64_t dataOffset = uint64_t(header.m_localHeaderOffset) + LOCAL_HEADER_SIZE +
                          Read16(local + LOCAL_HEADER_NAME_LENGTH) + Read16(local + LOCAL_HEADER_EXTRA_LENGTH);
    uint64_t compressedSize = header.m_compressedSize;
    if (dataOffset > m_archiveSize || compressedSize > m_archiveSize - dataOffset) {
        WarnMember(memberPath, "Member data runs past the end of the archive.");
        return false;
    }
    if (compressedSize > uint64_t(INT32_MAX) || header.m_uncompressedSize > uint32_t(INT32_MAX)) {
        WarnMember(memberPath, "Member too large.");
        return false;
    }

    if (method == METHOD_STORED) {
        if (compressedSize != header.m_uncompressedSize) {
            WarnMember(memberPath, "Uncompressed size mismatch.");
            return false;
        }
        m_bytes = UArray<unsigned char>(int32_t(compressedSize));
        if (!ReadAt(dataOffset, m_bytes.GetData(), compressedSize)) {
            WarnMember(memberPath, "Member data runs past the end of the archive.");
            return false;
        }
    } else {
        UArray<unsigned char> compressed{int32_t(compressedSize)};
        if (!ReadAt(dataOffset, compressed.GetData(), compressedSize)) {
            WarnMember(memberPath, "Member data runs past the end of the archive.");
            return false;
        }
        DecompressorPolicy_Deflate decoder;
        // More output than declared fails inside the decoder; the declared
        // size is reserved only as far as the data can produce it.
        if (!decoder.Decompress(compressed, m_bytes, header.m_uncompressedSize)) {
            UString problem = UString("Compressed data damaged (") +
                              DecompressorPolicy_Deflate::DescribeFailure(decoder.GetFailure()) + ").";
            WarnMember(memberPath, problem.c_str());
            return false;
        }
        if (uint32_t(m_bytes.Num()) != header.m_uncompressedSize) {
            WarnMember(memberPath, "Uncompressed size mismatch.");
            return false;
        }
    }

    if (UCrc32::Compute(m_bytes.GetData(), size_t(m_bytes.Num())) != header.m_crc32) {
        WarnMember(memberPath, "CRC-32 mismatch.");
        return false;
    }
    return true;
}

// A path whose leading part names a member of this archive may reach into
// that member as an archive of its own, the longest such part first.
bool UStream_Archive::OpenNestedMember(const UString& memberPath) {
    const char* text = memberPath.c_str();
    for (int32_t separator = memberPath.Length() - 1; separator > 0; --separator) {
        if (!IsSeparator(text[separator]))
            continue;
        UString prefix = Substring(memberPath, 0, separator);
        if (FindEntry(prefix) == nullptr)
            continue;
        UStream_Archive container(*m_archive, prefix);
        if (!container.IsOpen())
            continue;
        UStream_Archive inner(container, Substring(memberPath, separator + 1, memberPath.Length()));
        if (!inner.IsOpen())
            continue;
        m_member = static_cast<TStreamHandle<UInputStream_Memory>&&>(inner.m_member);
        return true;
    }
    return false;
}

void UStream_Archive::Publish() {
    m_member = TStreamHandle<UInputStream_Memory>(
        new UInputStream_Memory(m_name.c_str(), static_cast<UArray<unsigned char>&&>(m_bytes)));
    m_bytes.Empty();
}

uint64_t UStream_Archive::Serialize(void* buffer, uint64_t size) {
    uint64_t count = m_member->Serialize(buffer, size);
    Succeeded(!m_member->HasFailed());
    return count;
}

void UStream_Archive::Close() {
    m_member->Close();
}

bool UStream_Archive::SeekToStart() {
    return Succeeded(m_member->SeekToStart());
}

bool UStream_Archive::SeekToEnd() {
    return Succeeded(m_member->SeekToEnd());
}

bool UStream_Archive::SeekForward(uint64_t count) {
    return Succeeded(m_member->SeekForward(count));
}

bool UStream_Archive::SeekBackward(uint64_t count) {
    return Succeeded(m_member->SeekBackward(count));
}

} // namespace orlo
