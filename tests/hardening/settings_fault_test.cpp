// The settings file: unwritable at quit, full of garbage, too large, and VSK
// file names that would break its lines. It is read without overflow, with
// the defaults where a value is unusable; a name never injects a key or a
// section; a save that fails is said, naming the file.
#include "hardening_support.h"

#include "app/settings_file.h"
#include "app/ui_texts.h"
#include "core/converter_context.h"
#include "platform/profile.h"
#include "res/resource_ids.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

namespace {

using hardening::fileBytes;
using hardening::formatted;

constexpr std::uint32_t SAMPLES = 50;
constexpr int PINGS = 3;
constexpr std::size_t HUGE_VALUE_BYTES = 1 << 20;
constexpr std::uint64_t SETTINGS_DISK_BYTES = 1 << 20;
constexpr std::uintmax_t OVERSIZED_SETTINGS_BYTES = (std::uintmax_t{64} << 20) + 1;
constexpr std::size_t NAME_LIMIT = PATH_BUFFER_SIZE - 1;

const std::set<std::string> SAVED_KEYS = {KEY_WINDOW_TOP,      KEY_WINDOW_LEFT, KEY_LAST_SONAR_FILE,
                                          KEY_PROCESSING_INFO, KEY_BIG_ENDIAN,  KEY_SHIP_COORDINATES};

std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

class SettingsFaults : public hardening::HardeningTest {
 protected:
  void useSettingsFolder(const std::string& settings) { ::setenv("XDG_CONFIG_HOME", settings.c_str(), 1); }
  std::string settingsPath() const { return profilePath(SETTINGS_FILE); }

  // Quits and expects the one box that says the settings were not saved.
  void quitExpectingUnsavedSettings() {
    ui.clearRecords();
    quit();
    expectOneErrorNaming(settingsPath());
    ASSERT_FALSE(errorBoxes().empty());
    EXPECT_EQ(errorBoxes()[0].text, formatted(SETTINGS_WRITE_ERROR, settingsPath()));
  }
};

TEST_F(SettingsFaults, ASettingsFileThatCannotBeWrittenIsSaidAtQuitAndLeftAsItWas) {
  std::string why;
  const std::string readOnly = mountedFolder("config-ro", SETTINGS_DISK_BYTES, &why);
  if (readOnly.empty()) {
    // No mount: a settings folder inside /proc cannot be created, even by root.
    std::cout << "no read-only mount (" << why << "): a settings folder in /proc instead\n";
    useSettingsFolder("/proc/veskconv-settings");
  } else {
    useSettingsFolder(readOnly);
    std::ofstream(settingsPath(), std::ios::binary) << "[VESKCONV]\nMOTOROLA Memory Model=1\n";
    ASSERT_TRUE(hardening::remountReadOnly(readOnly, &why)) << why;
  }
  const std::vector<unsigned char> before = fileBytes(settingsPath());
  start();
  click(IDC_LITTLE_ENDIAN);
  quitExpectingUnsavedSettings();
  EXPECT_EQ(fileBytes(settingsPath()), before);
}

TEST_F(SettingsFaults, ASettingsFileTooLargeToReadGivesTheDefaultsAndIsNotReplaced) {
  writeSettings("[VESKCONV]\nMOTOROLA Memory Model=1\nUse Ship Coordinates=0\n");
  std::filesystem::resize_file(settingsPath(), OVERSIZED_SETTINGS_BYTES);
  start();
  EXPECT_EQ(context().bigEndian, 0u);
  EXPECT_EQ(context().useShipCoordinates, 1u);
  quitExpectingUnsavedSettings();
  EXPECT_EQ(std::filesystem::file_size(settingsPath()), OVERSIZED_SETTINGS_BYTES);
}

TEST_F(SettingsFaults, GarbageHugeValuesAndDuplicateKeysAreReadSafely) {
  constexpr char ODD_LINE[] = "\xff\x80 not [ a = ; pair\n";
  std::string garbage(ODD_LINE, sizeof ODD_LINE - 1);
  garbage += "[VESKCONV]\n";
  garbage += std::string(KEY_LAST_SONAR_FILE) + "=" + std::string(HUGE_VALUE_BYTES, 'a') + "\n";
  garbage += std::string(KEY_LAST_SONAR_FILE) + "=/the/second/one.vsk\n";
  garbage += std::string(KEY_BIG_ENDIAN) + "=yes\n";
  garbage += std::string(KEY_SHIP_COORDINATES) + "=0\n" + KEY_SHIP_COORDINATES + "=1\n";
  garbage += std::string(KEY_PROCESSING_INFO) + "=\xfe\xff\n";
  garbage += std::string(KEY_WINDOW_TOP) + "=99999999999999999999\n" + KEY_WINDOW_LEFT + "=-\n";
  for (int i = 0; i < 4096; ++i) garbage += static_cast<char>(0x80 + (i * 131) % 128);
  writeSettings(garbage);

  start();
  // The first of duplicate keys; a value cut to the name buffer; the defaults where there is no number.
  EXPECT_EQ(std::string(context().sonarFileName), std::string(NAME_LIMIT, 'a'));
  EXPECT_EQ(context().bigEndian, 0u);
  EXPECT_EQ(context().useShipCoordinates, 0u);
  EXPECT_EQ(context().showProcessingInfo.load(), 1u);
  EXPECT_TRUE(checked(IDC_LITTLE_ENDIAN));
  EXPECT_TRUE(checked(IDC_SENSOR));
  ui.cancelFileDialog();
  click(IDC_BROWSE_SONAR);
  EXPECT_EQ(ui.fileRequests().back().initialName.size(), NAME_LIMIT);
  click(IDC_BIG_ENDIAN);
  ui.clearRecords();
  quit();
  EXPECT_TRUE(errorBoxes().empty());

  start();
  EXPECT_EQ(context().bigEndian, 1u);
  EXPECT_EQ(context().useShipCoordinates, 0u);
  EXPECT_EQ(context().showProcessingInfo.load(), 1u);
}

// Binary bytes cannot be an INI file: nothing is read from it, and it is
// neither appended to nor replaced; the lost settings are said at quit.
TEST_F(SettingsFaults, ASettingsFileThatIsNotTextIsLeftAsItWas) {
  std::string random;
  std::uint32_t state = 7;
  for (int i = 0; i < (1 << 20); ++i) {
    state = state * 1664525u + 1013904223u;
    random += static_cast<char>(state >> 24);
  }
  const std::string withNul = std::string("[VESKCONV]\nMOTOROLA Memory Model=1\n") + '\0' + "\n";
  for (const std::string& binary : {random, withNul}) {
    writeSettings(binary);
    start();
    EXPECT_EQ(context().bigEndian, 0u) << "the defaults";
    quitExpectingUnsavedSettings();
    std::ifstream in(settingsPath(), std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), binary);
  }
}

