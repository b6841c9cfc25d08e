// Menu 103 and the resource table the program's instance stands for.
#include "platform/resources.h"
#include "res/program_resources.h"
#include "res/resource_ids.h"

#include <gtest/gtest.h>

#include <set>

TEST(ResMenu, FileAndOptionWithTheirCommands) {
  const ResourceTable* table = programInstance();
  ASSERT_EQ(table->menuCount, 1);
  const MenuTemplate& menu = table->menus[0];
  EXPECT_EQ(menu.id, IDM_MAIN);
  ASSERT_EQ(menu.popupCount, 2);

  const MenuPopupTemplate& file = menu.popups[0];
  EXPECT_STREQ(file.text, "File");
  ASSERT_EQ(file.itemCount, 4);
  EXPECT_STREQ(file.items[0].text, "Select VSK File");
  EXPECT_EQ(file.items[0].id, 40021u);
  EXPECT_STREQ(file.items[1].text, "Select SEG File");
  EXPECT_EQ(file.items[1].id, 40022u);
  EXPECT_TRUE(file.items[2].separator);
  EXPECT_EQ(file.items[2].id, 0u);
  EXPECT_STREQ(file.items[2].text, "");
  EXPECT_STREQ(file.items[3].text, "Exit");
  EXPECT_EQ(file.items[3].id, 40002u);
  for (int i : {0, 1, 3}) EXPECT_FALSE(file.items[i].separator) << i;

  const MenuPopupTemplate& option = menu.popups[1];
  EXPECT_STREQ(option.text, "Option");
  ASSERT_EQ(option.itemCount, 1);
  EXPECT_STREQ(option.items[0].text, "Enable Processing Information");
  EXPECT_EQ(option.items[0].id, 40029u);
  EXPECT_FALSE(option.items[0].separator);
}

TEST(ResTable, HoldsTheWindowTheMenuAndEveryIconOnce) {
  const ResourceTable* table = programInstance();
  ASSERT_EQ(table, programInstance());
  ASSERT_EQ(table->dialogCount, 1);
  EXPECT_EQ(table->dialogs[0].id, IDD_MAIN);
  std::multiset<int> icons;
  for (int i = 0; i < table->iconCount; ++i) {
    icons.insert(table->icons[i].id);
    EXPECT_NE(table->icons[i].xpm, nullptr);
  }
  EXPECT_EQ(icons, (std::multiset<int>{IDI_VESKCONV, IDI_BAND_1, IDI_BAND_2, IDI_BAND_3, IDI_BAND_INFO}));
}
