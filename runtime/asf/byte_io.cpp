#include "byte_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace asf {

Guid ByteReader::ReadGuid() {
    if (!Take(16)) return Guid{};
    Guid g = Guid::FromBytes(m_data + m_pos);
    m_pos += 16;
    return g;
}

bool ByteReader::Bytes(size_t n, std::vector<uint8_t>& out) {
    if (!Take(n)) return false;
    out.assign(m_data + m_pos, m_data + m_pos + n);
    m_pos += n;
    return true;
}

std::u16string ByteReader::Utf16Bytes(size_t byteCount) {
    if (!Take(byteCount)) return {};
    std::u16string s;
    s.reserve(byteCount / 2);
    for (size_t i = 0; i + 1 < byteCount; i += 2)
        s.push_back(static_cast<char16_t>(m_data[m_pos + i] | m_data[m_pos + i + 1] << 8));
    m_pos += byteCount;
    while (!s.empty() && s.back() == u'\0') s.pop_back();
    return s;
}

ByteReader ByteReader::Sub(size_t n) {
    if (!Take(n)) return ByteReader(m_data, 0);
    ByteReader r(m_data + m_pos, n);
    m_pos += n;
    return r;
}

void ByteWriter::U16(uint16_t v) {
    m_out.push_back(static_cast<uint8_t>(v));
    m_out.push_back(static_cast<uint8_t>(v >> 8));
}

