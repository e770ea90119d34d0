#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string_view>

#include "checker/linux/linux_platform.h"

namespace kolvex {

namespace {

HINSTANCE ShellResult(std::uintptr_t value) { return reinterpret_cast<HINSTANCE>(value); }

HINSTANCE ResultFromErrno(int error) {
    switch (error) {
        case 0:
            return ShellResult(kShellStarted);
        case ENOENT:
        case ENOTDIR:
            return ShellResult(ERROR_FILE_NOT_FOUND);
        case EACCES:
        case EPERM:
            return ShellResult(SE_ERR_ACCESSDENIED);
        case ENOMEM:
        case EAGAIN:
            return ShellResult(SE_ERR_OOM);
        default:
            return ShellResult(SE_ERR_NOASSOC);
    }
}

void ReportAndExit(int fd, int error) {
    ssize_t ignored = write(fd, &error, sizeof(error));
    (void)ignored;
    _exit(127);
}

}  // namespace

// The opener runs as a grandchild in its own session, so it outlives us and leaves no zombie.
// A close-on-exec pipe carries back the error of a failed exec; a clean close means it started.
HINSTANCE CLinuxPlatform::ShellExecuteA(HWND, const char* verb, const char* file, const char*,
                                        const char* directory, int) {
    if (verb && std::string_view(verb) != "open") return ShellResult(SE_ERR_NOASSOC);
    if (!file || !*file) return ShellResult(ERROR_FILE_NOT_FOUND);

    int pipeFds[2];
    if (pipe2(pipeFds, O_CLOEXEC) != 0) return ResultFromErrno(errno);

    pid_t child = fork();
    if (child < 0) {
        int error = errno;
        close(pipeFds[0]);
        close(pipeFds[1]);
        return ResultFromErrno(error);
    }
    if (child == 0) {
        close(pipeFds[0]);
        setsid();
        pid_t grandchild = fork();
        if (grandchild < 0) ReportAndExit(pipeFds[1], errno);
        if (grandchild > 0) _exit(0);
        if (directory && *directory && chdir(directory) != 0) ReportAndExit(pipeFds[1], errno);
        int devNull = open("/dev/null", O_RDWR);
        if (devNull >= 0) {
            dup2(devNull, STDIN_FILENO);
            dup2(devNull, STDOUT_FILENO);
            if (devNull > STDERR_FILENO) close(devNull);
        }
        char* argv[] = {const_cast<char*>(m_opener.c_str()), const_cast<char*>(file), nullptr};
        execvp(argv[0], argv);
        ReportAndExit(pipeFds[1], errno);
    }

    close(pipeFds[1]);
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    int error = 0;
    ssize_t got;
    do {
        got = read(pipeFds[0], &error, sizeof(error));
    } while (got < 0 && errno == EINTR);
    close(pipeFds[0]);
    if (got != static_cast<ssize_t>(sizeof(error)))
        error = WIFEXITED(status) && WEXITSTATUS(status) == 0 ? 0 : ECHILD;
    return ResultFromErrno(error);
}

}  // namespace kolvex
