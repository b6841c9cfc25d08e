// The rules around the open and save dialogs, answered by the headless
// front end's script.
#include "platform/dialogs.h"
#include "platform/headless/headless_front_end.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

// As the program fills them: a 260-byte buffer, 259 usable.
constexpr DWORD NAME_LIMIT = 259;
constexpr char VSK_FILTER[] = "Vesk Sonar Format (*.VSK)\0*.VSK\0";
constexpr char SEG_FILTER[] = "SEGY Files (*.SEG)\0*.SEG\0";
constexpr DWORD OPEN_FLAGS = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
constexpr DWORD SAVE_FLAGS = OFN_EXPLORER | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;

class PlatformFileDialog : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/vesk-dialogs-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    folder = pattern;
    existing = folder + "/line7.VSK";
    std::ofstream(existing) << "x";
  }
  void TearDown() override { std::filesystem::remove_all(folder); }

  OPENFILENAMEA dialog(bool save, const char* initial) {
    std::strncpy(name, initial, sizeof name - 1);
    OPENFILENAMEA d;
    d.lStructSize = sizeof d;
    d.lpstrFilter = save ? SEG_FILTER : VSK_FILTER;
    d.nFilterIndex = 1;
    d.lpstrFile = name;
    d.nMaxFile = NAME_LIMIT;
    d.lpstrTitle = save ? "Select SEGY file" : "Select VSK file";
    d.Flags = save ? SAVE_FLAGS : OPEN_FLAGS;
    d.lpstrDefExt = save ? "SEG" : "VSK";
    return d;
  }

  HeadlessFrontEnd frontEnd;
  std::string folder;
  std::string existing;
  char name[260] = {};
};

TEST_F(PlatformFileDialog, TheRequestCarriesTheDialogAndACancelKeepsTheName) {
  OPENFILENAMEA d = dialog(false, "/old/name.vsk");
  frontEnd.cancelFileDialog();
  EXPECT_FALSE(GetOpenFileNameA(&d));
  EXPECT_STREQ(name, "/old/name.vsk");
  const auto requests = frontEnd.fileRequests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_FALSE(requests[0].save);
  EXPECT_EQ(requests[0].title, "Select VSK file");
  EXPECT_EQ(requests[0].initialName, "/old/name.vsk");
  ASSERT_EQ(requests[0].filters.size(), 1u);
  EXPECT_EQ(requests[0].filters[0].first, "Vesk Sonar Format (*.VSK)");
  EXPECT_EQ(requests[0].filters[0].second, "*.VSK");
  EXPECT_EQ(requests[0].defaultExtension, "VSK");
  EXPECT_EQ(requests[0].flags, OPEN_FLAGS);
  // No answer left is a cancel too.
  EXPECT_FALSE(GetOpenFileNameA(&d));
}

TEST_F(PlatformFileDialog, NameWithoutExtensionGetsTheDefaultOne) {
  OPENFILENAMEA d = dialog(false, "");
  frontEnd.answerFileDialog(folder + "/line7");
  ASSERT_TRUE(GetOpenFileNameA(&d));
  EXPECT_EQ(std::string(name), existing);

  std::filesystem::create_directory(folder + "/survey.d");
  OPENFILENAMEA s = dialog(true, "");
  frontEnd.answerFileDialog(folder + "/survey.d/out");
  ASSERT_TRUE(GetSaveFileNameA(&s));
  EXPECT_EQ(std::string(name), folder + "/survey.d/out.SEG");  // the folder's period does not count
  frontEnd.answerFileDialog(folder + "/out.seg");
  ASSERT_TRUE(GetSaveFileNameA(&s));
  EXPECT_EQ(std::string(name), folder + "/out.seg");
}

// Names are case-insensitive on Windows, where "line7" finds line7.vsk.
TEST_F(PlatformFileDialog, ANameWithoutExtensionFindsTheFileWhateverItsCase) {
  const std::string lower = folder + "/line8.vsk";
  std::ofstream(lower) << "x";
  OPENFILENAMEA d = dialog(false, "");
  frontEnd.answerFileDialog(folder + "/line8");
  ASSERT_TRUE(GetOpenFileNameA(&d));
  EXPECT_EQ(std::string(name), lower);
  EXPECT_TRUE(frontEnd.messageBoxes().empty());

  // Two files that differ only in case: which one is meant cannot be told.
  std::ofstream(folder + "/line9.vsk") << "x";
  std::ofstream(folder + "/line9.Vsk") << "x";
  frontEnd.answerFileDialog(folder + "/line9");
  frontEnd.cancelFileDialog();
  EXPECT_FALSE(GetOpenFileNameA(&d));
  ASSERT_EQ(frontEnd.messageBoxes().size(), 1u);
  EXPECT_EQ(frontEnd.messageBoxes()[0].text,
            folder + "/line9.VSK\nFile not found.\nCheck the file name and try again.");

  // The save dialog finds an existing output the same way, and asks first.
  const std::string output = folder + "/line8.seg";
  std::ofstream(output) << "old";
  OPENFILENAMEA s = dialog(true, "");
  frontEnd.setOverwriteAnswer(true);
  frontEnd.answerFileDialog(folder + "/line8");
  ASSERT_TRUE(GetSaveFileNameA(&s));
  EXPECT_EQ(std::string(name), output);
  EXPECT_EQ(frontEnd.overwritePrompts(), (std::vector<std::string>{output}));
  // A name typed with an extension is taken as typed.
  frontEnd.answerFileDialog(folder + "/line8.SEG");
  ASSERT_TRUE(GetSaveFileNameA(&s));
  EXPECT_EQ(std::string(name), folder + "/line8.SEG");
}

