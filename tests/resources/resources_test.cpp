#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "resources/dialog_templates.h"
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
    EXPECT_EQ(ids.size(), 15u);  // with the list's total beside the output label
}

}  // namespace
