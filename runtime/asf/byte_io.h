#pragma once
// Little-endian byte reading and writing over memory, and the source/sink interface that
// lets parsers run from memory and writers be made to fail in tests.

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "guid.h"

namespace asf {

// Little-endian values at a place already known to hold them.
inline uint16_t Get16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
inline uint32_t Get32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

// Reads from a fixed span. A read past the end yields zeros and marks the reader failed;
// callers check ok() once after a group of reads.
class ByteReader {
  public:
    ByteReader() = default;
    ByteReader(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}
    explicit ByteReader(const std::vector<uint8_t>& v) : m_data(v.data()), m_size(v.size()) {}

    uint8_t U8() { return Take(1) ? m_data[m_pos++] : 0; }
    uint16_t U16() {
        const uint8_t* p = Span(2);
        return p ? Get16(p) : 0;
    }
    uint32_t U32() {
        const uint8_t* p = Span(4);
        return p ? Get32(p) : 0;
    }
    uint64_t U64() {
        uint64_t lo = U32();
        return lo | uint64_t(U32()) << 32;
    }
    Guid ReadGuid();
    // Reads a width-coded field: 0 absent, 1 BYTE, 2 WORD, 3 DWORD.
    uint32_t Coded(unsigned lengthType) {
        switch (lengthType & 3) {
            case 1:
                return U8();
            case 2:
                return U16();
            case 3:
                return U32();
            default:
                return 0;
        }
    }
    bool Bytes(size_t n, std::vector<uint8_t>& out);
    std::u16string Utf16Bytes(size_t byteCount);  // drops a trailing NUL
    std::u16string Utf16Chars(size_t charCount) { return Utf16Bytes(charCount * 2); }
    bool Skip(size_t n) {
        if (!Take(n)) return false;
        m_pos += n;
        return true;
    }
    // A reader over the next n bytes, which this reader then skips.
    ByteReader Sub(size_t n);
    const uint8_t* Here() const { return m_data + m_pos; }
    // The next n bytes, which the reader then skips; nullptr, failing it, when fewer remain.
    const uint8_t* Span(size_t n) {
        if (!Take(n)) return nullptr;
        const uint8_t* p = m_data + m_pos;
        m_pos += n;
        return p;
    }

    size_t Position() const { return m_pos; }
    size_t Remaining() const { return m_size - m_pos; }
    size_t Size() const { return m_size; }
    bool ok() const { return !m_failed; }
    void Fail() { m_failed = true; }

  private:
    bool Take(size_t n) {
        if (m_failed || n > m_size - m_pos) {
            m_failed = true;
            return false;
        }
        return true;
    }
    const uint8_t* m_data = nullptr;
    size_t m_size = 0;
    size_t m_pos = 0;
    bool m_failed = false;
};

// Appends to a growing buffer.
class ByteWriter {
  public:
    void U8(uint8_t v) { m_out.push_back(v); }
    void U16(uint16_t v);
    void U32(uint32_t v);
    void U64(uint64_t v);
    void WriteGuid(const Guid& g);
    void Bytes(const void* p, size_t n);
    void Bytes(const std::vector<uint8_t>& v) { Bytes(v.data(), v.size()); }
    void Utf16(const std::u16string& s, bool withNul);
    void Zeros(size_t n) { m_out.insert(m_out.end(), n, 0); }
    void PatchU16(size_t at, uint16_t v);
    void PatchU32(size_t at, uint32_t v);
    void PatchU64(size_t at, uint64_t v);
    // A count or length into a field of 8, 16 or 32 bits. One that does not fit is never cut:
    // 0 is written and the writer fails, keeping what for the reason.
    void Field8(uint64_t v, const char* what) { U8(static_cast<uint8_t>(Fit(v, 0xFF, what))); }
    void Field16(uint64_t v, const char* what) { U16(static_cast<uint16_t>(Fit(v, 0xFFFF, what))); }
    void Field32(uint64_t v, const char* what) {
        U32(static_cast<uint32_t>(Fit(v, UINT32_MAX, what)));
    }
    void PatchField32(size_t at, uint64_t v, const char* what) {
        PatchU32(at, static_cast<uint32_t>(Fit(v, UINT32_MAX, what)));
    }
    // What did not fit its field first; null while everything fitted.
    const char* TooLarge() const { return m_tooLarge; }

    size_t Size() const { return m_out.size(); }
    std::vector<uint8_t>& Buffer() { return m_out; }
    std::vector<uint8_t> Take() { return std::move(m_out); }

