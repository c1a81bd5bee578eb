#include "QuarroTextReader.h"

#include "orlo/CoreServices/Implementations/ULogMessage.h"
#include "orlo/Utils/TextParserPolicy_BlockSyntax.h"
#include "orlo/Utils/UBlockScanner.h"
#include "orlo/Utils/UNumberText.h"
#include "orlo/Utils/UTextParser.h"

using orlo::UArray;
using orlo::UBaseString;

namespace {

using BlockParser = orlo::UTextParser<orlo::TextParserPolicy_ParseString, orlo::TextParserPolicy_BlockSyntax>;
using FileParser =
    orlo::UTextParser<orlo::TextParserPolicy_ParseStream<unsigned char>, orlo::TextParserPolicy_BlockSyntax>;
using String = UBaseString<unsigned char>;

// A block's content, read in place: the tokenizer of a block scans this span
// of the file's text, no copy of it.
struct Span {
    const unsigned char* begin = nullptr;
    int32_t length = 0;
};

// Counts and indices are compared as unsigned, so a negative one fails too.
bool IsBelow(int value, unsigned int limit) {
    return static_cast<unsigned int>(value) < limit;
}

// The numbers of a block, one after the other, as the tokenizer hands them
// out: read from the first byte of each token, 0 past the last. A block of
// words only (every block the writer makes) is read straight from its text,
// with no token table; any other goes through the tokenizer, which the number
// blocks of a mesh share, so that its table is allocated once.
class BlockNumbers {
public:
    explicit BlockNumbers(BlockParser& parser) : m_parser(parser), m_words(nullptr, 0) {}

    // Starts on a block; returns how many numbers it holds.
    int32_t Start(Span block) {
        const int32_t words = orlo::UBlockScanner::CountWords(block.begin, block.length);
        m_byWords = words >= 0;
        if (!m_byWords) {
            m_parser.Rescan(block.begin, block.length);
            return m_parser.GetTokensLeft();
        }
        m_words = orlo::UBlockScanner::WordCursor(block.begin, block.length);
        m_next = m_words.Next();
        return words;
    }

    bool HasNumber() const { return m_byWords ? m_next != nullptr : m_parser.HasToken(); }

    // A word is followed by white space, or ends the block's inner text, which
    // a closing brace follows: the conversion stops there, as the tokenizer's.
    int ReadInt() {
        int value = 0;
        if (!m_byWords)
            m_parser.ReadInt(value);
        else if (m_next != nullptr)
            value = orlo::UNumberText::ParseInt(Advance());
        return value;
    }

    float ReadFloat() {
        float value = 0.0f;
        if (!m_byWords)
            m_parser.ReadFloat(value);
        else if (m_next != nullptr)
            value = static_cast<float>(orlo::UNumberText::ParseDouble(Advance()));
        return value;
    }

private:
    const char* Advance() {
        const unsigned char* word = m_next;
        m_next = m_words.Next();
        return reinterpret_cast<const char*>(word);
    }

