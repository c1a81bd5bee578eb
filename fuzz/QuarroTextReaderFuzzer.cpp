// The bytes as a .qro file, read as the importer reads one: the whole stream
// through the text reader into bone and mesh records.

#include <cstddef>
#include <cstdint>

#include "BoneData.h"
#include "FuzzSupport.h"
#include "MeshData.h"
#include "QuarroTextReader.h"
#include "orlo/CoreServices/Implementations/UInputStream_Memory.h"
#include "orlo/ErrorDescription.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    orlo_fuzz::SetUpOnce();
    orlo::UInputStream_Memory stream("fuzz.qro", data, size);
    orlo::UArray<BoneData> bones;
    orlo::UArray<MeshData> meshes;
    try {
        QuarroTextReader::Rejection rejection = QuarroTextReader::REJECTION_NONE;
        const bool accepted = QuarroTextReader::Read(&stream, bones, meshes, orlo::GetWarningChannel(), &rejection);
        if (accepted) {
            FUZZ_CHECK(rejection == QuarroTextReader::REJECTION_NONE);
            FUZZ_CHECK(uint32_t(bones.Num()) < QuarroTextReader::MAX_COUNT);
            FUZZ_CHECK(uint32_t(meshes.Num()) < QuarroTextReader::MAX_COUNT);
        } else {
            // Every rejection names the rule that made it.
            FUZZ_CHECK(rejection > QuarroTextReader::REJECTION_NONE &&
                       rejection <= QuarroTextReader::REJECTION_TEXTURE_INDEX_SET_NUMBER);
            // A rejected file leaves nothing behind for the import to build.
            FUZZ_CHECK(bones.Num() == 0 && meshes.Num() == 0);
        }
    } catch (const orlo::ErrorDescription&) {
        // The tokenizer's errors (a search that gives up) reach the importer's
        // caller as errors: expected for damaged text.
    }
    return 0;
}
