#include "orlo/Utils/TTypeName.h"

namespace orlo::detail {

void ExtractCompilerTypeName(const char* prettyFunction, char* out, size_t outSize) {
    out[0] = 0;
    const char* begin = strstr(prettyFunction, "T = ");
    if (begin == nullptr)
        return;
    begin += 4;
    // The spelling ends at the closing bracket, or at the next template
    // parameter where the compiler lists more than one.
    const char* end = begin + strlen(begin);
    if (end > begin && end[-1] == ']')
        --end;
    if (const char* more = strstr(begin, "; "); more != nullptr && more < end)
        end = more;
    size_t length = static_cast<size_t>(end - begin);
    if (length > outSize - 1)
        length = outSize - 1;
    memcpy(out, begin, length);
    out[length] = 0;
}

void AppendTypeText(char* out, size_t outSize, const char* text) {
    size_t used = strlen(out);
    size_t length = strlen(text);
    if (used + length > outSize - 1)
        length = outSize - 1 - used;
    memcpy(out + used, text, length);
    out[used + length] = 0;
}

} // namespace orlo::detail