  private:
    uint64_t Fit(uint64_t v, uint64_t max, const char* what) {
        if (v <= max) return v;
        if (!m_tooLarge) m_tooLarge = what;
        return 0;
    }
    std::vector<uint8_t> m_out;
    const char* m_tooLarge = nullptr;
};

// Writes an object header (GUID + size) whose size is patched when the scope's object ends.
class ObjectScope {
  public:
    ObjectScope(ByteWriter& w, const Guid& id);
    ~ObjectScope();
    ObjectScope(const ObjectScope&) = delete;
    ObjectScope& operator=(const ObjectScope&) = delete;

  private:
    ByteWriter& m_w;
    size_t m_start;
};

class ByteSource {
  public:
    virtual ~ByteSource() = default;
    // Reads exactly n bytes at offset; false on any shortfall or error.
    virtual bool ReadAt(uint64_t offset, void* buffer, size_t n) = 0;
    virtual uint64_t Size() const = 0;
};

class MemorySource : public ByteSource {
  public:
    explicit MemorySource(std::vector<uint8_t> bytes) : m_bytes(std::move(bytes)) {}
    bool ReadAt(uint64_t offset, void* buffer, size_t n) override;
    uint64_t Size() const override { return m_bytes.size(); }

  private:
    std::vector<uint8_t> m_bytes;
};

class FileSource : public ByteSource {
  public:
    // Null when the file cannot be opened or is not a regular file; error gets errno, or
    // kNotRegular.
    static constexpr int kNotRegular = -1;
    static std::unique_ptr<FileSource> Open(const std::string& path, int* error = nullptr);
    // Reads through a duplicate of an open descriptor; null with errno on failure.
    static std::unique_ptr<FileSource> FromDescriptor(int fd);
    ~FileSource() override;
    bool ReadAt(uint64_t offset, void* buffer, size_t n) override;
    uint64_t Size() const override { return m_size; }

  private:
    FileSource(std::FILE* f, uint64_t size) : m_file(f), m_size(size) {}
    std::FILE* m_file;
    uint64_t m_size;
    uint64_t m_pos = 0;
};

class ByteSink {
  public:
    virtual ~ByteSink() = default;
    virtual bool Write(const void* data, size_t n) = 0;
    virtual bool WriteAt(uint64_t offset, const void* data, size_t n) = 0;
    virtual uint64_t Position() const = 0;
    virtual bool Finish() = 0;  // flushes everything; false when anything failed
    // errno of the first failure (ENOSPC, EIO, ...); 0 when none is known.
    virtual int ErrorNumber() const { return 0; }
    // Room for the next n bytes, filled in place and then written by Commit(n); nothing else
    // may be written in between. This one stages the bytes and writes them at Commit.
    virtual uint8_t* Claim(size_t n);
    virtual bool Commit(size_t n);

  private:
    std::vector<uint8_t> m_staged;
};

class MemorySink : public ByteSink {
  public:
    bool Write(const void* data, size_t n) override;
    bool WriteAt(uint64_t offset, const void* data, size_t n) override;
    uint64_t Position() const override { return m_bytes.size(); }
    bool Finish() override { return !m_failed; }
    int ErrorNumber() const override;
    // Tests: every write after this many bytes fails, as on a full disk.
    void FailAfter(uint64_t bytes) { m_limit = bytes; }
    std::vector<uint8_t>& Bytes() { return m_bytes; }

  private:
    std::vector<uint8_t> m_bytes;
    uint64_t m_limit = UINT64_MAX;
    bool m_failed = false;
};

class FileSink : public ByteSink {
  public:
    // Takes over a descriptor open for writing; null with errno on failure (fd is closed).
    static std::unique_ptr<FileSink> FromDescriptor(int fd);
    ~FileSink() override;
    bool Write(const void* data, size_t n) override;
    bool WriteAt(uint64_t offset, const void* data, size_t n) override;
    uint64_t Position() const override { return m_pos; }
    bool Finish() override;
    int ErrorNumber() const override { return m_error; }
    // Finish also waits until the bytes are on the disk.
    void SyncOnFinish() { m_sync = true; }
    // Writes go straight to the system, for a caller that writes large blocks itself; only
    // before the first write.
    void Unbuffered();

  private:
    explicit FileSink(std::FILE* f) : m_file(f) {}
    bool Fail();
    static constexpr size_t kBufferSize = 1u << 20;
    std::unique_ptr<char[]> m_buffer;  // outlives the fclose in the destructor
    std::FILE* m_file;
    uint64_t m_pos = 0;
    int m_error = 0;
    bool m_failed = false;
    bool m_sync = false;
};

}  // namespace asf
