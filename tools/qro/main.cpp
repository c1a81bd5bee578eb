// qro: check, dump and write skinned-mesh text files without a host.
//
//   qro check [--strict] PATH
//                        read PATH; prints "ok: B bones, M meshes", then, on
//                        the standard error stream, one line per kind of
//                        finding in it that a game engine would choke on
//                        (QroCheckFindings)
//   qro dump PATH        read PATH; prints its records as JSON
//   qro write JSON OUT   write the records of a JSON document to OUT
//   qro gltf PATH OUT    write PATH as a skinned glTF 2.0 scene: OUT.glb, or
//                        OUT.gltf with OUT.bin beside it
//   qro --help, qro -h   print the usage on the standard output stream
//
// Exit status: 0 done, 1 the file was rejected or could not be read or
// written, 2 a call qro does not know, 3 check --strict found something in a
// file it read (without --strict findings leave the status alone). Messages go
// to the standard error stream.

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "QroCheckFindings.h"
#include "QroCheckedInputStream.h"
#include "QroGltfConverter.h"
#include "QroGltfFile.h"
#include "QroJson.h"
#include "QroLogs.h"
#include "QroMaterialReader.h"
#include "QuarroRecordWriter.h"
#include "QuarroTextReader.h"
#include "orlo/CoreServices/Implementations/ULogMessage.h"
#include "orlo/CoreServices/Implementations/UOutputStream_Memory.h"
#include "orlo/CoreServices/Interfaces/ICoreServices.h"
#include "orlo/ErrorDescription.h"