    BlockParser& m_parser;
    bool m_byWords = false;
    orlo::UBlockScanner::WordCursor m_words;
    const unsigned char* m_next = nullptr;
};

void ReadVector(BlockNumbers& numbers, orlo::TVector2<float>& vector) {
    vector.x = numbers.ReadFloat();
    vector.y = numbers.ReadFloat();
}

void ReadVector(BlockNumbers& numbers, orlo::TVector3<float>& vector) {
    vector.x = numbers.ReadFloat();
    vector.y = numbers.ReadFloat();
    vector.z = numbers.ReadFloat();
}

// Appends one vector per group of floats, the records sized from the number
// count first; a short last group reads its missing components as 0.
template <class TVector>
void ReadVectors(BlockNumbers& numbers, Span block, UArray<TVector>& vectors) {
    constexpr int32_t COMPONENTS = int32_t(sizeof(TVector) / sizeof(float));
    const int32_t count = numbers.Start(block);
    vectors.Reserve(vectors.Num() + (count + COMPONENTS - 1) / COMPONENTS);
    while (numbers.HasNumber()) {
        TVector vector;
        ReadVector(numbers, vector);
        vectors.Add(vector);
    }
}

void ReadInts(BlockNumbers& numbers, Span block, UArray<unsigned int>& values) {
    values.Reserve(values.Num() + numbers.Start(block));
    while (numbers.HasNumber())
        values.Add(static_cast<unsigned int>(numbers.ReadInt()));
}

void ReadWeights(BlockNumbers& numbers, Span block, UArray<MeshData::Weight>& weights) {
    weights.Reserve(weights.Num() + (numbers.Start(block) + 1) / 2);
    while (numbers.HasNumber()) {
        MeshData::Weight weight{0, 0.0f};
        weight.boneIndex = numbers.ReadInt();
        weight.weight = numbers.ReadFloat();
        weights.Add(weight);
    }
}

void ReadSet(BlockNumbers& numbers, Span block, UArray<orlo::TVector2<float>>& set) {
    ReadVectors(numbers, block, set);
}

void ReadSet(BlockNumbers& numbers, Span block, UArray<unsigned int>& set) {
    ReadInts(numbers, block, set);
}

// A block of "set <n> { ... }" entries numbered 0, 1, ...; the set list starts
// afresh. False on an entry that is not the next set.
template <class TSet>
// Whether the sets are numbered 0, 1, 2 ... under the keyword "set".
bool ReadSets(BlockNumbers& numbers, Span block, UArray<TSet>& sets) {
    sets.Empty();
    sets.Reserve(16);
    BlockParser parser(block.begin, block.length);
    String keyword;
    Span content;
    while (parser.HasToken()) {
        int number = -1;
        parser.ReadString(keyword).ReadInt(number);
        if (!(keyword == "set") || number != sets.Num())
            return false;
        parser.ReadSpan(content.begin, content.length);
        int32_t index = sets.Add(TSet());
        ReadSet(numbers, content, sets[index]);
    }
    return true;
}

// None when the text holds no zero byte, every quote has its partner and
// every brace outside quotes its own. A text file never holds a zero byte
// (reading a block as a string would end it there and drop the rest of the
// block without a word), and the writer never makes anything else: a file cut
// short or hand-damaged would otherwise be read with whatever the tokenizer
// makes of its unpaired braces, and accepted with data missing.
QuarroTextReader::Rejection CheckWholeText(const String& text) {
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(text.c_str());
    const int32_t length = text.Length();
    int64_t depth = 0;
    bool quoted = false;
    for (int32_t at = orlo::UBlockScanner::FindQuoteBraceOrZero(bytes, 0, length); at < length;
         at = orlo::UBlockScanner::FindQuoteBraceOrZero(bytes, at + 1, length)) {
        const unsigned char c = bytes[at];
        if (c == 0)
            return QuarroTextReader::REJECTION_ZERO_BYTE;
        if (c == '"')
            quoted = !quoted;
        else if (quoted)
            continue;
        else if (c == '{')
            ++depth;
        else if (--depth < 0)
            return QuarroTextReader::REJECTION_UNOPENED_BRACE;
    }
    if (quoted)
        return QuarroTextReader::REJECTION_UNPAIRED_QUOTE;
    return depth == 0 ? QuarroTextReader::REJECTION_NONE : QuarroTextReader::REJECTION_UNCLOSED_BRACE;
}

// The mesh block's reading, with the set rule that failed if one did.
QuarroTextReader::Rejection ReadMeshContent(const unsigned char* content, int32_t length, MeshData& mesh) {
    // The name is kept until a name entry replaces it; material indices are
    // never read and keep what they hold.
    mesh.vertices.Empty();
    mesh.normals.Empty();
    mesh.textureCoordinates.Empty();
    mesh.vertexWeightCounts.Empty();
    mesh.weights.Empty();
    mesh.polygonVertexCounts.Empty();
    mesh.polygonVertexIndices.Empty();
    mesh.polygonNormalIndices.Empty();
    mesh.polygonTexCoordIndices.Empty();

    BlockParser parser(content, length);
    BlockParser tokens(content, 0);
    BlockNumbers numbers(tokens);
    String keyword;
    Span block;
    while (parser.HasToken()) {
        parser.ReadString(keyword);
        if (keyword == "name") {
            parser.ReadString(mesh.name);
        } else if (keyword == "vertices") {
            parser.ReadSpan(block.begin, block.length);
            ReadVectors(numbers, block, mesh.vertices);
        } else if (keyword == "normals") {
            parser.ReadSpan(block.begin, block.length);
            ReadVectors(numbers, block, mesh.normals);
        } else if (keyword == "textureCoordinates") {
            parser.ReadSpan(block.begin, block.length);
            if (!ReadSets(numbers, block, mesh.textureCoordinates))
                return QuarroTextReader::REJECTION_TEXTURE_SET_NUMBER;
        } else if (keyword == "polygonVertexCounts") {
            parser.ReadSpan(block.begin, block.length);
            ReadInts(numbers, block, mesh.polygonVertexCounts);
        } else if (keyword == "polygonVertexIndices") {
            parser.ReadSpan(block.begin, block.length);
            ReadInts(numbers, block, mesh.polygonVertexIndices);
        } else if (keyword == "polygonNormalIndices") {
            parser.ReadSpan(block.begin, block.length);
            ReadInts(numbers, block, mesh.polygonNormalIndices);
        } else if (keyword == "polygonTexCoordIndices") {
            parser.ReadSpan(block.begin, block.length);
            if (!ReadSets(numbers, block, mesh.polygonTexCoordIndices))
                return QuarroTextReader::REJECTION_TEXTURE_INDEX_SET_NUMBER;
        } else if (keyword == "vertexWeightCounts") {
            parser.ReadSpan(block.begin, block.length);
            ReadInts(numbers, block, mesh.vertexWeightCounts);
        } else if (keyword == "weights") {
            parser.ReadSpan(block.begin, block.length);
            ReadWeights(numbers, block, mesh.weights);
        }
    }
    return QuarroTextReader::REJECTION_NONE;
}

} // namespace

