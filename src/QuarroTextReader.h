#pragma once

#include "BoneData.h"
#include "MeshData.h"
#include "orlo/CoreServices/Interfaces/IInputStream.h"
#include "orlo/CoreServices/Interfaces/ILog.h"
#include "orlo/Utils/UArray.h"
#include "orlo/Utils/UBaseString.h"

// Reads the skinned-mesh text format into bone and mesh records. Lenient about
// order and unknown words (skipped one token at a time, at every level),
// strict about the version, the two counts (below 5000), the indices of bone
// and mesh blocks and the numbering of coordinate sets. Keywords match a
// token's inner text, so a quoted keyword counts as well.
//
// Material names and material indices are not read back.
class QuarroTextReader {
public:
    static constexpr unsigned int MAX_COUNT = 5000;

    // Why a file was rejected: each rule of the reader has its own reason.
    enum Rejection {
        REJECTION_NONE,
        REJECTION_ZERO_BYTE,
        REJECTION_UNPAIRED_QUOTE,
        REJECTION_UNOPENED_BRACE,
        REJECTION_UNCLOSED_BRACE,
        REJECTION_VERSION,
        REJECTION_BONE_COUNT,
        REJECTION_MESH_COUNT,
        REJECTION_BONE_INDEX,
        REJECTION_MESH_INDEX,
        REJECTION_TEXTURE_SET_NUMBER,
        REJECTION_TEXTURE_INDEX_SET_NUMBER,
    };
    // One line that says what the rule found, without a final full stop.
    static const char* DescribeRejection(Rejection rejection);

    // Reads the rest of `stream`. A file holding a zero byte, an unpaired
    // quote or unpaired braces is rejected before anything is read from it. A
    // rejected file is reported on `warningChannel` as "Can't handle file
    // "<stream name>". Some data is missing or corrupt.", followed by a
    // message of its own, "Reason: " and the rejection's description; both
    // arrays are left empty. The result says whether the file was accepted;
    // `rejection`, when given, why it was not (REJECTION_NONE when it was).
    // Errors of the tokenizer pass through.
    static bool Read(orlo::IInputStream* stream, orlo::UArray<BoneData>& bones, orlo::UArray<MeshData>& meshes,
                     orlo::ILog* warningChannel, Rejection* rejection = nullptr);

    // The content of a bone block, without its braces; always succeeds.
    static void ReadBoneBlock(const orlo::UBaseString<unsigned char>& content, BoneData& bone);

    // The content of a mesh block, without its braces; fails on a coordinate
    // or index set that is not "set" with its running number.
    static bool ReadMeshBlock(const orlo::UBaseString<unsigned char>& content, MeshData& mesh);

    // The same over `length` bytes at `content` (a block's content inside the
    // file's text, read in place). A number at the very end is read as far as
    // it goes: the byte after the span must be one that ends a number, as the
    // closing brace of a block does.
    static void ReadBoneBlock(const unsigned char* content, int32_t length, BoneData& bone);
    static bool ReadMeshBlock(const unsigned char* content, int32_t length, MeshData& mesh);
};