void ByteWriter::U32(uint32_t v) {
    for (int i = 0; i < 4; ++i) m_out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

void ByteWriter::U64(uint64_t v) {
    for (int i = 0; i < 8; ++i) m_out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

void ByteWriter::WriteGuid(const Guid& g) {
    uint8_t b[16];
    g.ToBytes(b);
    Bytes(b, 16);
}

void ByteWriter::Bytes(const void* p, size_t n) {
    const uint8_t* b = static_cast<const uint8_t*>(p);
    m_out.insert(m_out.end(), b, b + n);
}

void ByteWriter::Utf16(const std::u16string& s, bool withNul) {
    for (char16_t c : s) U16(static_cast<uint16_t>(c));
    if (withNul) U16(0);
}

void ByteWriter::PatchU16(size_t at, uint16_t v) {
    for (int i = 0; i < 2; ++i) m_out[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

void ByteWriter::PatchU32(size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) m_out[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

void ByteWriter::PatchU64(size_t at, uint64_t v) {
    for (int i = 0; i < 8; ++i) m_out[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

ObjectScope::ObjectScope(ByteWriter& w, const Guid& id) : m_w(w), m_start(w.Size()) {
    w.WriteGuid(id);
    w.U64(0);
}

ObjectScope::~ObjectScope() { m_w.PatchU64(m_start + 16, m_w.Size() - m_start); }

bool MemorySource::ReadAt(uint64_t offset, void* buffer, size_t n) {
    if (offset > m_bytes.size() || n > m_bytes.size() - offset) return false;
    if (n) std::memcpy(buffer, m_bytes.data() + offset, n);
    return true;
}

std::unique_ptr<FileSource> FileSource::Open(const std::string& path, int* error) {
    // Opened without blocking so that a FIFO or a device is refused, not waited on.
    int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    struct stat st;
    int cause = fd < 0                 ? errno
                : fstat(fd, &st) != 0  ? errno
                : !S_ISREG(st.st_mode) ? kNotRegular
                                       : 0;
    std::FILE* f = nullptr;
    if (cause == 0 && fcntl(fd, F_SETFL, O_RDONLY) == 0) f = fdopen(fd, "rb");
    if (!f) {
        if (cause == 0) cause = errno;
        if (fd >= 0) ::close(fd);
        if (error) *error = cause;
        return nullptr;
    }
    // Reads are already large blocks; the stdio buffer would only add a copy.
    std::setvbuf(f, nullptr, _IONBF, 0);
    return std::unique_ptr<FileSource>(new FileSource(f, static_cast<uint64_t>(st.st_size)));
}

std::unique_ptr<FileSource> FileSource::FromDescriptor(int fd) {
    int own = fcntl(fd, F_DUPFD_CLOEXEC, 0);
    std::FILE* f = own < 0 ? nullptr : fdopen(own, "rb");
    struct stat st;
    if (!f || fstat(own, &st) != 0) {
        int saved = errno;
        if (f)
            std::fclose(f);
        else if (own >= 0)
            ::close(own);
        errno = saved;
        return nullptr;
    }
    std::setvbuf(f, nullptr, _IONBF, 0);
    return std::unique_ptr<FileSource>(new FileSource(f, static_cast<uint64_t>(st.st_size)));
}

FileSource::~FileSource() { std::fclose(m_file); }

bool FileSource::ReadAt(uint64_t offset, void* buffer, size_t n) {
    if (offset > m_size || n > m_size - offset) return false;
    if (offset != m_pos && std::fseek(m_file, static_cast<long>(offset), SEEK_SET) != 0) {
        m_pos = UINT64_MAX;
        return false;
    }
    size_t got = std::fread(buffer, 1, n, m_file);
    m_pos = offset + got;
    return got == n;
}

uint8_t* ByteSink::Claim(size_t n) {
    m_staged.resize(n);
    return m_staged.data();
}

bool ByteSink::Commit(size_t n) { return Write(m_staged.data(), std::min(n, m_staged.size())); }

bool MemorySink::Write(const void* data, size_t n) {
    if (n == 0) return !m_failed;
    if (m_failed || m_bytes.size() + n > m_limit) return !(m_failed = true);
    const uint8_t* b = static_cast<const uint8_t*>(data);
    m_bytes.insert(m_bytes.end(), b, b + n);
    return true;
}

int MemorySink::ErrorNumber() const { return m_failed && m_limit != UINT64_MAX ? ENOSPC : 0; }

bool MemorySink::WriteAt(uint64_t offset, const void* data, size_t n) {
    if (m_failed || offset > m_bytes.size() || n > m_bytes.size() - offset)
        return !(m_failed = true);
    if (n) std::memcpy(m_bytes.data() + offset, data, n);
    return true;
}

std::unique_ptr<FileSink> FileSink::FromDescriptor(int fd) {
    std::FILE* f = fdopen(fd, "wb");
    if (!f) {
        int saved = errno;
        close(fd);
        errno = saved;
        return nullptr;
    }
    auto sink = std::unique_ptr<FileSink>(new FileSink(f));
    // Large writes: stdio ignores a size given without a buffer of our own.
    sink->m_buffer.reset(new char[kBufferSize]);
    std::setvbuf(f, sink->m_buffer.get(), _IOFBF, kBufferSize);
    return sink;
}

void FileSink::Unbuffered() {
    std::setvbuf(m_file, nullptr, _IONBF, 0);
    m_buffer.reset();
}

FileSink::~FileSink() {
    if (m_file) std::fclose(m_file);
}

bool FileSink::Fail() {
    if (!m_failed) m_error = errno ? errno : EIO;
    m_failed = true;
    return false;
}

bool FileSink::Write(const void* data, size_t n) {
    if (m_failed) return false;
    if (n == 0) return true;
    errno = 0;
    if (std::fwrite(data, 1, n, m_file) != n) return Fail();
    m_pos += n;
    return true;
}

bool FileSink::WriteAt(uint64_t offset, const void* data, size_t n) {
    if (m_failed) return false;
    errno = 0;
    if (std::fseek(m_file, static_cast<long>(offset), SEEK_SET) != 0 ||
        std::fwrite(data, 1, n, m_file) != n ||
        std::fseek(m_file, static_cast<long>(m_pos), SEEK_SET) != 0)
        return Fail();
    return true;
}

bool FileSink::Finish() {
    if (!m_file) return !m_failed;
    errno = 0;
    if (!m_failed && (std::fflush(m_file) != 0 || (m_sync && fsync(fileno(m_file)) != 0))) Fail();
    if (std::fclose(m_file) != 0) Fail();
    m_file = nullptr;
    return !m_failed;
}

}  // namespace asf
