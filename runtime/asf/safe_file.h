#pragma once
// POSIX file handling shared by the writer and the metadata editor: new files beside their
// destination under unpredictable names that never follow a link, edit locks, and the
// system's reason for a failure.

#include <sys/types.h>

#include <atomic>
#include <string>

namespace asf {

// The system's text for an errno value ("No space left on device").
std::string SystemReason(int error);

// "path: reason" for messages.
std::string FileFailure(const std::string& path, int error);

// An open descriptor, closed when it goes.
class Descriptor {
  public:
    Descriptor() = default;
    explicit Descriptor(int fd) : m_fd(fd) {}
    ~Descriptor() { Reset(); }
    Descriptor(Descriptor&& other) noexcept : m_fd(other.Release()) {}
    Descriptor& operator=(Descriptor&& other) noexcept {
        if (this != &other) Reset(other.Release());
        return *this;
    }
    void Reset(int fd = -1);
    int Release() {
        int fd = m_fd;
        m_fd = -1;
        return fd;
    }
    int Get() const { return m_fd; }
    explicit operator bool() const { return m_fd >= 0; }

  private:
    int m_fd = -1;
};

// Creates a new hidden file ".<name><tag><random>" in the folder of destination with
// O_CREAT | O_EXCL | O_NOFOLLOW, open for reading and writing; path receives its name.
// An empty descriptor with errno set on failure.
Descriptor CreateFileBeside(const std::string& destination, const char* tag, mode_t mode,
                            std::string& path);

// Renames from to to in one step. replace false never replaces a file that is at to (EEXIST):
// renameat2 with RENAME_NOREPLACE, or link-then-unlink where the file system lacks it.
// False with errno set on failure.
bool MoveIntoPlace(const std::string& from, const std::string& to, bool replace);

// Opens the regular file at path (following links; EISDIR for a folder, EINVAL for a FIFO or a
// device, never waiting on one) for reading and takes its exclusive edit lock, waiting up to
// waitMs for another editor; the lock holds the file that is at path once it is taken (where
// the file system has no locks, the file is returned unlocked). An empty descriptor with errno
// set on failure (EWOULDBLOCK after the wait, EINTR when stop became true).
Descriptor OpenLocked(const std::string& path, int waitMs, const std::atomic<bool>* stop);

}  // namespace asf
