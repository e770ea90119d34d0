// Every shipped language file parses, has every key of English.ini, and carries no stray escape.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "fakes/recording_message_box.h"
#include "i18n/language_keys.h"
#include "i18n/language_table.h"
#include "platform/message_box.h"
#include "platform/services.h"
#include "resources/string_table.h"

namespace {

namespace fs = std::filesystem;

struct ParsedFile {
    std::map<std::string, std::map<std::string, std::string>> sections;
    std::vector<std::string> problems;
};

bool IsValidUtf8(const std::string& s) {
    for (size_t i = 0; i < s.size();) {
        auto c = static_cast<unsigned char>(s[i]);
        size_t n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
        if (n == 0 || i + n > s.size()) return false;
        for (size_t k = 1; k < n; ++k)
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
        i += n;
    }
    return true;
}

// A strict reading: every line is blank, a comment, a known section or key=value.
ParsedFile Parse(const fs::path& path) {
    ParsedFile parsed;
    std::ifstream in(path, std::ios::binary);
    std::stringstream all;
    all << in.rdbuf();
    if (!IsValidUtf8(all.str())) parsed.problems.push_back("not UTF-8");
    std::string line, section;
    int number = 0;
    while (std::getline(all, line)) {
        ++number;
        std::string where = path.filename().string() + ":" + std::to_string(number);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == ';') continue;
        if (line[0] == '[') {
            section = line.substr(1, line.find(']') - 1);
            if (section != "STRING" && section != "MENU" && section != "DIALOG")
                parsed.problems.push_back(where + " unknown section " + section);
            continue;
        }
        size_t eq = line.find('=');
        if (eq == std::string::npos || section.empty()) {
            parsed.problems.push_back(where + " not key=value in a section");
            continue;
        }
        std::string key = line.substr(0, eq);
        if (!parsed.sections[section].emplace(key, line.substr(eq + 1)).second)
            parsed.problems.push_back(where + " repeats " + key);
    }
    return parsed;
}

std::string SectionOf(const std::string& key) {
    std::string prefix = key.substr(0, 3);
    if (prefix == "IDS") return "STRING";
    if (prefix == "IDM" || prefix == "IDR") return "MENU";
    return "DIALOG";
}

std::vector<fs::path> ShippedFiles() {
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(SPLICORA_LANGUAGE_DIR))
        if (entry.path().extension() == ".ini") files.push_back(entry.path());
    return files;
}

TEST(ShippedLanguageFiles, EnglishRepeatsTheBuiltInStrings) {
    ParsedFile english = Parse(fs::path(SPLICORA_LANGUAGE_DIR) / "English.ini");
    EXPECT_TRUE(english.problems.empty());
    for (const auto& [key, value] : english.sections["STRING"]) {
        for (const LanguageKey& row : kLanguageKeys) {
            if (key == row.key) {
                EXPECT_STREQ(resources::FindString(row.id), value.c_str()) << key;
            }
        }
    }
}

TEST(ShippedLanguageFiles, EveryFileHasEnglishKeysAndNothingMalformed) {
    std::set<std::string> known;
    for (const LanguageKey& row : kLanguageKeys) known.insert(row.key);
    ParsedFile english = Parse(fs::path(SPLICORA_LANGUAGE_DIR) / "English.ini");
    std::vector<fs::path> files = ShippedFiles();
    EXPECT_GE(files.size(), 7u);

    platform::RecordingMessageBox box;
    platform::Services fakes;
    fakes.messageBox = &box;
    platform::ScopedServices installed(fakes);
    for (const fs::path& file : files) {
        SCOPED_TRACE(file.filename().string());
        ParsedFile parsed = Parse(file);
        for (const std::string& problem : parsed.problems) ADD_FAILURE() << problem;
        for (const auto& [section, keys] : english.sections)
            for (const auto& [key, value] : keys)
                EXPECT_NE(parsed.sections[section][key], "") << key << " missing or empty";
        for (const auto& [section, keys] : parsed.sections) {
            for (const auto& [key, value] : keys) {
                EXPECT_TRUE(known.count(key)) << key << " is no key of the table";
                EXPECT_EQ(SectionOf(key), section) << key;
                std::string text = value;
                CLanguageTable::Unescape(text);
                EXPECT_EQ(text.find('\\'), std::string::npos) << key << " stray escape";
                // Some texts become printf formats (the overwrite question).
                EXPECT_EQ(text.find('%'), std::string::npos) << key;
                EXPECT_EQ(text, std::string(text.c_str())) << key;
            }
        }
        // The file name resolves to a locale: no "file name may be not proper" message.
        CLanguageTable table;
        std::string name = file.stem().string(), locale;
        int primary = 0, sub = 0;
        table.m_encoding = table.GetEncodingKind(name);
        EXPECT_TRUE(table.ResolveLocale(name, locale, primary, sub));
    }
}

TEST(ShippedLanguageFiles, TranslationsLoadThroughTheTable) {
    platform::RecordingMessageBox box;
    platform::Services fakes;
    fakes.messageBox = &box;
    platform::ScopedServices installed(fakes);
    CLanguageTable table;
    ASSERT_TRUE(table.Initialize(fs::path(SPLICORA_LANGUAGE_DIR).parent_path().string(), "German"));
    EXPECT_EQ(table.GetDialogText(1008), "&Zusammenfügen");  // & marks the Alt key letter
    std::string name = "chinese_simplified_UTF-8";
    table.SelectLanguage(name);
    EXPECT_EQ(table.GetCurrentLanguage(), "chinese_simplified_UTF-8");
    EXPECT_EQ(table.GetString(208), "警告");
    EXPECT_EQ(table.m_primaryLanguage, 4);
    EXPECT_TRUE(box.calls.empty());
}

}  // namespace
