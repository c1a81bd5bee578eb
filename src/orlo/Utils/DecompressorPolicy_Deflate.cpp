#include "orlo/Utils/DecompressorPolicy_Deflate.h"

#include <cstring>

#include "orlo/CoreServices/Interfaces/ICoreServices.h"
#include "orlo/CoreServices/Interfaces/Memory.h"

namespace orlo {

namespace {

struct CodeRange {
    uint32_t extraBits;
    uint32_t base;
    uint32_t largest;
};

// Literal/length symbols 257..285.
const CodeRange kLengths[29] = {
    {0, 3, 3},     {0, 4, 4},     {0, 5, 5},     {0, 6, 6},     {0, 7, 7},     {0, 8, 8},   {0, 9, 9},    {0, 10, 10},
    {1, 11, 12},   {1, 13, 14},   {1, 15, 16},   {1, 17, 18},   {2, 19, 22},   {2, 23, 26}, {2, 27, 30},  {2, 31, 34},
    {3, 35, 42},   {3, 43, 50},   {3, 51, 58},   {3, 59, 66},   {4, 67, 82},   {4, 83, 98}, {4, 99, 114}, {4, 115, 130},
    {5, 131, 162}, {5, 163, 194}, {5, 195, 226}, {5, 227, 257}, {0, 258, 258},
};

// Distance codes 0..29.
const CodeRange kDistances[30] = {
    {0, 1, 1},        {0, 2, 2},        {0, 3, 3},         {0, 4, 4},          {1, 5, 6},          {1, 7, 8},
    {2, 9, 12},       {2, 13, 16},      {3, 17, 24},       {3, 25, 32},        {4, 33, 48},        {4, 49, 64},
    {5, 65, 96},      {5, 97, 128},     {6, 129, 192},     {6, 193, 256},      {7, 257, 384},      {7, 385, 512},
    {8, 513, 768},    {8, 769, 1024},   {9, 1025, 1536},   {9, 1537, 2048},    {10, 2049, 3072},   {10, 3073, 4096},
    {11, 4097, 6144}, {11, 6145, 8192}, {12, 8193, 12288}, {12, 12289, 16384}, {13, 16385, 24576}, {13, 24577, 32768},
};

// The order in which the code-length code's lengths arrive.
const uint8_t kCodeLengthOrder[19] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};

constexpr int END_OF_BLOCK = 256;
constexpr int MAX_LITERAL_SYMBOLS = 288;
constexpr int MAX_DISTANCE_SYMBOLS = 32;

IMemoryAllocator* SymbolAllocator() {
    ICoreServices* services = GetCoreServices();
    return services != nullptr ? services->GetAllocator() : nullptr;
}

} // namespace

DecompressorPolicy_Deflate::DecompressorPolicy_Deflate() {
    memset(&m_literalTable, 0, sizeof(m_literalTable));
    memset(&m_distanceTable, 0, sizeof(m_distanceTable));
}

DecompressorPolicy_Deflate::~DecompressorPolicy_Deflate() {
    ReleaseTable(m_literalTable);
    ReleaseTable(m_distanceTable);
}

bool DecompressorPolicy_Deflate::Decompress(const UArray<unsigned char>& input, UArray<unsigned char>& output) {
    return Run(input, output, 3 * uint64_t(input.Num()), uint64_t(INT32_MAX));
}

bool DecompressorPolicy_Deflate::Decompress(const UArray<unsigned char>& input, UArray<unsigned char>& output,
                                            uint32_t outputLimit) {
    // A small archive member may declare a huge size: reserving it up front
    // would exhaust a 32-bit process before the data shows it is a lie.
    uint64_t initial = INITIAL_GROWTH * uint64_t(input.Num());
    return Run(input, output, outputLimit < initial ? outputLimit : initial, outputLimit);
}

const char* DecompressorPolicy_Deflate::DescribeFailure(Failure failure) {
    switch (failure) {
    case FAILURE_NONE:
        return "no failure";
    case FAILURE_INPUT_ENDED:
        return "the data ends before the last block does";
    case FAILURE_RESERVED_BLOCK_TYPE:
        return "a block of the reserved type 3";
    case FAILURE_STORED_LENGTH_COMPLEMENT:
        return "a stored block whose length and its complement disagree";
    case FAILURE_STORED_PAST_INPUT:
        return "a stored block longer than the data left";
    case FAILURE_CODE_MATCHES_NO_SYMBOL:
        return "a code that matches no symbol within 15 bits";
    case FAILURE_LENGTH_SYMBOL_OUT_OF_RANGE:
        return "a length symbol of 286 or 287";
    case FAILURE_DISTANCE_CODE_OUT_OF_RANGE:
        return "a distance code of 30 or 31";
    case FAILURE_DISTANCE_BEFORE_START:
        return "a distance reaching before the start of the output";
    case FAILURE_REPEAT_WITHOUT_PREVIOUS_LENGTH:
        return "a repeat of the previous code length with none before it";
    case FAILURE_CODE_LENGTHS_PAST_COUNT:
        return "code lengths running past the number the block header gives";
    case FAILURE_CODE_LENGTHS_OVERSUBSCRIBED:
        return "code lengths that ask for more codes than exist";
    case FAILURE_OUTPUT_PAST_LIMIT:
        return "more output than the declared size";
    case FAILURE_NO_MEMORY_FOR_TABLES:
        return "no memory for the code tables";
    }
    return "unknown failure";
}

