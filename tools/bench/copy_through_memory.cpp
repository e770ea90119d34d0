// copy_through_memory OUT IN...: appends the inputs to OUT by read and write through one 128 KiB
// buffer, as cat did before it handed the copy to the kernel (copy_file_range). The least any
// joiner pays that passes the bytes through its own memory.

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <vector>

namespace {

bool WriteAll(int fd, const char* data, size_t n) {
    while (n > 0) {
        ssize_t done = write(fd, data, n);
        if (done <= 0) return false;
        data += done;
        n -= size_t(done);
    }
    return true;
}

bool Append(int out, const char* path, std::vector<char>& buffer) {
    int in = open(path, O_RDONLY | O_CLOEXEC);
    if (in < 0) return false;
    ssize_t n;
    while ((n = read(in, buffer.data(), buffer.size())) > 0)
        if (!WriteAll(out, buffer.data(), size_t(n))) break;
    close(in);
    return n == 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fputs("usage: copy_through_memory OUT IN...\n", stderr);
        return 2;
    }
    int out = open(argv[1], O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (out < 0) {
        std::perror(argv[1]);
        return 1;
    }
    std::vector<char> buffer(128u << 10);
    for (int i = 2; i < argc; ++i) {
        if (!Append(out, argv[i], buffer)) {
            std::perror(argv[i]);
            return 1;
        }
    }
    return close(out) == 0 ? 0 : 1;
}
