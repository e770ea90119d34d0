#include "platform/file_helpers.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>

namespace platform {

int FileExists(const std::string& path) {
    if (path.empty()) return 0;
    // O_NONBLOCK: opening a FIFO for reading must not wait for a writer.
    int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) return 0;
    struct stat st;
    bool regular = fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    close(fd);
    return regular ? 1 : 0;
}

bool IsFileOrFolder(const std::string& path) {
    struct stat st;
    if (path.empty() || stat(path.c_str(), &st) != 0) return false;
    return S_ISDIR(st.st_mode) || S_ISREG(st.st_mode);
}

bool DeleteFileA(const std::string& path) { return !path.empty() && unlink(path.c_str()) == 0; }

std::string GetModuleFileName() {
    std::vector<char> buffer(4096);
    ssize_t n = readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (n <= 0 || size_t(n) >= buffer.size()) return "";
    return std::string(buffer.data(), size_t(n));
}

std::string ExecutableBaseName() {
    std::string path = GetModuleFileName();
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace platform
