#include "bench/support/ChildProcess.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>

extern char** environ;

namespace velmora::bench {

namespace {

// peak_of_child, beside the running program: the child's peak memory is measured without
// this process's (see PeakOfChild.cpp).
std::filesystem::path peakHelper() {
    return std::filesystem::read_symlink("/proc/self/exe").parent_path() / "peak_of_child";
}

long readPeak(const std::filesystem::path& file) {
    long kb = 0;
    std::ifstream(file) >> kb;
    std::filesystem::remove(file);
    return kb;
}

}  // namespace

ChildRun RunChild(const std::vector<std::string>& args, const char* outputFile,
                  const char* errorFile) {
    const std::string helper = peakHelper().string();
    const std::string peakFile =
        (std::filesystem::temp_directory_path() / ("velmora-peak-" + std::to_string(getpid())))
            .string();
    std::vector<char*> argv{const_cast<char*>(helper.c_str()), const_cast<char*>(peakFile.c_str())};
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outputFile,
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (errorFile)
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errorFile,
                                         O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ChildRun result;
    const double busyBefore = MachineBusySeconds();
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
        std::fprintf(stderr, "cannot start %s\n", args[0].c_str());
        posix_spawn_file_actions_destroy(&actions);
        return result;
    }
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    result.seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const auto seconds = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
    };
    result.cpuSeconds = seconds(usage.ru_utime) + seconds(usage.ru_stime);
    SetOtherCores(result, busyBefore, MachineBusySeconds());
    result.peakKb = readPeak(peakFile);
    if (WIFEXITED(status) && WEXITSTATUS(status) != 127) result.exitCode = WEXITSTATUS(status);
    posix_spawn_file_actions_destroy(&actions);
    return result;
}

}  // namespace velmora::bench