bool DecompressorPolicy_Deflate::Fail(Failure failure) {
    m_failure = failure;
    return false;
}

bool DecompressorPolicy_Deflate::Run(const UArray<unsigned char>& input, UArray<unsigned char>& output,
                                     uint64_t reservation, uint64_t outputLimit) {
    output.Empty();
    if (outputLimit > uint64_t(INT32_MAX))
        outputLimit = uint64_t(INT32_MAX);
    if (reservation > outputLimit)
        reservation = outputLimit;
    output.Reserve(int32_t(reservation));

    m_input = input.GetData();
    m_inputEnd = m_input + input.Num();
    m_bitBuffer = 0;
    m_bitCount = 0;
    m_failure = FAILURE_NONE;
    m_output = &output;
    m_outputLimit = outputLimit;

    for (;;) {
        uint32_t final;
        uint32_t type;
        if (!ReadBit(final) || !ReadBits(2, type))
            return false;
        bool decoded;
        switch (type) {
        case 0:
            decoded = DecodeStoredBlock();
            break;
        case 1:
            decoded = DecodeCompressedBlock(true);
            break;
        case 2:
            decoded = ReadDynamicTables() && DecodeCompressedBlock(false);
            break;
        default:
            return Fail(FAILURE_RESERVED_BLOCK_TYPE);
        }
        if (!decoded)
            return false;
        if (final)
            return true;
    }
}

void DecompressorPolicy_Deflate::Refill() {
    while (m_bitCount <= 56 && m_input != m_inputEnd) {
        m_bitBuffer |= uint64_t(*m_input++) << m_bitCount;
        m_bitCount += 8;
    }
}

bool DecompressorPolicy_Deflate::ReadBit(uint32_t& bit) {
    return ReadBits(1, bit);
}

bool DecompressorPolicy_Deflate::ReadBits(int count, uint32_t& value) {
    if (m_bitCount < count) {
        Refill();
        if (m_bitCount < count)
            return Fail(FAILURE_INPUT_ENDED);
    }
    value = uint32_t(m_bitBuffer & ((uint64_t(1) << count) - 1));
    m_bitBuffer >>= count;
    m_bitCount -= count;
    return true;
}

void DecompressorPolicy_Deflate::AlignToByte() {
    m_input -= m_bitCount / 8;
    m_bitBuffer = 0;
    m_bitCount = 0;
}

bool DecompressorPolicy_Deflate::DecodeStoredBlock() {
    AlignToByte();
    if (m_inputEnd - m_input < 4)
        return Fail(FAILURE_INPUT_ENDED);
    uint32_t length = uint32_t(m_input[0]) | uint32_t(m_input[1]) << 8;
    uint32_t complement = uint32_t(m_input[2]) | uint32_t(m_input[3]) << 8;
    m_input += 4;
    // The length is stored twice, the second time inverted; a stream where
    // they disagree is damaged.
    if ((length ^ 0xFFFFu) != complement)
        return Fail(FAILURE_STORED_LENGTH_COMPLEMENT);
    if (uint64_t(m_inputEnd - m_input) < length)
        return Fail(FAILURE_STORED_PAST_INPUT);
    if (!MakeRoom(length))
        return false;
    if (length > 0) {
        int32_t at = m_output->AddUninitialized(int32_t(length));
        memcpy(m_output->GetData() + at, m_input, length);
        m_input += length;
    }
    return true;
}

int32_t DecompressorPolicy_Deflate::GetNextFixedHuffmanCode() {
    if (m_bitCount < 9)
        Refill();
    uint64_t bits = m_bitBuffer;
    uint32_t code = 0;
    for (int length = 1; length <= 9; ++length) {
        if (length > m_bitCount) {
            Fail(FAILURE_INPUT_ENDED);
            return -1;
        }
        code = (code << 1) | uint32_t(bits & 1);
        bits >>= 1;
        int32_t symbol = -1;
        if (length == 7 && code <= 23)
            symbol = int32_t(256 + code);
        else if (length == 8 && code >= 48 && code <= 191)
            symbol = int32_t(code - 48);
        else if (length == 8 && code >= 192 && code <= 199)
            symbol = int32_t(280 + code - 192);
        else if (length == 9)
            // Nine bits: 400..511, the only patterns left.
            symbol = int32_t(144 + code - 400);
        if (symbol >= 0) {
            m_bitBuffer = bits;
            m_bitCount -= length;
            return symbol;
        }
    }
    return -1;
}

