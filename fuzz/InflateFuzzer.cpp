// The deflate decoder over raw bytes. The first four bytes are the size that
// the stream's producer declared (little-endian, taken modulo MAX_DECLARED
// plus one so that one input stays small); the rest is the raw deflate
// stream. The decoder must never produce more than the declared size, and
// the bounded decoding must agree with the unbounded one.

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "FuzzSupport.h"
#include "orlo/ErrorDescription.h"
#include "orlo/Utils/DecompressorPolicy_Deflate.h"

namespace {

constexpr uint32_t MAX_DECLARED = 1u << 20;
constexpr size_t DECLARED_SIZE_BYTES = 4;

bool SameBytes(const orlo::UArray<unsigned char>& left, const orlo::UArray<unsigned char>& right, int32_t count) {
    return count == 0 || memcmp(left.GetData(), right.GetData(), size_t(count)) == 0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    orlo_fuzz::SetUpOnce();
    if (size < DECLARED_SIZE_BYTES)
        return 0;
    const uint32_t declared =
        (uint32_t(data[0]) | uint32_t(data[1]) << 8 | uint32_t(data[2]) << 16 | uint32_t(data[3]) << 24) %
        (MAX_DECLARED + 1);
    const orlo::UString stream = orlo_fuzz::ToText(data + DECLARED_SIZE_BYTES, size - DECLARED_SIZE_BYTES);
    // The stream without the string's terminator.
    orlo::UArray<unsigned char> input;
    if (stream.Length() > 0) {
        input.AddUninitialized(stream.Length());
        memcpy(input.GetData(), stream.GetData(), size_t(stream.Length()));
    }
    try {
        orlo::DecompressorPolicy_Deflate bounded;
        orlo::UArray<unsigned char> limited;
        const bool limitedDone = bounded.Decompress(input, limited, declared);
        FUZZ_CHECK(uint32_t(limited.Num()) <= declared);

        orlo::DecompressorPolicy_Deflate unbounded;
        orlo::UArray<unsigned char> whole;
        const bool wholeDone = unbounded.Decompress(input, whole);
        FUZZ_CHECK(uint64_t(whole.Num()) <= orlo::DecompressorPolicy_Deflate::GetLargestOutput(uint64_t(input.Num())));

        // The limit only cuts the output short: what was produced is the same.
        FUZZ_CHECK(limited.Num() <= whole.Num() && SameBytes(limited, whole, limited.Num()));
        if (limitedDone)
            FUZZ_CHECK(wholeDone && limited.Num() == whole.Num());
        if (wholeDone && uint32_t(whole.Num()) <= declared)
            FUZZ_CHECK(limitedDone && limited.Num() == whole.Num());
    } catch (const orlo::ErrorDescription& error) {
        // Memory that runs out is raised; any other error is a finding.
        FUZZ_CHECK(error.GetType() == orlo::ErrorDescription::TYPE_BAD_ALLOC);
    }
    return 0;
}
