#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "resources/dialog_templates.h"
#include "resources/menu_resources.h"
#include "resources/resource_ids.h"
#include "resources/string_table.h"

namespace {

using resources::ControlKind;

TEST(StringTable, SortedUniqueAndFoundById) {
    int previous = 0;
    for (const auto& s : resources::StringTable()) {
        EXPECT_LT(previous, s.id);
        EXPECT_NE(std::string(s.text), "");
        previous = s.id;
    }
    EXPECT_STREQ(resources::FindString(101), "&About");
    EXPECT_STREQ(resources::FindString(224), "Stop");
    EXPECT_STREQ(resources::FindString(263), "Done");
    EXPECT_EQ(resources::FindString(1), nullptr);
    EXPECT_EQ(resources::FindString(232), nullptr);
}

TEST(DialogTemplates, MainWindowTabOrderAndTexts) {
    const auto* t = resources::FindDialogTemplate(IDD_SPLICORA_DIALOG);
    ASSERT_NE(t, nullptr);
    EXPECT_STREQ(t->caption, "Splicora");
    EXPECT_EQ(t->width, 266);
    EXPECT_EQ(t->height, 202);
    std::vector<int> tabOrder;
    std::set<int> ids;
    for (const auto& c : t->controls) {
        EXPECT_TRUE(ids.insert(c.id).second) << c.id;
        EXPECT_NE(c.kind, ControlKind::DefPushButton) << "no default button";
        if (resources::IsTabStop(c))
            tabOrder.push_back(c.id);
        else
            EXPECT_EQ(c.kind, ControlKind::StaticText);
        EXPECT_LE(c.x + c.width, t->width);
        EXPECT_LE(c.y + c.height, t->height);
    }
    EXPECT_EQ(tabOrder, (std::vector<int>{1000, 1018, 1001, 1002, 1003, 1004, 1005, 1006, 1007,
                                          1008, 1009, 1019, 1012}));
    EXPECT_EQ(ids.size(), 14u);
}

TEST(DialogTemplates, AboutBox) {
    const auto* t = resources::FindDialogTemplate(IDD_ABOUTBOX);
    ASSERT_NE(t, nullptr);
    EXPECT_STREQ(t->caption, "About Splicora");
    const auto& last = t->controls.back();
    EXPECT_EQ(last.id, 1);
    EXPECT_EQ(last.kind, ControlKind::DefPushButton);
    EXPECT_EQ(t->controls.front().kind, ControlKind::Icon);
    EXPECT_EQ(t->controls.front().iconId, IDR_MAINFRAME);
    EXPECT_EQ(resources::FindDialogTemplate(101), nullptr);
}

TEST(MenuResources, PopupMenuLayout) {
    const auto* m = resources::FindMenu(IDR_POPUP_MENU);
    ASSERT_NE(m, nullptr);
    ASSERT_EQ(m->items.size(), 1u);
    const auto& popup = m->items[0];
    EXPECT_STREQ(popup.text, "PopupMenu");
    ASSERT_EQ(popup.children.size(), 3u);
    EXPECT_TRUE(popup.children[0].isSubmenu);
    EXPECT_STREQ(popup.children[0].text, "Language");
    ASSERT_EQ(popup.children[0].children.size(), 1u);
    EXPECT_EQ(popup.children[0].children[0].text, nullptr);  // the placeholder separator
    EXPECT_EQ(popup.children[1].id, IDM_POPUPMENU_FONT);
    EXPECT_EQ(popup.children[2].id, IDM_ABOUT);
    EXPECT_EQ(resources::FindMenu(265), nullptr);
}

}  // namespace