namespace {

const int EXIT_DONE = 0;
const int EXIT_FAILED = 1;
const int EXIT_USAGE = 2;
const int EXIT_FINDINGS = 3;

const char* const kUsage = "usage: qro check PATH        read a .qro file, count its bones and meshes, and list on\n"
                           "                             standard error what in it a game engine would choke on\n"
                           "       qro check --strict PATH\n"
                           "                             the same, ending with exit status 3 when it lists anything\n"
                           "       qro dump PATH         print the records of a .qro file as JSON\n"
                           "       qro write JSON OUT    write the records of a JSON document as a .qro file\n"
                           "       qro gltf PATH OUT     write a .qro file as a skinned glTF 2.0 scene, OUT ending\n"
                           "                             in .glb (one file) or .gltf (with a .bin beside it)\n"
                           "       qro --help, qro -h    print this text on standard output\n"
                           "exit status: 0 done, 1 a file rejected or not read or written, 2 a wrong call,\n"
                           "             3 check --strict listed findings\n";

// Reads a .qro file into records, and with `materials` also the material
// names and indices that the records leave out; false (after a message) when
// it cannot be opened or read, or is rejected.
bool ReadFile(QroLogs& logs, const char* path, orlo::UArray<BoneData>& bones, orlo::UArray<MeshData>& meshes,
              std::vector<QroMaterialReader::Mesh>* materials = nullptr) {
    // Through the core services' file system, so that a path reaching into a
    // ZIP archive opens the member.
    orlo::TStreamHandle<orlo::IInputStream> file = orlo::GetCoreServices()->GetFileSystem()->CreateFileReader(path);
    if (file.IsEmpty() || !file->IsOpen()) {
        orlo::ULogMessage message(logs.GetChannel(orlo::LOG_CHANNEL_FAILURE), "Can't open file \"");
        message += path;
        message += "\" for reading.";
        return false;
    }
    QroCheckedInputStream stream(static_cast<orlo::TStreamHandle<orlo::IInputStream>&&>(file));
    bool accepted = QuarroTextReader::Read(&stream, bones, meshes, logs.GetChannel(orlo::LOG_CHANNEL_WARNING));
    // The reader puts the stream back where it found it.
    if (accepted && materials != nullptr && !stream.HadShortRead())
        QroMaterialReader::Read(&stream, *materials);
    if (stream.HadShortRead()) {
        // Part of the file never arrived: what was read is not the file.
        orlo::ULogMessage message(logs.GetChannel(orlo::LOG_CHANNEL_FAILURE), "Can't read file \"");
        message += path;
        message += "\" to its end.";
        return false;
    }
    return accepted;
}

int Check(QroLogs& logs, const char* path, bool strict) {
    orlo::UArray<BoneData> bones;
    orlo::UArray<MeshData> meshes;
    std::vector<QroMaterialReader::Mesh> materials;
    if (!ReadFile(logs, path, bones, meshes, &materials))
        return EXIT_FAILED;
    std::printf("ok: %d bones, %d meshes\n", int(bones.Num()), int(meshes.Num()));
    // The "ok" line first, so that standard output reads the same with or
    // without findings.
    std::fflush(stdout);
    const std::vector<QroCheckFindings::Finding> findings = QroCheckFindings::Find(bones, meshes, materials);
    for (const QroCheckFindings::Finding& finding : findings)
        std::fprintf(stderr, "qro: check: %s\n", QroCheckFindings::Describe(finding).c_str());
    return strict && !findings.empty() ? EXIT_FINDINGS : EXIT_DONE;
}

int Dump(QroLogs& logs, const char* path) {
    orlo::UArray<BoneData> bones;
    orlo::UArray<MeshData> meshes;
    if (!ReadFile(logs, path, bones, meshes))
        return EXIT_FAILED;
    std::string json = QroJson::Dump(bones, meshes);
    std::fwrite(json.data(), 1, json.size(), stdout);
    return EXIT_DONE;
}

int Write(const char* jsonPath, const char* outPath) {
    std::ifstream input(jsonPath, std::ios::binary);
    if (!input) {
        std::fprintf(stderr, "qro: can't open JSON file \"%s\" for reading.\n", jsonPath);
        return EXIT_FAILED;
    }
    std::string text((std::istreambuf_iterator<char>(input)), std::istreambuf_iterator<char>());
    if (input.bad()) {
        std::fprintf(stderr, "qro: can't read JSON file \"%s\".\n", jsonPath);
        return EXIT_FAILED;
    }

    orlo::UArray<BoneData> bones;
    orlo::UArray<MeshData> meshes;
    orlo::UArray<QuarroRecordWriter::MaterialNames> materials;
    std::string error;
    if (!QroJson::Parse(text, bones, meshes, materials, error)) {
        std::fprintf(stderr, "qro: invalid JSON in \"%s\": %s\n", jsonPath, error.c_str());
        return EXIT_FAILED;
    }

    // The whole text first, so that a failure leaves no half-written file.
    orlo::UOutputStream_Memory memory("memory");
    QuarroRecordWriter::Write(&memory, bones, meshes, materials);
    std::FILE* out = std::fopen(outPath, "wb");
    if (out == nullptr) {
        std::fprintf(stderr, "qro: can't open file \"%s\" for writing.\n", outPath);
        return EXIT_FAILED;
    }
    size_t length = size_t(memory.GetLength());
    bool written = std::fwrite(memory.GetBytes(), 1, length, out) == length;
    written = std::fclose(out) == 0 && written;
    if (!written) {
        std::remove(outPath);
        std::fprintf(stderr, "qro: can't write file \"%s\".\n", outPath);
        return EXIT_FAILED;
    }
    return EXIT_DONE;
}

// The file's name without folder and extension: the name of the scene.
std::string SceneNameOf(const std::string& path) {
    size_t slash = path.find_last_of("/\\");
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    size_t dot = name.rfind('.');
    return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

int Gltf(QroLogs& logs, const char* inPath, const char* outPath) {
    if (QroGltfFile::KindOf(outPath) == QroGltfFile::Kind::Unknown) {
        std::fprintf(stderr, "qro: the glTF file's name must end in .gltf or .glb: \"%s\"\n", outPath);
        return EXIT_USAGE;
    }
    orlo::UArray<BoneData> bones;
    orlo::UArray<MeshData> meshes;
    std::vector<QroMaterialReader::Mesh> materials;
    if (!ReadFile(logs, inPath, bones, meshes, &materials))
        return EXIT_FAILED;

    QroGltfDocument document;
    std::vector<std::string> notes;
    try {
        QroGltfConverter::Convert(bones, meshes, materials, SceneNameOf(inPath), document, notes);
    } catch (const std::runtime_error& refused) {
        std::fprintf(stderr, "qro: can't convert \"%s\": %s.\n", inPath, refused.what());
        return EXIT_FAILED;
    }
    for (const std::string& note : notes)
        std::fprintf(stderr, "qro: note: %s.\n", note.c_str());
    std::string error;
    if (!QroGltfFile::Write(document, outPath, error)) {
        std::fprintf(stderr, "qro: %s\n", error.c_str());
        return EXIT_FAILED;
    }
    return EXIT_DONE;
}

int Run(int argc, char** argv) {
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::fputs(kUsage, stdout);
        return EXIT_DONE;
    }
    // "check --strict" alone has lost its PATH; "./--strict" names such a file.
    if (argc == 3 && std::strcmp(argv[1], "check") == 0 && std::strcmp(argv[2], "--strict") != 0) {
        QroLogs logs;
        return Check(logs, argv[2], false);
    }
    if (argc == 4 && std::strcmp(argv[1], "check") == 0 && std::strcmp(argv[2], "--strict") == 0) {
        QroLogs logs;
        return Check(logs, argv[3], true);
    }
    if (argc == 3 && std::strcmp(argv[1], "dump") == 0) {
        QroLogs logs;
        return Dump(logs, argv[2]);
    }
    if (argc == 4 && std::strcmp(argv[1], "write") == 0)
        return Write(argv[2], argv[3]);
    if (argc == 4 && std::strcmp(argv[1], "gltf") == 0) {
        QroLogs logs;
        return Gltf(logs, argv[2], argv[3]);
    }
    std::fputs(kUsage, stderr);
    return EXIT_USAGE;
}

} // namespace

int main(int argc, char** argv) {
    try {
        return Run(argc, argv);
    } catch (const orlo::ErrorDescription& error) {
        std::fprintf(stderr, "qro: error\n%s\n", error.GetReport());
    } catch (const std::exception& exception) {
        std::fprintf(stderr, "qro: error: %s\n", exception.what());
    }
    return EXIT_FAILED;
}
