#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <map>
#include <string>

#include "i18n/language_keys.h"
#include "i18n/locale_table.h"
#include "resources/dialog_templates.h"
#include "resources/menu_resources.h"
#include "resources/string_table.h"

namespace {

// The built-in text each key row stands for, from the resources it names.
std::map<int, std::string> DialogBuiltIns() {
    std::map<int, std::string> texts;
    for (int id : {100, 102}) {
        const auto* t = resources::FindDialogTemplate(id);
        texts[id] = t->caption;
        for (const auto& c : t->controls)
            if (c.id > 0) texts[c.id] = c.text;
    }
    return texts;
}

std::map<int, std::string> MenuBuiltIns() {
    std::map<int, std::string> texts;
    const auto& popup = resources::FindMenu(264)->items[0];
    for (const auto& item : popup.children)
        texts[item.isSubmenu ? (264 << 16) : item.id] = item.text;
    return texts;
}

TEST(KeyTable, EveryRowNamesABuiltInTextOfItsSection) {
    auto dialogs = DialogBuiltIns();
    auto menus = MenuBuiltIns();
    EXPECT_EQ(std::size(kLanguageKeys), 61u);
    for (const LanguageKey& row : kLanguageKeys) {
        std::string prefix(row.key, 3);
        if (prefix == "IDS") {
            EXPECT_NE(resources::FindString(row.id), nullptr) << row.key;
        } else if (prefix == "IDM") {
            EXPECT_TRUE(menus.count(row.id)) << row.key;
        } else if (row.id >= 224 && row.id <= 241) {
            // Dialog keys whose ids are string numbers with no control behind them.
            EXPECT_EQ(dialogs.count(row.id), 0u) << row.key;
            EXPECT_NE(resources::FindString(row.id), nullptr) << row.key;
        } else {
            ASSERT_TRUE(prefix == "IDD" || prefix == "IDC") << row.key;
            EXPECT_TRUE(dialogs.count(row.id)) << row.key << " " << row.id;
        }
    }
    EXPECT_EQ(menus[264 << 16], "&Language");
    EXPECT_EQ(dialogs[1016], "Splicora");
    EXPECT_EQ(dialogs[100], "About Splicora");
}

TEST(LocaleTable, RowsKeepTheirOrderAndIdentifiers) {
    auto rows = LocaleTable();
    ASSERT_EQ(rows.size(), 273u);
    EXPECT_STREQ(rows.front().name, "Afrikaans");
    EXPECT_STREQ(rows.back().name, "Yoruba_Nigeria");
    std::map<std::string, uint16_t> telling = {{"Afrikaans", 0x0036},
                                               {"Afrikaans_South_Africa", 0x0436},
                                               {"Arabic", 0x0001},
                                               {"Arabic_Saudi_Arabia", 0x0401},
                                               {"Chinese_Peoples_Republic_of_China", 0x0804},
                                               {"Chinese_Simplified", 0x0004},
                                               {"Chinese_Taiwan", 0x0404},
                                               {"Chinese_Traditional", 0x7C04},
                                               {"English", 0x0009},
                                               {"English_United_Kingdom)", 0x0809},
                                               {"English_United_States", 0x0409},
                                               {"German", 0x0007},
                                               {"Japanese", 0x0011},
                                               {"Serbian", 0x7C1A},
                                               {"Spanish_Spain", 0x0C0A},
                                               {"Yoruba_Nigeria", 0x046A},
                                               {"Spanish_United States", 0x540A}};
    size_t found = 0;
    for (const LocaleEntry& row : rows) {
        std::string name = row.name;
        EXPECT_LE(name.size(), 63u);
        ASSERT_EQ(std::strlen(row.abbreviation), 3u) << name;
        for (int i = 0; i < 3; ++i) EXPECT_TRUE(std::isupper(row.abbreviation[i])) << name;
        if (auto it = telling.find(name); it != telling.end()) {
            EXPECT_EQ(row.langId, it->second) << name;
            ++found;
        }
        bool bare = name.find_first_of("_ ") == std::string::npos;
        if (bare && name != "Serbian") {
            EXPECT_EQ(row.langId >> 10, 0) << name;
        }
        if (!bare && name != "Chinese_Simplified") {
            EXPECT_NE(row.langId >> 10, 0) << name;
        }
    }
    EXPECT_EQ(found, telling.size());
}

}  // namespace
