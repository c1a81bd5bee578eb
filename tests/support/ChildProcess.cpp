#include "ChildProcess.h"

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <thread>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace {

namespace fs = std::filesystem;

// The console's line ends become "\n" in the Windows build.
std::string Lines(std::string text) {
#ifdef _WIN32
    for (size_t at; (at = text.find("\r\n")) != std::string::npos;)
        text.erase(at, 1);
#endif
    return text;
}

// A folder of this process's own for one run.
fs::path ScratchFolder() {
    static std::atomic<int> runs{0};
#ifdef _WIN32
    const unsigned long id = GetCurrentProcessId();
#else
    const unsigned long id = static_cast<unsigned long>(getpid());
#endif
    return fs::temp_directory_path() / ("child_process_" + std::to_string(id) + "_" + std::to_string(runs++));
}

#ifdef _WIN32
void Spawn(const std::vector<std::string>& arguments, const fs::path& out, const fs::path& err,
           const ChildProcess::Options& options, ChildProcess::Outcome& outcome) {
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
    const BOOL started =
        CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process);
    CloseHandle(outHandle);
    CloseHandle(errHandle);
    if (!started)
        return;
    const DWORD wait = options.seconds > 0 ? DWORD(options.seconds) * 1000 : INFINITE;
    if (WaitForSingleObject(process.hProcess, wait) == WAIT_TIMEOUT) {
        TerminateProcess(process.hProcess, 1);
        WaitForSingleObject(process.hProcess, INFINITE);
        outcome.timedOut = true;
    } else {
        DWORD code = 0;
        GetExitCodeProcess(process.hProcess, &code);
        outcome.exit = int(code);
    }
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
}
#else
void Spawn(const std::vector<std::string>& arguments, const fs::path& out, const fs::path& err,
           const ChildProcess::Options& options, ChildProcess::Outcome& outcome) {
    const pid_t child = fork();
    if (child == 0) {
        const int outFile = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int errFile = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(outFile, 1);
        dup2(errFile, 2);
        if (options.memoryLimit != 0) {
            const rlimit limit{options.memoryLimit, options.memoryLimit};
            setrlimit(RLIMIT_AS, &limit);
        }
        std::vector<char*> argv;
        for (const std::string& argument : arguments)
            argv.push_back(const_cast<char*>(argument.c_str()));
        argv.push_back(nullptr);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    if (child < 0)
        return;
    int status = 0;
    if (options.seconds <= 0) {
        if (waitpid(child, &status, 0) != child)
            return;
    } else {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(options.seconds);
        for (;;) {
            const pid_t done = waitpid(child, &status, WNOHANG);
            if (done == child)
                break;
            if (done < 0)
                return;
            if (std::chrono::steady_clock::now() > deadline) {
                kill(child, SIGKILL);
                waitpid(child, &status, 0);
                outcome.timedOut = true;
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }
    if (!outcome.timedOut && WIFEXITED(status))
        outcome.exit = WEXITSTATUS(status);
    if (WIFSIGNALED(status))
        outcome.signal = WTERMSIG(status);
}
#endif

} // namespace

ChildProcess::Outcome ChildProcess::Run(const std::vector<std::string>& arguments, const Options& options) {
    const bool scratch = options.folder.empty();
    const fs::path folder = scratch ? ScratchFolder() : options.folder;
    fs::create_directories(folder);
    Outcome outcome;
    if (!arguments.empty())
        Spawn(arguments, folder / "stdout.txt", folder / "stderr.txt", options, outcome);
    outcome.out = Lines(ChildProcess::ReadAll(folder / "stdout.txt"));
    outcome.err = Lines(ChildProcess::ReadAll(folder / "stderr.txt"));
    if (scratch) {
        std::error_code error;
        fs::remove_all(folder, error);
    }
    return outcome;
}

std::string ChildProcess::ReadAll(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

bool ChildProcess::IsOnPath(const std::string& program) {
    const char* path = std::getenv("PATH");
    if (path == nullptr)
        return false;
    const std::string list = path;
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