TEST_F(SettingsFaults, ASettingsFileThatIsADanglingLinkStaysALink) {
  const std::string target = path("kept-elsewhere.ini");
  std::filesystem::create_directories(std::filesystem::path(settingsPath()).parent_path());
  std::filesystem::create_symlink(target, settingsPath());
  start();
  click(IDC_LITTLE_ENDIAN);
  ui.clearRecords();
  quit();
  EXPECT_TRUE(errorBoxes().empty());
  EXPECT_TRUE(std::filesystem::is_symlink(settingsPath()));
  start();
  EXPECT_EQ(context().bigEndian, 1u) << "read back through the link";
}

TEST_F(SettingsFaults, HostileVskNamesNeverInjectKeysOrSections) {
  const std::vector<std::pair<std::string, bool>> names = {
      // name, kept (false: it would break a line and is saved empty)
      {"line\nfeed.vsk", false},      {"carriage\rreturn.vsk", false}, {"[VESKCONV].vsk", true},
      {"sec]tion[.vsk", true},        {"key=value.vsk", true},         {";semicolon.vsk", true},
      {" blanks around .vsk ", true}, {"\"quoted\".vsk", true},
  };
  for (const auto& [name, kept] : names) {
    SCOPED_TRACE(name);
    const std::string file = path(name);
    start();
    ASSERT_TRUE(survey_files::writeSurvey(file, survey_files::twoPairsAndSubbottom(SAMPLES), PINGS));
    chooseSonarFile(file);
    ASSERT_EQ(context().sonarFileChecked, 1);
    expectConvertsAgain(SAMPLES, PINGS);
    ui.clearRecords();
    quit();
    EXPECT_TRUE(errorBoxes().empty());

    const std::vector<std::string> lines = linesOf(settingsText());
    int sections = 0;
    std::set<std::string> keys;
    for (const std::string& line : lines) {
      if (!line.empty() && line[0] == '[') {
        ++sections;
        EXPECT_EQ(line, "[VESKCONV]");
        continue;
      }
      const std::size_t equals = line.find('=');
      ASSERT_NE(equals, std::string::npos) << "a line that is not a key: " << line;
      keys.insert(line.substr(0, equals));
    }
    EXPECT_EQ(sections, 1);
    EXPECT_EQ(keys, SAVED_KEYS);
    EXPECT_EQ(lines.size(), SAVED_KEYS.size() + 1);

    start();
    EXPECT_EQ(std::string(context().sonarFileName), kept ? file : "");
    quit();
    std::filesystem::remove(file);
  }
}

}  // namespace