int32_t DecompressorPolicy_Deflate::DecodeFixedDistance() {
    uint32_t bits;
    if (!ReadBits(5, bits))
        return -1;
    // Huffman codes arrive most significant bit first.
    uint32_t code = 0;
    for (int i = 0; i < 5; ++i, bits >>= 1)
        code = (code << 1) | (bits & 1);
    return int32_t(code);
}

int32_t DecompressorPolicy_Deflate::DecodeSymbol(const DynamicTable& table) {
    if (m_bitCount < MAX_CODE_LENGTH)
        Refill();
    uint64_t bits = m_bitBuffer;
    uint32_t code = 0;
    for (int length = 1; length <= MAX_CODE_LENGTH; ++length) {
        if (length > m_bitCount) {
            Fail(FAILURE_INPUT_ENDED);
            return -1;
        }
        code = (code << 1) | uint32_t(bits & 1);
        bits >>= 1;
        const CodeLengthEntry& entry = table.entries[length];
        if (entry.count != 0 && code >= entry.firstCode && code <= entry.lastCode) {
            m_bitBuffer = bits;
            m_bitCount -= length;
            return int32_t(entry.symbols[code - entry.firstCode]);
        }
    }
    Fail(FAILURE_CODE_MATCHES_NO_SYMBOL);
    return -1;
}

bool DecompressorPolicy_Deflate::DecodeCompressedBlock(bool fixed) {
    for (;;) {
        int32_t symbol = fixed ? GetNextFixedHuffmanCode() : DecodeSymbol(m_literalTable);
        if (symbol < 0)
            return false;
        if (symbol < END_OF_BLOCK) {
            if (!AppendLiteral((unsigned char)symbol))
                return false;
            continue;
        }
        if (symbol == END_OF_BLOCK)
            return true;
        if (symbol > 285)
            return Fail(FAILURE_LENGTH_SYMBOL_OUT_OF_RANGE);
        const CodeRange& lengthCode = kLengths[symbol - 257];
        uint32_t extra;
        if (!ReadBits(int(lengthCode.extraBits), extra))
            return false;
        uint32_t length = lengthCode.base + extra;

        int32_t distanceSymbol = fixed ? DecodeFixedDistance() : DecodeSymbol(m_distanceTable);
        if (distanceSymbol < 0)
            return false;
        if (distanceSymbol > 29)
            return Fail(FAILURE_DISTANCE_CODE_OUT_OF_RANGE);
        const CodeRange& distanceCode = kDistances[distanceSymbol];
        if (!ReadBits(int(distanceCode.extraBits), extra))
            return false;
        if (!AppendCopy(length, distanceCode.base + extra))
            return false;
    }
}

bool DecompressorPolicy_Deflate::MakeRoom(uint32_t length) {
    const uint64_t needed = uint64_t(m_output->Num()) + length;
    if (needed > m_outputLimit)
        return Fail(FAILURE_OUTPUT_PAST_LIMIT);
    const uint64_t capacity = uint64_t(m_output->Max());
    if (needed > capacity) {
        uint64_t grown = 2 * capacity > needed ? 2 * capacity : needed;
        m_output->Reserve(int32_t(grown < m_outputLimit ? grown : m_outputLimit));
    }
    return true;
}

bool DecompressorPolicy_Deflate::AppendLiteral(unsigned char byte) {
    if (!MakeRoom(1))
        return false;
    m_output->Add(byte);
    return true;
}

// Byte by byte, so that a copy may overlap the bytes it is producing.
bool DecompressorPolicy_Deflate::AppendCopy(uint32_t length, uint32_t distance) {
    uint32_t produced = uint32_t(m_output->Num());
    if (distance > produced)
        return Fail(FAILURE_DISTANCE_BEFORE_START);
    if (!MakeRoom(length))
        return false;
    int32_t at = m_output->AddUninitialized(int32_t(length));
    unsigned char* target = m_output->GetData() + at;
    const unsigned char* source = target - distance;
    for (uint32_t i = 0; i < length; ++i)
        target[i] = source[i];
    return true;
}