const char* QuarroTextReader::DescribeRejection(Rejection rejection) {
    switch (rejection) {
    case REJECTION_NONE:
        return "the file was accepted";
    case REJECTION_ZERO_BYTE:
        return "the file holds a zero byte, which no text file holds";
    case REJECTION_UNPAIRED_QUOTE:
        return "a quote has no closing partner";
    case REJECTION_UNOPENED_BRACE:
        return "a closing brace has no opening brace before it";
    case REJECTION_UNCLOSED_BRACE:
        return "an opening brace is never closed";
    case REJECTION_VERSION:
        return "the version is not 1";
    case REJECTION_BONE_COUNT:
        return "numBones is not a number from 0 to 4999";
    case REJECTION_MESH_COUNT:
        return "numMeshes is not a number from 0 to 4999";
    case REJECTION_BONE_INDEX:
        return "a bone block's index is not below numBones";
    case REJECTION_MESH_INDEX:
        return "a mesh block's index is not below numMeshes";
    case REJECTION_TEXTURE_SET_NUMBER:
        return "a set of textureCoordinates is not \"set\" with its running number";
    case REJECTION_TEXTURE_INDEX_SET_NUMBER:
        return "a set of polygonTexCoordIndices is not \"set\" with its running number";
    }
    return "an unknown rejection";
}

bool QuarroTextReader::Read(orlo::IInputStream* stream, UArray<BoneData>& bones, UArray<MeshData>& meshes,
                            orlo::ILog* warningChannel, Rejection* rejectionOut) {
    FileParser parser(stream);
    String keyword;
    String version;
    Span content;
    Rejection rejection = CheckWholeText(parser.GetText());
    while (rejection == REJECTION_NONE && parser.HasToken()) {
        parser.ReadString(keyword);
        if (keyword == "version") {
            if (parser.PeekString() == "1")
                parser.ReadString(version);
            else
                rejection = REJECTION_VERSION;
        } else if (keyword == "numBones" || keyword == "numMeshes") {
            int count = 0;
            parser.ReadInt(count);
            if (!IsBelow(count, MAX_COUNT)) {
                rejection = keyword == "numBones" ? REJECTION_BONE_COUNT : REJECTION_MESH_COUNT;
                break;
            }
            if (keyword == "numBones") {
                bones.Empty();
                bones.Reserve(count);
                for (int i = 0; i < count; ++i)
                    bones.Add(BoneData());
            } else {
                meshes.Empty();
                meshes.Reserve(count);
                for (int i = 0; i < count; ++i)
                    meshes.Add(MeshData());
            }
        } else if (keyword == "bone") {
            int index = -1;
            parser.ReadInt(index);
            if (IsBelow(index, static_cast<unsigned int>(bones.Num()))) {
                parser.ReadSpan(content.begin, content.length);
                ReadBoneBlock(content.begin, content.length, bones[index]);
            } else {
                rejection = REJECTION_BONE_INDEX;
            }
        } else if (keyword == "mesh") {
            int index = -1;
            parser.ReadInt(index);
            if (IsBelow(index, static_cast<unsigned int>(meshes.Num()))) {
                parser.ReadSpan(content.begin, content.length);
                rejection = ReadMeshContent(content.begin, content.length, meshes[index]);
            } else {
                rejection = REJECTION_MESH_INDEX;
            }
        }
        // Anything else is skipped, this one token only.
    }
    if (rejectionOut != nullptr)
        *rejectionOut = rejection;
    if (rejection == REJECTION_NONE)
        return true;
    // Nothing half-read is handed on.
    bones.Empty();
    meshes.Empty();
    {
        orlo::ULogMessage message(warningChannel, "Can't handle file \"");
        message += stream->GetName();
        message += "\". Some data is missing or corrupt.";
    }
    orlo::ULogMessage reason(warningChannel, "Reason: ");
    reason += DescribeRejection(rejection);
    reason += ".";
    return false;
}

void QuarroTextReader::ReadBoneBlock(const String& content, BoneData& bone) {
    ReadBoneBlock(reinterpret_cast<const unsigned char*>(content.c_str()), content.Length(), bone);
}

void QuarroTextReader::ReadBoneBlock(const unsigned char* content, int32_t length, BoneData& bone) {
    BlockParser parser(content, length);
    String keyword;
    while (parser.HasToken()) {
        parser.ReadString(keyword);
        if (keyword == "name") {
            parser.ReadString(bone.name);
        } else if (keyword == "parent") {
            parser.ReadString(bone.parent);
        } else if (keyword == "invBaseMatrix") {
            for (int row = 0; row < 4; ++row)
                parser.ReadFloats(bone.invBaseMatrix.m[row]);
        }
    }
}

bool QuarroTextReader::ReadMeshBlock(const String& content, MeshData& mesh) {
    return ReadMeshBlock(reinterpret_cast<const unsigned char*>(content.c_str()), content.Length(), mesh);
}

bool QuarroTextReader::ReadMeshBlock(const unsigned char* content, int32_t length, MeshData& mesh) {
    return ReadMeshContent(content, length, mesh) == REJECTION_NONE;
}
