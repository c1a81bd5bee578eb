// The floor under every reader of the text format: read the whole file and
// convert each number in it with std::from_chars, nothing else (no structure,
// no records). bench/compare runs it beside the real readers.
//
//     qro_from_chars_floor FILE.qro
//
// Prints how many integers and floats it converted and a checksum, so that the
// work cannot be left out.

#include <charconv>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: qro_from_chars_floor FILE.qro\n");
        return 2;
    }
    FILE* file = fopen(argv[1], "rb");
    if (file == nullptr) {
        fprintf(stderr, "qro_from_chars_floor: cannot open %s\n", argv[1]);
        return 1;
    }
    // One buffer of the file's size, as a reader that knows the size would hold.
    std::vector<char> text;
    if (fseek(file, 0, SEEK_END) == 0) {
        long size = ftell(file);
        if (size > 0)
            text.reserve(size_t(size));
        fseek(file, 0, SEEK_SET);
    }
    char block[1 << 16];
    size_t count;
    while ((count = fread(block, 1, sizeof(block), file)) > 0)
        text.insert(text.end(), block, block + count);
    fclose(file);

    const char* at = text.data();
    const char* end = at + text.size();
    unsigned long long integers = 0;
    unsigned long long floats = 0;
    double sum = 0.0;
    while (at < end) {
        while (at < end && IsSpace(*at))
            ++at;
        const char* word = at;
        while (at < end && !IsSpace(*at))
            ++at;
        if (word == at || !(*word == '-' || (*word >= '0' && *word <= '9')))
            continue;
        if (memchr(word, '.', size_t(at - word)) != nullptr) {
            float value = 0.0f;
            if (std::from_chars(word, at, value).ec == std::errc()) {
                sum += value;
                ++floats;
            }
        } else {
            long long value = 0;
            if (std::from_chars(word, at, value).ec == std::errc()) {
                sum += double(value);
                ++integers;
            }
        }
    }
    printf("%llu integers, %llu floats, checksum %.6g\n", integers, floats, sum);
    return 0;
}