bool DecompressorPolicy_Deflate::ReadDynamicTables() {
    uint32_t literalCount;
    uint32_t distanceCount;
    uint32_t codeLengthCount;
    if (!ReadBits(5, literalCount) || !ReadBits(5, distanceCount) || !ReadBits(4, codeLengthCount))
        return false;
    literalCount += 257;
    distanceCount += 1;
    codeLengthCount += 4;

    // The code-length code: each symbol with its length and canonical code.
    uint8_t codeLengthLengths[19] = {};
    for (uint32_t i = 0; i < codeLengthCount; ++i) {
        uint32_t length;
        if (!ReadBits(3, length))
            return false;
        codeLengthLengths[kCodeLengthOrder[i]] = uint8_t(length);
    }
    uint32_t codeLengthCodes[19] = {};
    {
        uint32_t code = 0;
        for (int length = 1; length <= 7; ++length) {
            for (int symbol = 0; symbol < 19; ++symbol)
                if (codeLengthLengths[symbol] == length)
                    codeLengthCodes[symbol] = code++;
            if (code > (1u << length))
                return Fail(FAILURE_CODE_LENGTHS_OVERSUBSCRIBED);
            code <<= 1;
        }
    }

    // One sequence of lengths for both alphabets: a repeat may run from the
    // literal/length lengths into the distance lengths.
    uint8_t lengths[MAX_LITERAL_SYMBOLS + MAX_DISTANCE_SYMBOLS] = {};
    uint32_t total = literalCount + distanceCount;
    uint32_t filled = 0;
    while (filled < total) {
        int32_t symbol = -1;
        uint32_t code = 0;
        // Bit by bit, looking for the symbol of each length in turn.
        for (int length = 1; length <= MAX_CODE_LENGTH && symbol < 0; ++length) {
            uint32_t bit;
            if (!ReadBit(bit))
                return false;
            code = (code << 1) | bit;
            for (int candidate = 0; candidate < 19; ++candidate)
                if (codeLengthLengths[candidate] == length && codeLengthCodes[candidate] == code) {
                    symbol = candidate;
                    break;
                }
        }
        if (symbol < 0)
            return Fail(FAILURE_CODE_MATCHES_NO_SYMBOL);
        if (symbol < 16) {
            lengths[filled++] = uint8_t(symbol);
            continue;
        }
        uint32_t repeat;
        uint8_t value = 0;
        if (symbol == 16) {
            if (filled == 0)
                return Fail(FAILURE_REPEAT_WITHOUT_PREVIOUS_LENGTH);
            value = lengths[filled - 1];
            if (!ReadBits(2, repeat))
                return false;
            repeat += 3;
        } else if (symbol == 17) {
            if (!ReadBits(3, repeat))
                return false;
            repeat += 3;
        } else {
            if (!ReadBits(7, repeat))
                return false;
            repeat += 11;
        }
        if (filled + repeat > total)
            return Fail(FAILURE_CODE_LENGTHS_PAST_COUNT);
        for (uint32_t i = 0; i < repeat; ++i)
            lengths[filled++] = value;
    }

    return BuildTable(m_literalTable, lengths, int(literalCount)) &&
           BuildTable(m_distanceTable, lengths + literalCount, int(distanceCount));
}

bool DecompressorPolicy_Deflate::BuildTable(DynamicTable& table, const uint8_t* lengths, int count) {
    ReleaseTable(table);
    IMemoryAllocator* allocator = SymbolAllocator();
    if (allocator == nullptr)
        return Fail(FAILURE_NO_MEMORY_FOR_TABLES);
    uint32_t code = 0;
    for (int length = 1; length <= MAX_CODE_LENGTH; ++length) {
        CodeLengthEntry& entry = table.entries[length];
        int32_t symbols = 0;
        for (int symbol = 0; symbol < count; ++symbol)
            symbols += lengths[symbol] == length ? 1 : 0;
        entry.count = 0;
        entry.firstCode = code;
        entry.lastCode = code;
        if (symbols > 0) {
            entry.symbols =
                static_cast<uint32_t*>(allocator->Allocate(uint32_t(symbols) * sizeof(uint32_t), LOCATION_NEW_ARRAY));
            if (entry.symbols == nullptr)
                return Fail(FAILURE_NO_MEMORY_FOR_TABLES);
            for (int symbol = 0; symbol < count; ++symbol)
                if (lengths[symbol] == length) {
                    entry.lastCode = code++;
                    entry.symbols[entry.count++] = uint32_t(symbol);
                }
        }
        // More codes of this length than bit patterns: the lengths are damaged.
        if (code > (1u << length))
            return Fail(FAILURE_CODE_LENGTHS_OVERSUBSCRIBED);
        code <<= 1;
    }
    return true;
}

void DecompressorPolicy_Deflate::ReleaseTable(DynamicTable& table) {
    IMemoryAllocator* allocator = SymbolAllocator();
    for (CodeLengthEntry& entry : table.entries) {
        if (entry.symbols != nullptr && allocator != nullptr)
            allocator->Free(entry.symbols, LOCATION_DELETE_ARRAY);
        entry.symbols = nullptr;
        entry.count = 0;
    }
}

} // namespace orlo
