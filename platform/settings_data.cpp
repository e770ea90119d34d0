#include <algorithm>
#include <cstdio>
#include <iterator>
#include <sstream>

#include "platform/settings_store.h"
#include "text/case_blind.h"
#include "text/escape.h"

namespace platform {

namespace {

std::string Trim(const std::string& s) {
    size_t b = s.find_first_not_of(" \t\r");
    if (b == std::string::npos) return "";
    size_t e = s.find_last_not_of(" \t\r");
    return s.substr(b, e - b + 1);
}

std::string Escape(const std::string& value) {
    std::string out = "\"";
    text::AppendEscaped(out, value, false);
    return out + "\"";
}

std::optional<std::string> Unescape(const std::string& quoted) {
    if (quoted.size() < 2 || quoted.front() != '"' || quoted.back() != '"') return std::nullopt;
    std::string out;
    for (size_t i = 1; i + 1 < quoted.size(); ++i) {
        char c = quoted[i];
        if (c != '\\') {
            out += c;
            continue;
        }
        if (i + 2 >= quoted.size()) return std::nullopt;
        switch (quoted[++i]) {
            case '\\':
                out += '\\';
                break;
            case '"':
                out += '"';
                break;
            case 'n':
                out += '\n';
                break;
            case 'r':
                out += '\r';
                break;
            case 't':
                out += '\t';
                break;
            default:
                return std::nullopt;
        }
    }
    return out;
}

std::optional<int32_t> ParseDword(const std::string& value) {
    const std::string prefix = "dword:";
    if (value.size() != prefix.size() + 8 || value.compare(0, prefix.size(), prefix) != 0)
        return std::nullopt;
    uint32_t n = 0;
    for (size_t i = prefix.size(); i < value.size(); ++i) {
        char c = value[i];
        int d = c >= '0' && c <= '9'   ? c - '0'
                : c >= 'a' && c <= 'f' ? c - 'a' + 10
                : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                       : -1;
        if (d < 0) return std::nullopt;
        n = n << 4 | uint32_t(d);
    }
    return static_cast<int32_t>(n);
}

}  // namespace

const SettingValue* CSettingsData::Find(const std::string& section, const std::string& key) const {
    for (const Section& s : m_sections) {
        if (s.name.empty() || !text::SameIgnoringCase(s.name, section)) continue;
        for (const Entry& e : s.entries)
            if (!e.key.empty() && text::SameIgnoringCase(e.key, key)) return &e.value;
    }
    return nullptr;
}

std::string CSettingsData::String(const std::string& section, const std::string& key,
                                  const std::string& defaultValue) const {
    const SettingValue* v = Find(section, key);
    return v && !v->isInt ? v->text : defaultValue;
}

int32_t CSettingsData::Integer(const std::string& section, const std::string& key,
                               int32_t defaultValue) const {
    const SettingValue* v = Find(section, key);
    return v ? AsInteger(*v).value_or(defaultValue) : defaultValue;
}

void CSettingsData::Set(const std::string& section, const std::string& key,
                        const SettingValue& value) {
    Section* first = nullptr;
    for (Section& s : m_sections) {
        if (s.name.empty() || !text::SameIgnoringCase(s.name, section)) continue;
        if (!first) first = &s;
        for (Entry& e : s.entries) {
            if (e.key.empty() || !text::SameIgnoringCase(e.key, key)) continue;
            e.value = value;
            e.line.reset();
            return;
        }
    }
    if (!first) first = &m_sections.emplace_back(Section{section, std::nullopt, {}});
    // A new key joins the section's values, ahead of the comments and blank lines after them.
    auto at = first->entries.end();
    while (at != first->entries.begin() && std::prev(at)->key.empty()) --at;
    first->entries.insert(at, Entry{key, value, std::nullopt});
}

CSettingsData CSettingsData::Parse(const std::string& text) {
    CSettingsData data;
    std::istringstream lines(text);
    std::string line;
    data.m_sections.push_back(Section{"", std::nullopt, {}});
    while (std::getline(lines, line)) {
        std::string trimmed = Trim(line);
        if (!trimmed.empty() && trimmed.front() == '[' && trimmed.back() == ']') {
            data.m_sections.push_back(
                Section{Trim(trimmed.substr(1, trimmed.size() - 2)), line, {}});
            continue;
        }
        Section& current = data.m_sections.back();
        size_t eq = trimmed.find('=');
        std::string key = eq == std::string::npos ? "" : Trim(trimmed.substr(0, eq));
        if (current.name.empty() || trimmed.empty() || trimmed[0] == ';' || key.empty()) {
            current.entries.push_back(Entry{"", {}, line});
            continue;
        }
        std::string raw = Trim(trimmed.substr(eq + 1));
        SettingValue value;
        if (auto n = ParseDword(raw)) {
            value.isInt = true;
            value.number = *n;
        } else if (auto s = Unescape(raw)) {
            value.text = *s;
        } else {
            value.text = raw;  // written by hand, without quotes
        }
        current.entries.push_back(Entry{key, value, line});
    }
    return data;
}

std::string CSettingsData::Render() const {
    std::string out;
    for (const Section& s : m_sections) {
        if (s.header) {
            out += *s.header + "\n";
        } else if (!s.name.empty()) {
            if (!out.empty() &&
                out.compare(out.size() - std::min<size_t>(out.size(), 2), 2, "\n\n") != 0)
                out += "\n";
            out += "[" + s.name + "]\n";
        }
        for (const Entry& e : s.entries) {
            if (e.line) {
                out += *e.line + "\n";
                continue;
            }
            out += e.key + "=";
            if (e.value.isInt) {
                char hex[16];
                std::snprintf(hex, sizeof hex, "dword:%08x", static_cast<uint32_t>(e.value.number));
                out += hex;
            } else {
                out += Escape(e.value.text);
            }
            out += "\n";
        }
    }
    return out;
}

std::optional<int32_t> AsInteger(const SettingValue& value) {
    if (value.isInt) return value.number;
    const std::string& t = value.text;
    size_t i = t.size() > 1 && (t[0] == '-' || t[0] == '+') ? 1 : 0;
    if (i == t.size() || t.size() - i > 10) return std::nullopt;
    int64_t n = 0;
    for (; i < t.size(); ++i) {
        if (t[i] < '0' || t[i] > '9') return std::nullopt;
        n = n * 10 + (t[i] - '0');
    }
    if (t[0] == '-') n = -n;
    // Up to 32 bits, as a registry DWORD holds them.
    if (n < INT32_MIN || n > int64_t(UINT32_MAX)) return std::nullopt;
    return static_cast<int32_t>(static_cast<uint32_t>(n));
}

}  // namespace platform
