// The bytes as a ZIP archive opened the way the file systems open a path that
// reaches into one (UStream_Archive::OpenPath, with the archive file served
// from memory): every member in its central directory is opened and read
// whole, and so is every member of a member that is itself an archive
// (a nested path), plus a path below each member that names nothing.

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "FuzzSupport.h"
#include "orlo/CoreServices/Implementations/UInputStream_Memory.h"
#include "orlo/CoreServices/Implementations/UStream_Archive.h"
#include "orlo/CoreServices/Interfaces/TStreamHandle.h"
#include "orlo/ErrorDescription.h"
#include "orlo/Utils/UArray.h"

namespace {

// Opens per input, so that a directory of many names stays cheap.
constexpr int MAX_OPENS = 64;
constexpr char ARCHIVE_NAME[] = "fuzz.zip";

const uint8_t* g_archive = nullptr;
size_t g_archiveSize = 0;

// The one file that exists: the archive.
orlo::IInputStream* OpenFile(const orlo::UString& path) {
    if (!(path == ARCHIVE_NAME))
        return nullptr;
    return new orlo::UInputStream_Memory(ARCHIVE_NAME, g_archive, g_archiveSize);
}

// The names in the central directory of `bytes`.
orlo::UArray<orlo::UString> ListMembers(const unsigned char* bytes, uint64_t size) {
    orlo::UInputStream_Memory archive("listed.zip", bytes, size);
    orlo::UStream_Archive directory(archive, "");
    orlo::UArray<orlo::UString> names;
    for (int32_t i = 0; i < directory.GetDirectory().GetNodes().Num(); ++i)
        names.Add(directory.GetDirectory().GetNodes()[i].key);
    return names;
}

// Opens `path` as the file system would and reads it whole; the bytes read
// are exactly the size the stream gives.
bool ReadPath(const orlo::UString& path, orlo::UArray<unsigned char>& bytes) {
    bytes.Empty();
    orlo::TStreamHandle<orlo::IInputStream> stream = orlo::UStream_Archive::OpenPath(path, &OpenFile);
    if (!stream)
        return false;
    FUZZ_CHECK(stream->IsOpen());
    const uint64_t size = stream->GetSize();
    unsigned char block[4096];
    uint64_t count;
    while ((count = stream->Serialize(block, sizeof(block))) > 0) {
        FUZZ_CHECK(count <= sizeof(block));
        const int32_t at = bytes.AddUninitialized(int32_t(count));
        memcpy(bytes.GetData() + at, block, size_t(count));
        FUZZ_CHECK(uint64_t(bytes.Num()) <= size);
    }
    FUZZ_CHECK(uint64_t(bytes.Num()) == size);
    FUZZ_CHECK(stream->IsAtEnd());
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    orlo_fuzz::SetUpOnce();
    g_archive = data;
    g_archiveSize = size;
    try {
        int opens = 0;
        const orlo::UString root = orlo::UString(ARCHIVE_NAME) + "/";
        const orlo::UArray<orlo::UString> members = ListMembers(data, size);
        orlo::UArray<unsigned char> bytes;
        for (int32_t i = 0; i < members.Num() && opens < MAX_OPENS; ++i) {
            const orlo::UString path = root + members[i];
            ++opens;
            if (!ReadPath(path, bytes) || bytes.Num() == 0)
                continue;
            // A path below a member that the member does not hold.
            orlo::UArray<unsigned char> none;
            ++opens;
            ReadPath(path + "/-", none);
            // The member as an archive of its own: its members by nested path.
            const orlo::UArray<orlo::UString> inner = ListMembers(bytes.GetData(), uint64_t(bytes.Num()));
            orlo::UArray<unsigned char> innerBytes;
            for (int32_t j = 0; j < inner.Num() && opens < MAX_OPENS; ++j) {
                ++opens;
                ReadPath(path + "/" + inner[j], innerBytes);
            }
        }
    } catch (const orlo::ErrorDescription& error) {
        // Damaged archives are warnings and closed streams; only memory that
        // runs out may be raised.
        FUZZ_CHECK(error.GetType() == orlo::ErrorDescription::TYPE_BAD_ALLOC);
    }
    g_archive = nullptr;
    g_archiveSize = 0;
    return 0;
}
