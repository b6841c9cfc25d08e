// The texts are the program's own, character for character: the constants
// every other test compares with are checked here against the letters.
#include "app/settings_file.h"
#include "app/ui_texts.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(Texts, StatusTextsBeginWithABlank) {
  for (const char* status : {STATUS_READY, STATUS_INITIALIZING, STATUS_QUITTING, STATUS_SELECTING_SONAR_FILE,
                             STATUS_OPENING_SONAR_FILE, STATUS_SELECTING_SEGY_FILE, STATUS_OPENING_SEGY_FILE,
                             STATUS_CHECKING_SEGY_FILE, STATUS_CHECKING_SONAR_FILE, STATUS_CONVERTING}) {
    EXPECT_EQ(status[0], ' ') << status;
  }
  EXPECT_STREQ(STATUS_SELECTING_SONAR_FILE, " Selecting VSK File");
  EXPECT_STREQ(STATUS_OPENING_SONAR_FILE, " Opening VSK File");
  EXPECT_STREQ(STATUS_SELECTING_SEGY_FILE, " Selecting SEG File");
  EXPECT_STREQ(STATUS_OPENING_SEGY_FILE, " Opening SEG File");
  EXPECT_STREQ(STATUS_CHECKING_SEGY_FILE, " Checking SEG file");
  EXPECT_STREQ(STATUS_CHECKING_SONAR_FILE, " Checking VSK file");
  EXPECT_STREQ(STATUS_CONVERTING, " Converting VSK file to SEG file");
  EXPECT_STREQ(STATUS_INITIALIZING, " Initializing");
}

TEST(Texts, MessagesKeepTheirOwnSpelling) {
  EXPECT_STREQ(SONAR_FILE_REFUSED, "The file [%s] does't match VSK specifications.");
  EXPECT_STREQ(UNRECOGNIZED_CHANNEL_TYPE, "Unrecognized file type in channel %d.  Assuming subbottom.");
  EXPECT_STREQ(SONAR_HEADER_ERROR, "Error reading [%s] header.");
  EXPECT_STREQ(SONAR_DATA_ERROR, "Error reading [%s] data.");
  EXPECT_STREQ(CHANNEL_TYPE_CAPTION, "Channel type");
  EXPECT_STREQ(PING_COUNT_FORMAT, " %lu (sonar/subbottom) ");
  EXPECT_STREQ(PING_COUNT_WAIT, "please wait");
  EXPECT_STREQ(CONVERSION_MEMORY_ERROR, "Not enough memory to convert [%s].\nThe SEG file was emptied.");
}

TEST(Texts, FiltersHoldTheirPairAndTwoTerminators) {
  const std::string sonar(SONAR_FILE_FILTER, sizeof SONAR_FILE_FILTER);
  EXPECT_EQ(sonar, std::string("Vesk Sonar Format (*.VSK)\0*.VSK\0\0", 33));
  const std::string segy(SEGY_FILE_FILTER, sizeof SEGY_FILE_FILTER);
  EXPECT_EQ(segy, std::string("SEGY Files (*.SEG)\0*.SEG\0\0", 26));
}

TEST(Texts, SettingsFileSectionAndKeys) {
  EXPECT_STREQ(SETTINGS_FILE, "VESKCONV.INI");
  EXPECT_STREQ(SETTINGS_SECTION, "VESKCONV");
  EXPECT_STREQ(KEY_WINDOW_TOP, "Window Coordinates - top");
  EXPECT_STREQ(KEY_WINDOW_LEFT, "Window Coordinates - left");
  EXPECT_STREQ(KEY_LAST_SONAR_FILE, "Last VSK File Name");
  EXPECT_STREQ(KEY_PROCESSING_INFO, "Enable Processing Information");
  EXPECT_STREQ(KEY_BIG_ENDIAN, "MOTOROLA Memory Model");
  EXPECT_STREQ(KEY_SHIP_COORDINATES, "Use Ship Coordinates");
}

}  // namespace
