// Template 102 against the window's tables: the mistakes that are easy to
// make and hard to see (a repeated id, a transposed number, a lost blank).
#include "platform/resources.h"
#include "res/program_resources.h"
#include "res/resource_ids.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {

const DialogTemplate& mainTemplate() {
  const ResourceTable* table = programInstance();
  for (int i = 0; i < table->dialogCount; ++i) {
    if (table->dialogs[i].id == IDD_MAIN) return table->dialogs[i];
  }
  ADD_FAILURE() << "no template " << IDD_MAIN;
  return table->dialogs[0];
}

std::vector<DialogItemTemplate> itemsOf(const DialogTemplate& dialog) {
  return {dialog.items, dialog.items + dialog.itemCount};
}

const DialogItemTemplate* item(int id) {
  const DialogTemplate& dialog = mainTemplate();
  for (int i = 0; i < dialog.itemCount; ++i) {
    if (dialog.items[i].id == id) return &dialog.items[i];
  }
  return nullptr;
}

struct Box {
  short x, y, cx, cy;
};

void expectBox(int id, Box box) {
  const DialogItemTemplate* control = item(id);
  ASSERT_NE(control, nullptr) << id;
  EXPECT_EQ(control->x, box.x) << id;
  EXPECT_EQ(control->y, box.y) << id;
  EXPECT_EQ(control->cx, box.cx) << id;
  EXPECT_EQ(control->cy, box.cy) << id;
}

bool isClass(const DialogItemTemplate& control, const char* className) {
  return std::strcmp(control.className, className) == 0;
}

const std::vector<int> channelBoxes = {IDC_PAIR_1,    IDC_PAIR_3,    IDC_PAIR_2,    IDC_PAIR_4,         IDC_SUBBOTTOM,
                                       IDC_CHANNEL_1, IDC_CHANNEL_2, IDC_CHANNEL_3, IDC_CHANNEL_4,      IDC_CHANNEL_5,
                                       IDC_CHANNEL_6, IDC_CHANNEL_7, IDC_CHANNEL_8, IDC_REVERSE_SAMPLES};

}  // namespace

TEST(ResDialogTemplate, WindowIsAFixedCaptionWindowOfTheProgramsClass) {
  const DialogTemplate& dialog = mainTemplate();
  EXPECT_EQ(dialog.style, WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | DS_MODALFRAME | DS_SETFONT);
  EXPECT_EQ(dialog.style & WS_VISIBLE, 0u);
  EXPECT_EQ(dialog.x, 0);
  EXPECT_EQ(dialog.y, 0);
  EXPECT_EQ(dialog.cx, 372);
  EXPECT_EQ(dialog.cy, 295);
  EXPECT_STREQ(dialog.fontName, "MS Sans Serif");
  EXPECT_EQ(dialog.fontPointSize, 8);
  EXPECT_STREQ(dialog.className, "VESKCONV");
  EXPECT_EQ(dialog.menuId, IDM_MAIN);
  EXPECT_STREQ(dialog.caption, "");
}

TEST(ResDialogTemplate, EveryControlIdIsPresentOnce) {
  const std::vector<int> ids = {IDC_SONAR_FILE_NAME,
                                IDC_BROWSE_SONAR,
                                IDC_CHANNEL_LIST,
                                IDC_SONAR_PING_COUNT,
                                IDC_PAIR_1,
                                IDC_PAIR_3,
                                IDC_PAIR_2,
                                IDC_PAIR_4,
                                IDC_SUBBOTTOM,
                                IDC_CHANNEL_1,
                                IDC_CHANNEL_2,
                                IDC_CHANNEL_3,
                                IDC_CHANNEL_4,
                                IDC_CHANNEL_5,
                                IDC_CHANNEL_6,
                                IDC_CHANNEL_7,
                                IDC_CHANNEL_8,
                                IDC_REVERSE_SAMPLES,
                                IDC_SHIP,
                                IDC_SENSOR,
                                IDC_SEGY_FILE_NAME,
                                IDC_BROWSE_SEGY,
                                IDC_BIG_ENDIAN,
                                IDC_LITTLE_ENDIAN,
                                IDC_PING_NUMBER,
                                IDC_VERBOSE,
                                IDC_SHIP_POSITION_1,
                                IDC_SHIP_POSITION_2,
                                IDC_PROCESS,
                                IDC_SENSOR_POSITION_1,
                                IDC_SENSOR_POSITION_2,
                                IDC_STATUS,
                                IDC_EXIT,
                                IDC_PROGRESS};
  const auto items = itemsOf(mainTemplate());
  for (int id : ids) {
    EXPECT_EQ(std::count_if(items.begin(), items.end(), [id](const auto& i) { return i.id == id; }), 1) << id;
  }
  const auto withId = std::count_if(items.begin(), items.end(), [](const auto& i) { return i.id != NO_CONTROL_ID; });
  EXPECT_EQ(withId, static_cast<long>(ids.size()));
}

