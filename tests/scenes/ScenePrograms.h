#pragma once
// maxsim-run and qro as a user runs them: one process each, standard streams
// kept, with a time limit.
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace scenes {
struct ProgramResult {
    int status = -1; // exit status; -1 when ended by a signal or the time limit
    bool timedOut = false;
    int signal = 0;
    std::string out, err;
};

inline std::string ReadText(const std::filesystem::path& p) {
    std::ifstream f(p, std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

// Runs program with args, its streams going to files in dir. An address-space
// limit (bytes, 0 for none) keeps a file that asks for more memory than the
// machine has from swapping it.
inline ProgramResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                                const std::filesystem::path& dir, int seconds, unsigned long long memoryLimit = 0) {
    std::filesystem::create_directories(dir);
    const std::filesystem::path outFile = dir / "stdout.txt", errFile = dir / "stderr.txt";
    ProgramResult r;
    const pid_t pid = fork();
    if (pid == 0) {
        const int out = open(outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int err = open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(out, 1);
        dup2(err, 2);
        if (memoryLimit) {
            rlimit limit{memoryLimit, memoryLimit};
            setrlimit(RLIMIT_AS, &limit);
        }
        std::vector<char*> argv{const_cast<char*>(program.c_str())};
        for (const std::string& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    int wstatus = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    for (;;) {
        const pid_t done = waitpid(pid, &wstatus, WNOHANG);
        if (done == pid)
            break;
        if (done < 0)
            return r;
        if (std::chrono::steady_clock::now() > deadline) {
            kill(pid, SIGKILL);
            waitpid(pid, &wstatus, 0);
            r.timedOut = true;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    if (!r.timedOut && WIFEXITED(wstatus))
        r.status = WEXITSTATUS(wstatus);
    if (WIFSIGNALED(wstatus))
        r.signal = WTERMSIG(wstatus);
    r.out = ReadText(outFile);
    r.err = ReadText(errFile);
    return r;
}
} // namespace scenes
