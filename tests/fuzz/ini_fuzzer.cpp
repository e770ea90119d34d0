// Language files: the INI reader over the input as a file, keys the program reads, values cut to
// a buffer, then unescaped. A value read is the start of the one in the text, a copy never passes
// its buffer and is terminated, decoding at most grows by half and unescaping never lengthens.

#include <iterator>
#include <optional>
#include <string>

#include "fuzz_check.h"
#include "i18n/language_keys.h"
#include "i18n/language_table.h"
#include "platform/ini_reader.h"
#include "scratch_file.h"

namespace {

const ScratchFile& WorkFile() {
    static ScratchFile file("language.ini");
    return file;
}

const char* SectionOf(const char* key) {
    std::string_view prefix = std::string_view(key).substr(0, 3);
    if (prefix == "IDS") return "STRING";
    if (prefix == "IDM" || prefix == "IDR") return "MENU";
    return "DIALOG";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    std::string text = platform::DecodeProfileText(bytes);
    FUZZ_CHECK(text.size() <= size / 2 * 3 + 4);

    // Keys of the program's table, through the same call as a language load; which ones
    // depends on the input's size, so that every key gets its turn.
    WorkFile().Write(data, size);
    CLanguageTable table;
    table.m_filePath = WorkFile().Path();
    constexpr size_t kKeys = std::size(kLanguageKeys);
    for (size_t i : {size % kKeys, size / kKeys % kKeys}) {
        const LanguageKey& row = kLanguageKeys[i];
        std::string value = table.ReadValue(SectionOf(row.key), row.key, "");
        FUZZ_CHECK(value.size() < 2048);
        std::optional<std::string> direct =
            platform::FindProfileValue(text, SectionOf(row.key), row.key);
        FUZZ_CHECK(direct ? direct->compare(0, value.size(), value) == 0 : value.empty());
        size_t before = value.size();
        CLanguageTable::Unescape(value);
        FUZZ_CHECK(value.size() <= before);
    }

    // A section and key named by the input's first line, cut into buffers of every small size.
    std::string_view first = std::string_view(text).substr(0, text.find_first_of("\r\n"));
    size_t split = first.find('/');
    std::string_view section = first.substr(0, split == std::string_view::npos ? 0 : split);
    std::string_view key = split == std::string_view::npos ? first : first.substr(split + 1);
    std::optional<std::string> value = platform::FindProfileValue(text, section, key);
    if (value) {
        for (size_t n = 1; n <= 8 && n <= value->size() + 1; ++n) {
            std::string buffer(n + 1, '\x7f');
            size_t copied = platform::CopyProfileValue(*value, buffer.data(), n);
            FUZZ_CHECK(copied < n && buffer[copied] == '\0' && buffer[n] == '\x7f');
            FUZZ_CHECK(value->compare(0, copied, buffer.data(), copied) == 0);
        }
        CLanguageTable::Unescape(*value);
    }
    std::string sectionText(section), keyText(key);
    char small[8];
    unsigned long room = size % sizeof small + 1;
    unsigned long copied = GetPrivateProfileStringA(
        sectionText.c_str(), keyText.c_str(), "default ", small, room, WorkFile().Path().c_str());
    FUZZ_CHECK(copied < room && small[copied] == '\0');
    return 0;
}
