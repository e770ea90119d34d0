#include "safe_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <random>
#include <thread>
#include <type_traits>

namespace asf {

std::string SystemReason(int error) {
    char buffer[256];
    // The GNU strerror_r returns its text; the POSIX one fills the buffer.
    auto text = strerror_r(error, buffer, sizeof buffer);
    if constexpr (std::is_same_v<decltype(text), char*>)
        return text;
    else
        return text == 0 ? buffer : "error " + std::to_string(error);
}

std::string FileFailure(const std::string& path, int error) {
    return path + ": " + SystemReason(error);
}

void Descriptor::Reset(int fd) {
    int saved = errno;  // the caller's reason outlives the close
    if (m_fd >= 0) close(m_fd);
    m_fd = fd;
    errno = saved;
}

Descriptor CreateFileBeside(const std::string& destination, const char* tag, mode_t mode,
                            std::string& path) {
    size_t slash = destination.rfind('/');
    std::string folder = slash == std::string::npos ? "" : destination.substr(0, slash + 1);
    // Room for the tag and the random part within a 255-byte name.
    std::string name = destination.substr(folder.size()).substr(0, 200);
    std::random_device random;
    static const char kHex[] = "0123456789abcdef";
    for (int attempt = 0; attempt < 100; ++attempt) {
        uint64_t bits = uint64_t(random()) << 32 | random();
        std::string suffix(16, '0');
        for (char& c : suffix) c = kHex[bits & 15], bits >>= 4;
        path = folder + "." + name + tag + suffix;
        int fd = open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
        if (fd >= 0) return Descriptor(fd);
        if (errno != EEXIST) break;
    }
    int saved = errno;
    path.clear();
    errno = saved;
    return Descriptor();
}

bool MoveIntoPlace(const std::string& from, const std::string& to, bool replace) {
    if (replace) return rename(from.c_str(), to.c_str()) == 0;
    if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) return false;
    if (link(from.c_str(), to.c_str()) != 0) return false;
    unlink(from.c_str());
    return true;
}

Descriptor OpenLocked(const std::string& path, int waitMs, const std::atomic<bool>* stop) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
    for (;;) {
        // Without blocking, so that a FIFO or a device is refused rather than waited on.
        Descriptor fd(open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
        if (!fd) return fd;
        struct stat st;
        if (fstat(fd.Get(), &st) != 0) return Descriptor();
        if (!S_ISREG(st.st_mode)) {
            errno = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
            return Descriptor();
        }
        if (fcntl(fd.Get(), F_SETFL, O_RDONLY) != 0) return Descriptor();
        while (flock(fd.Get(), LOCK_EX | LOCK_NB) != 0) {
            if (errno == EINTR) continue;
            // A file system without locks (some network mounts): read and edit unlocked.
            if (errno != EWOULDBLOCK) return fd;
            if (stop && stop->load()) {
                errno = EINTR;
                return Descriptor();
            }
            if (std::chrono::steady_clock::now() >= deadline) {
                errno = EWOULDBLOCK;
                return Descriptor();
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        // Another editor may have replaced the file while this one waited: lock the new one.
        struct stat held, now;
        if (fstat(fd.Get(), &held) != 0) return Descriptor();
        if (stat(path.c_str(), &now) == 0 && now.st_dev == held.st_dev && now.st_ino == held.st_ino)
            return fd;
    }
}

}  // namespace asf
