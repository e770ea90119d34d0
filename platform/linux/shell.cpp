#include "platform/linux/shell.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <thread>

extern char** environ;

namespace platform {

namespace {
constexpr int kStarted = 42;
constexpr int kFileNotFound = 2;  // SE_ERR_FNF
constexpr int kSettleMs = 1000;
}  // namespace

bool StartDetached(const std::vector<std::string>& argv, int settleMs) {
    if (argv.empty() || argv[0].empty()) return false;
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSID);
    pid_t pid = 0;
    int rc = posix_spawnp(&pid, args[0], nullptr, &attr, args.data(), environ);
    posix_spawnattr_destroy(&attr);
    if (rc != 0) return false;
    // An opener that finds nothing to open with (xdg-open without a browser) fails at once.
    for (int waited = 0; waited < settleMs; waited += 10) {
        int status = 0;
        pid_t ended = waitpid(pid, &status, WNOHANG);
        if (ended == pid) return WIFEXITED(status) && WEXITSTATUS(status) == 0;
        if (ended < 0 && errno != EINTR) return true;
        usleep(10000);
    }
    // The child outlives nothing of ours; a reaper keeps it from staying a zombie.
    std::thread([pid] {
        int status;
        while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
    }).detach();
    return true;
}

int CLinuxShell::ShellExecuteOpen(const std::string& target) {
    return StartDetached({"xdg-open", target}, kSettleMs) ? kStarted : kFileNotFound;
}

int CLinuxShell::WinExec(const std::vector<std::string>& argv) {
    return StartDetached(argv, kSettleMs) ? kStarted : kFileNotFound;
}

}  // namespace platform
