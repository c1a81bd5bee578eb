#include "QroProcess.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace {

namespace fs = std::filesystem;

std::string ReadAll(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

fs::path Scratch() {
#ifdef _WIN32
    unsigned long id = GetCurrentProcessId();
#else
    unsigned long id = (unsigned long)getpid();
#endif
    fs::path dir = fs::temp_directory_path() / ("qro_process_" + std::to_string(id));
    fs::create_directories(dir);
    return dir;
}

#ifdef _WIN32
int Spawn(const std::vector<std::string>& arguments, const fs::path& out, const fs::path& err) {
    std::string commandLine;
    for (const std::string& argument : arguments)
        commandLine += (commandLine.empty() ? "\"" : " \"") + argument + "\"";
    SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
    HANDLE outHandle = CreateFileA(out.string().c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                                   FILE_ATTRIBUTE_NORMAL, nullptr);
    HANDLE errHandle = CreateFileA(err.string().c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                                   FILE_ATTRIBUTE_NORMAL, nullptr);
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = outHandle;
    startup.hStdError = errHandle;
    PROCESS_INFORMATION process{};
    BOOL started =
        CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process);
    CloseHandle(outHandle);
    CloseHandle(errHandle);
    if (!started)
        return -1;
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    return int(code);
}
#else
int Spawn(const std::vector<std::string>& arguments, const fs::path& out, const fs::path& err) {
    pid_t child = fork();
    if (child == 0) {
        int outFile = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        int errFile = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(outFile, 1);
        dup2(errFile, 2);
        std::vector<char*> argv;
        for (const std::string& argument : arguments)
            argv.push_back(const_cast<char*>(argument.c_str()));
        argv.push_back(nullptr);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}
#endif

// The console's line ends become "\n", so that one expectation serves both targets.
std::string Lines(std::string text) {
#ifdef _WIN32
    for (size_t at; (at = text.find("\r\n")) != std::string::npos;)
        text.erase(at, 1);
#endif
    return text;
}

} // namespace

QroProcess::Outcome QroProcess::Run(const std::vector<std::string>& arguments) {
    fs::path dir = Scratch();
    Outcome outcome;
    outcome.exit = Spawn(arguments, dir / "stdout.txt", dir / "stderr.txt");
    outcome.out = Lines(ReadAll(dir / "stdout.txt"));
    outcome.err = Lines(ReadAll(dir / "stderr.txt"));
    std::error_code error;
    fs::remove_all(dir, error);
    return outcome;
}

bool QroProcess::IsOnPath(const std::string& program) {
    const char* path = std::getenv("PATH");
    if (path == nullptr)
        return false;
    std::string list = path;
#ifdef _WIN32
    const char separator = ';';
#else
    const char separator = ':';
#endif
    for (size_t start = 0; start <= list.size();) {
        size_t end = list.find(separator, start);
        if (end == std::string::npos)
            end = list.size();
        std::error_code error;
        if (end > start && fs::is_regular_file(fs::path(list.substr(start, end - start)) / program, error))
            return true;
        start = end + 1;
    }
    return false;
}