TEST(ResDialogTemplate, PositionsMatchTheWindowTables) {
  expectBox(IDC_BROWSE_SONAR, {320, 10, 46, 125});
  expectBox(IDC_CHANNEL_LIST, {135, 25, 175, 32});
  expectBox(IDC_PAIR_3, {225, 75, 68, 10});
  expectBox(IDC_PAIR_2, {135, 85, 85, 10});
  expectBox(IDC_CHANNEL_7, {135, 116, 25, 10});
  expectBox(IDC_REVERSE_SAMPLES, {214, 116, 94, 10});
  expectBox(IDC_BROWSE_SEGY, {320, 151, 46, 32});
  expectBox(IDC_VERBOSE, {320, 199, 46, 12});
  expectBox(IDC_PROCESS, {320, 215, 46, 27});
  expectBox(IDC_SENSOR_POSITION_2, {225, 231, 85, 12});
  expectBox(IDC_STATUS, {45, 260, 265, 12});
  expectBox(IDC_PROGRESS, {45, 279, 265, 11});
}

TEST(ResDialogTemplate, EveryItemLiesInsideTheWindow) {
  const DialogTemplate& dialog = mainTemplate();
  for (const auto& i : itemsOf(dialog)) {
    EXPECT_GE(i.x, 0) << i.text << " " << i.id;
    EXPECT_GE(i.y, 0) << i.text << " " << i.id;
    EXPECT_GT(i.cx, 0) << i.text << " " << i.id;
    EXPECT_GT(i.cy, 0) << i.text << " " << i.id;
    EXPECT_LE(i.x + i.cx, dialog.cx) << i.text << " " << i.id;
    EXPECT_LE(i.y + i.cy, dialog.cy) << i.text << " " << i.id;
  }
}

TEST(ResDialogTemplate, OnlyTheChannelChoiceStartsDisabled) {
  for (const auto& i : itemsOf(mainTemplate())) {
    const bool channelBox = std::find(channelBoxes.begin(), channelBoxes.end(), i.id) != channelBoxes.end();
    EXPECT_EQ((i.style & WS_DISABLED) != 0, channelBox) << i.text << " " << i.id;
  }
}

TEST(ResDialogTemplate, BoxTextsKeepTheirBlanks) {
  EXPECT_STREQ(item(IDC_PAIR_1)->text, "Sonar 1 and 2");
  EXPECT_STREQ(item(IDC_PAIR_2)->text, "Sonar 3 and 4");
  EXPECT_STREQ(item(IDC_PAIR_3)->text, "Sonar  5 and 6");
  EXPECT_STREQ(item(IDC_PAIR_4)->text, "Sonar  7 and 8");
  EXPECT_STREQ(item(IDC_REVERSE_SAMPLES)->text, "Reverse Samples Order");
  EXPECT_STREQ(item(IDC_BIG_ENDIAN)->text, "MOTOROLA / Big Endian");
  EXPECT_STREQ(item(IDC_LITTLE_ENDIAN)->text, "INTEL / Little Endian");
}

TEST(ResDialogTemplate, MarksAreNeverAutomatic) {
  for (int id : channelBoxes) {
    EXPECT_EQ(item(id)->style & BS_TYPEMASK, BS_CHECKBOX) << id;
  }
  for (int id : {IDC_SHIP, IDC_SENSOR, IDC_BIG_ENDIAN, IDC_LITTLE_ENDIAN}) {
    EXPECT_EQ(item(id)->style & BS_TYPEMASK, BS_RADIOBUTTON) << id;
  }
  EXPECT_NE(item(IDC_SHIP)->style & WS_GROUP, 0u);
  EXPECT_EQ(item(IDC_SENSOR)->style & WS_GROUP, 0u);
  EXPECT_NE(item(IDC_BIG_ENDIAN)->style & WS_GROUP, 0u);
  EXPECT_EQ(item(IDC_LITTLE_ENDIAN)->style & WS_GROUP, 0u);

  const DWORD verbose = item(IDC_VERBOSE)->style;
  EXPECT_EQ(verbose & BS_TYPEMASK, BS_CHECKBOX);
  EXPECT_NE(verbose & BS_PUSHLIKE, 0u);
  EXPECT_NE(verbose & BS_FLAT, 0u);
  EXPECT_EQ(item(IDC_EXIT)->style & BS_TYPEMASK, BS_DEFPUSHBUTTON);
  EXPECT_EQ(item(IDC_PROCESS)->style & BS_TYPEMASK, BS_PUSHBUTTON);
}

