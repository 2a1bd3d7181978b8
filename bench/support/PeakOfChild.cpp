// Runs a command and writes its peak resident memory in KB to a file:
//
//   peak_of_child RESULT_FILE COMMAND [ARGUMENT]...
//
// A program started straight from a large process (the benchmark, which also runs the
// window) is charged that process's memory in its own peak: the kernel counts the memory
// it shared before exec. Started from this small program it is charged only this one's.

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>

int main(int argc, char** argv) {
    if (argc < 3) return 127;
    const pid_t pid = fork();
    if (pid < 0) return 127;
    if (pid == 0) {
        execvp(argv[2], argv + 2);
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid) return 127;
    if (FILE* result = std::fopen(argv[1], "w")) {
        std::fprintf(result, "%ld\n", usage.ru_maxrss);
        std::fclose(result);
    }
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    return 128 + (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
}
