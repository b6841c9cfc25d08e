// The settings file lives in %APPDATA%\VESKCONV (the Windows directory is not
// the user's to write), with the same section, keys and texts as on Linux.
#include "other_process.h"
#include "program_test.h"

#include "app/settings_file.h"
#include "platform/profile.h"
#include "res/resource_ids.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace {

class SettingsPlace : public ProgramTest {};

TEST_F(SettingsPlace, TheSettingsFileIsWrittenToAppDataVeskconv) {
  const std::filesystem::path expected = folder / "config" / "VESKCONV" / "VESKCONV.INI";
  start();
  click(IDC_BIG_ENDIAN);
  quit();
  ASSERT_TRUE(std::filesystem::exists(expected));
  EXPECT_TRUE(std::filesystem::equivalent(std::filesystem::path(profilePath(SETTINGS_FILE)), expected));
  EXPECT_EQ(settingsText(),
            "[VESKCONV]\nWindow Coordinates - top=0\nWindow Coordinates - left=0\nLast VSK File Name=\n"
            "Enable Processing Information=1\nMOTOROLA Memory Model=1\nUse Ship Coordinates=1\n");
  start();
  EXPECT_TRUE(checked(IDC_BIG_ENDIAN)) << "read back from the same place";
}

TEST_F(SettingsPlace, WithoutAnAppDataVariableItIsTheKnownRoamingFolder) {
  const std::string known = knownRoamingAppData();
  ASSERT_FALSE(known.empty());
  setAppDataVariable(std::nullopt);
  const std::string withoutVariable = profilePath(SETTINGS_FILE);
  setAppDataVariable("relative\\folder");
  const std::string withRelative = profilePath(SETTINGS_FILE);
  setAppDataVariable((folder / "config").string());
  EXPECT_EQ(withoutVariable.rfind(known + "\\VESKCONV", 0), 0u) << withoutVariable;
  EXPECT_EQ(withRelative, withoutVariable) << "only an absolute folder is taken from the variable";
}

}  // namespace
