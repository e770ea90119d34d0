#pragma once
// A file in a private temporary folder ($TMPDIR or /tmp), removed with the folder when the
// process ends.

#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "fuzz_check.h"

class ScratchFile {
  public:
    explicit ScratchFile(const std::string& name) {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/splicora-fuzz-XXXXXX";
        FUZZ_CHECK(mkdtemp(pattern.data()) != nullptr);
        m_folder = pattern;
        m_path = m_folder + "/" + name;
    }
    ~ScratchFile() {
        std::error_code ec;
        std::filesystem::remove_all(m_folder, ec);
    }
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;
    const std::string& Path() const { return m_path; }
    // Replaces the file's content. A new file rather than a truncated one: some file systems
    // flush a truncated file to disk when it is closed.
    void Write(const void* data, size_t size) const {
        std::error_code ec;
        std::filesystem::remove(m_path, ec);
        std::FILE* f = std::fopen(m_path.c_str(), "wb");
        FUZZ_CHECK(f != nullptr);
        FUZZ_CHECK(size == 0 || std::fwrite(data, 1, size, f) == size);
        FUZZ_CHECK(std::fclose(f) == 0);
    }

  private:
    std::string m_folder;
    std::string m_path;
};