TEST(ResDialogTemplate, FieldsAreSunkenAndAlignedAsTheyRead) {
  for (int id : {IDC_SONAR_FILE_NAME, IDC_SEGY_FILE_NAME, IDC_STATUS}) {
    EXPECT_EQ(item(id)->style & (SS_TYPEMASK | SS_SUNKEN | SS_CENTERIMAGE), SS_LEFT | SS_SUNKEN | SS_CENTERIMAGE) << id;
  }
  for (int id : {IDC_SONAR_PING_COUNT, IDC_PING_NUMBER, IDC_SHIP_POSITION_1, IDC_SHIP_POSITION_2, IDC_SENSOR_POSITION_1,
                 IDC_SENSOR_POSITION_2}) {
    EXPECT_EQ(item(id)->style & (SS_TYPEMASK | SS_SUNKEN | SS_CENTERIMAGE), SS_CENTER | SS_SUNKEN | SS_CENTERIMAGE)
        << id;
  }
  // The channel list wraps over several lines, so it is not centred vertically.
  EXPECT_EQ(item(IDC_CHANNEL_LIST)->style & (SS_TYPEMASK | SS_SUNKEN | SS_CENTERIMAGE), SS_CENTER | SS_SUNKEN);
  EXPECT_STREQ(item(IDC_PROGRESS)->className, CLASS_PROGRESS);
}

TEST(ResDialogTemplate, LabelsAreRightAlignedStaticsWithoutIds) {
  std::vector<std::string> labels;
  for (const auto& i : itemsOf(mainTemplate())) {
    if (i.id != NO_CONTROL_ID || i.text[0] == '\0') continue;
    EXPECT_TRUE(isClass(i, CLASS_STATIC)) << i.text;
    labels.emplace_back(i.text);
    if (labels.back() == "VSK Progress") {
      EXPECT_EQ(i.style & (SS_TYPEMASK | SS_CENTERIMAGE), SS_LEFT | SS_CENTERIMAGE);
    } else {
      EXPECT_EQ(i.style & SS_TYPEMASK, SS_RIGHT) << i.text;
      EXPECT_EQ(i.x, 45) << i.text;
      EXPECT_EQ(i.cx, 85) << i.text;
      // One line high labels sit centred beside their field.
      EXPECT_EQ((i.style & SS_CENTERIMAGE) != 0, i.cy == 12) << i.text;
    }
  }
  const std::vector<std::string> expected = {
      "VSK File Name :",    "Available Channels :", "Ping Count :",      "Channels Set :",
      "Specific Channel :", "Coordinates :",        "SEGY File Name :",  "Data Format :",
      "Ping Count :",       "Ship Position :",      "Sensor Position :", "VSK Progress"};
  EXPECT_EQ(labels, expected);
}

TEST(ResDialogTemplate, FourBandsEachWithAFramedIcon) {
  std::vector<int> lines;
  std::vector<DialogItemTemplate> frames;
  std::vector<DialogItemTemplate> icons;
  for (const auto& i : itemsOf(mainTemplate())) {
    switch (i.style & SS_TYPEMASK) {
      case SS_ETCHEDHORZ:
        EXPECT_EQ(i.x, 0);
        EXPECT_EQ(i.cx, 372);
        EXPECT_EQ(i.cy, 1);
        lines.push_back(i.y);
        break;
      case SS_ETCHEDFRAME:
        frames.push_back(i);
        break;
      case SS_ICON:
        if (isClass(i, CLASS_STATIC)) icons.push_back(i);
        break;
      default:
        break;
    }
  }
  EXPECT_EQ(lines, (std::vector<int>{0, 140, 191, 250}));
  ASSERT_EQ(frames.size(), 4u);
  ASSERT_EQ(icons.size(), 4u);
  const int iconIds[] = {IDI_BAND_1, IDI_BAND_2, IDI_BAND_3, IDI_BAND_INFO};
  for (std::size_t band = 0; band < 4; ++band) {
    const auto& frame = frames[band];
    const auto& icon = icons[band];
    EXPECT_EQ(icon.iconId, iconIds[band]);
    EXPECT_EQ(icon.cx, 20);
    EXPECT_EQ(icon.cy, 20);
    EXPECT_EQ(frame.x, 5);
    EXPECT_EQ(frame.cx, 35);
    EXPECT_GE(icon.x, frame.x);
    EXPECT_GE(icon.y, frame.y);
    EXPECT_LE(icon.x + icon.cx, frame.x + frame.cx);
    EXPECT_LE(icon.y + icon.cy, frame.y + frame.cy) << band;
    // The frame sits inside its band, between two etched lines.
    EXPECT_GT(frame.y, lines[band]);
    if (band + 1 < 4) {
      EXPECT_LT(frame.y + frame.cy, lines[band + 1]);
    }
  }
}
