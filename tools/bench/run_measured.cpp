// run_measured CMD [ARG...]: runs CMD and prints "seconds peak_rss_kib cpu_seconds" on standard
// error (CPU: user and system time of the child).
// A small parent, so the child's peak RSS is its own and not a copy of a large caller's.

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fputs("usage: run_measured CMD [ARG...]\n", stderr);
        return 2;
    }
    auto start = std::chrono::steady_clock::now();
    pid_t pid = fork();
    if (pid == 0) {
        execvp(argv[1], argv + 1);
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (pid < 0 || wait4(pid, &status, 0, &usage) < 0) return 1;
    double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    auto cpu = [](const timeval& t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
    std::fprintf(stderr, "%.6f %ld %.6f\n", seconds, usage.ru_maxrss,
                 cpu(usage.ru_utime) + cpu(usage.ru_stime));
    return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
}