TEST_F(PlatformFileDialog, ANameInDoubleQuotesIsTakenAsItStands) {
  const std::string plain = folder + "/noext";
  std::ofstream(plain) << "x";
  OPENFILENAMEA d = dialog(false, "");
  frontEnd.answerFileDialog("\"" + plain + "\"");
  ASSERT_TRUE(GetOpenFileNameA(&d));
  EXPECT_EQ(std::string(name), plain);
  OPENFILENAMEA s = dialog(true, "");
  frontEnd.answerFileDialog("\"" + folder + "/out\"");
  ASSERT_TRUE(GetSaveFileNameA(&s));
  EXPECT_EQ(std::string(name), folder + "/out");
}

TEST_F(PlatformFileDialog, NameThatDoesNotFitIsRefused) {
  OPENFILENAMEA d = dialog(true, "/keep.SEG");
  d.nMaxFile = static_cast<DWORD>(folder.size() + 8);  // "/ab.SEG" and the terminator fit exactly
  frontEnd.answerFileDialog(folder + "/abc.SEG");
  EXPECT_FALSE(GetSaveFileNameA(&d));
  EXPECT_STREQ(name, "/keep.SEG");
  frontEnd.answerFileDialog(folder + "/ab");
  ASSERT_TRUE(GetSaveFileNameA(&d));
  EXPECT_EQ(std::string(name), folder + "/ab.SEG");
}

TEST_F(PlatformFileDialog, MissingFileAndMissingFolderAskAgain) {
  OPENFILENAMEA d = dialog(false, "");
  const std::string missingFile = folder + "/none.VSK";
  const std::string missingFolder = folder + "/no/such.VSK";
  frontEnd.answerFileDialog(missingFile);
  frontEnd.answerFileDialog(missingFolder);
  frontEnd.answerFileDialog(folder);  // a folder is entered, not chosen
  frontEnd.answerFileDialog(existing);
  ASSERT_TRUE(GetOpenFileNameA(&d));
  EXPECT_EQ(std::string(name), existing);

  const auto boxes = frontEnd.messageBoxes();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].caption, "Select VSK file");
  EXPECT_EQ(boxes[0].text, missingFile + "\nFile not found.\nCheck the file name and try again.");
  EXPECT_EQ(boxes[0].type, MB_ICONWARNING);
  EXPECT_EQ(boxes[1].text, missingFolder + "\nPath does not exist.\nCheck the path and try again.");
  const auto requests = frontEnd.fileRequests();
  ASSERT_EQ(requests.size(), 4u);
  EXPECT_EQ(requests[1].initialName, missingFile);  // the dialog comes back with what was typed
}

TEST_F(PlatformFileDialog, ExistingOutputAsksBeforeOverwriting) {
  const std::string output = folder + "/out.SEG";
  std::ofstream(output) << "old";
  OPENFILENAMEA d = dialog(true, "");
  frontEnd.setOverwriteAnswer(false);
  frontEnd.answerFileDialog(output);
  frontEnd.answerFileDialog(folder + "/new");
  ASSERT_TRUE(GetSaveFileNameA(&d));
  EXPECT_EQ(std::string(name), folder + "/new.SEG");
  EXPECT_EQ(frontEnd.overwritePrompts(), (std::vector<std::string>{output}));

  frontEnd.setOverwriteAnswer(true);
  frontEnd.answerFileDialog(output);
  ASSERT_TRUE(GetSaveFileNameA(&d));
  EXPECT_EQ(std::string(name), output);
  // The open dialog never asks.
  OPENFILENAMEA o = dialog(false, "");
  frontEnd.answerFileDialog(existing);
  ASSERT_TRUE(GetOpenFileNameA(&o));
  EXPECT_EQ(frontEnd.overwritePrompts().size(), 2u);
}

TEST_F(PlatformFileDialog, NamesAreBytes) {
  const std::string latin1 = folder + "/\xE9t\xE9 \\ x";
  OPENFILENAMEA d = dialog(true, "");
  frontEnd.answerFileDialog(latin1);
  ASSERT_TRUE(GetSaveFileNameA(&d));
  EXPECT_EQ(std::string(name), latin1 + ".SEG");
}

TEST_F(PlatformFileDialog, MessageBoxesAreRecordedInOrder) {
  EXPECT_EQ(MessageBoxA(nullptr, "first", "ERROR", MB_ICONERROR), IDOK);
  EXPECT_EQ(MessageBoxA(nullptr, "second", nullptr, MB_OK), IDOK);
  const auto boxes = frontEnd.messageBoxes();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].text, "first");
  EXPECT_EQ(boxes[0].type, MB_ICONERROR);
  EXPECT_EQ(boxes[1].caption, "Error");
}

}  // namespace
