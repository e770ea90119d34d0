#include "platform/ini_reader.h"

#include <cstring>

#include "text/case_blind.h"
#include "text/utf.h"

namespace platform {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

// A UTF-16 file's text as UTF-8 for display; an odd last byte is dropped.
std::string Utf16ToUtf8(std::string_view bytes, bool bigEndian) {
    std::u16string units(bytes.size() / 2, u'\0');
    for (size_t i = 0; i < units.size(); ++i) {
        auto b0 = static_cast<unsigned char>(bytes[2 * i]);
        auto b1 = static_cast<unsigned char>(bytes[2 * i + 1]);
        units[i] = static_cast<char16_t>(bigEndian ? (b0 << 8 | b1) : (b1 << 8 | b0));
    }
    return text::Utf16ToDisplayUtf8(units);
}

// Length of the longest prefix of s, at most limit bytes, that ends on a UTF-8 character boundary.
size_t CutAtCharacter(std::string_view s, size_t limit) {
    if (s.size() <= limit) return s.size();
    size_t n = limit;
    // Step back over continuation bytes of the character the cut would split.
    size_t back = 0;
    while (n > 0 && back < 3 && (static_cast<unsigned char>(s[n]) & 0xC0) == 0x80) {
        --n;
        ++back;
    }
    if (back == 3 && (static_cast<unsigned char>(s[n]) & 0xC0) == 0x80) return limit;  // not UTF-8
    return n;
}

}  // namespace

std::string DecodeProfileText(std::string_view bytes) {
    auto starts = [&](const char* bom, size_t n) {
        return bytes.size() >= n && std::memcmp(bytes.data(), bom, n) == 0;
    };
    if (starts("\xFF\xFE", 2)) return Utf16ToUtf8(bytes.substr(2), false);
    if (starts("\xFE\xFF", 2)) return Utf16ToUtf8(bytes.substr(2), true);
    if (starts("\xEF\xBB\xBF", 3)) return std::string(bytes.substr(3));
    return std::string(bytes);
}

std::optional<std::string> FindProfileValue(std::string_view text, std::string_view section,
                                            std::string_view key) {
    section = Trim(section);
    key = Trim(key);
    bool seenSection = false;
    bool inSection = false;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find_first_of("\r\n", pos);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = Trim(text.substr(pos, end - pos));
        pos = end + 1;
        if (line.empty() || line.front() == ';') continue;
        if (line.front() == '[') {
            if (inSection) return std::nullopt;  // only the first matching section counts
            size_t close = line.find(']');
            std::string_view name = Trim(line.substr(
                1, close == std::string_view::npos ? std::string_view::npos : close - 1));
            inSection = !seenSection && text::SameIgnoringCase(name, section);
            seenSection = seenSection || inSection;
            continue;
        }
        if (!inSection) continue;
        size_t eq = line.find('=');
        if (eq == std::string_view::npos) continue;
        if (!text::SameIgnoringCase(Trim(line.substr(0, eq)), key)) continue;
        std::string_view value = Trim(line.substr(eq + 1));
        if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
            value.back() == value.front())
            value = value.substr(1, value.size() - 2);
        return std::string(value);
    }
    return std::nullopt;
}

size_t CopyProfileValue(std::string_view value, char* buffer, size_t size) {
    if (!buffer || size == 0) return 0;
    size_t n = CutAtCharacter(value, size - 1);
    std::memcpy(buffer, value.data(), n);
    buffer[n] = '\0';
    return n;
}

}  // namespace platform
