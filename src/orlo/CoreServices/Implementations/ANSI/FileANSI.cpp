#include "orlo/CoreServices/Implementations/ANSI/FileANSI.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace orlo::file_ansi {

bool Seek(FILE* file, int64_t distance, int origin) {
#ifdef _WIN32
    return _fseeki64(file, distance, origin) == 0;
#else
    return fseeko(file, off_t(distance), origin) == 0;
#endif
}

int64_t Tell(FILE* file) {
#ifdef _WIN32
    return _ftelli64(file);
#else
    return int64_t(ftello(file));
#endif
}

FILE* OpenRegular(const char* path, const char* mode) {
    FILE* file = fopen(path, mode);
#ifndef _WIN32
    struct stat status;
    if (file != nullptr && (fstat(fileno(file), &status) != 0 || S_ISDIR(status.st_mode))) {
        fclose(file);
        file = nullptr;
    }
#endif
    return file;
}

} // namespace orlo::file_ansi
