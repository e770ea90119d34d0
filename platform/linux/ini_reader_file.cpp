#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/file_search.h"
#include "platform/ini_reader.h"

namespace platform {

namespace {

// Larger files are read only this far: a profile is small, and a runaway file must not stall
// every lookup.
constexpr size_t kMaxProfileBytes = 4 * 1024 * 1024;

bool ReadProfileFile(const char* path, std::string& bytes) {
    std::string resolved = ResolvePathCaseBlind(path);
    // Non-blocking, so that a FIFO with a profile's name cannot stall the open.
    int fd = open(resolved.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return false;
    struct stat st;
    bool ok = fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    if (ok) {
        size_t want = static_cast<size_t>(st.st_size) < kMaxProfileBytes
                          ? static_cast<size_t>(st.st_size)
                          : kMaxProfileBytes;
        bytes.resize(want);
        size_t got = 0;
        while (got < want) {
            ssize_t n = read(fd, bytes.data() + got, want - got);
            if (n < 0) {
                ok = false;
                break;
            }
            if (n == 0) break;
            got += static_cast<size_t>(n);
        }
        bytes.resize(got);
    }
    close(fd);
    return ok;
}

std::string_view TrimTrailingBlanks(std::string_view s) {
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

}  // namespace

size_t ReadProfileString(const char* section, const char* key, const char* defaultValue,
                         char* buffer, size_t size, const char* path) {
    std::string_view fallback = TrimTrailingBlanks(defaultValue ? defaultValue : "");
    std::string bytes;
    if (!section || !key || !path || !ReadProfileFile(path, bytes))
        return CopyProfileValue(fallback, buffer, size);
    std::optional<std::string> value = FindProfileValue(DecodeProfileText(bytes), section, key);
    return CopyProfileValue(value ? std::string_view(*value) : fallback, buffer, size);
}

}  // namespace platform

unsigned long GetPrivateProfileStringA(const char* section, const char* key,
                                       const char* defaultValue, char* buffer, unsigned long size,
                                       const char* path) {
    return static_cast<unsigned long>(
        platform::ReadProfileString(section, key, defaultValue, buffer, size, path));
}
