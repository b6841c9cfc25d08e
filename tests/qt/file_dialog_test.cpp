// The file dialog lists names by their bytes and gives back exactly the
// bytes of the path chosen or typed; its location, Back, Up, places,
// columns and filters get the user to a file as other desktop dialogs do.
#include "tests/qt/qt_test_support.h"

#include "platform/qt/file_name_dialog.h"

#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>

#include <cstdlib>
#include <fcntl.h>
#include <functional>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr time_t JUNE_3_2026_NOON_UTC = 1780488000;

class TempFolder {
 public:
  TempFolder() {
    std::string pattern = ::testing::TempDir() + "vesk-qt-XXXXXX";
    path_ = mkdtemp(pattern.data());
  }
  ~TempFolder() { std::system(("rm -rf '" + path_ + "'").c_str()); }
  const std::string& path() const { return path_; }
  void file(const std::string& name, std::size_t bytes = 0) const {
    const int fd = ::open((path_ + "/" + name).c_str(), O_CREAT | O_WRONLY, 0644);
    ASSERT_GE(fd, 0) << name;
    if (bytes > 0) {
      ASSERT_EQ(::ftruncate(fd, static_cast<off_t>(bytes)), 0);
    }
    ::close(fd);
  }
  void folder(const std::string& name) const { ASSERT_EQ(::mkdir((path_ + "/" + name).c_str(), 0755), 0); }

 private:
  std::string path_;
};

FileDialogRequest openRequest(const std::string& initialName) {
  FileDialogRequest request;
  request.title = "Select VSK file";
  request.initialName = initialName;
  request.filters = {{"Vesk Sonar Format (*.VSK)", "*.VSK"}};
  request.defaultExtension = "VSK";
  return request;
}

FileDialogRequest saveRequest(const std::string& initialName) {
  FileDialogRequest request;
  request.save = true;
  request.title = "Select SEGY file";
  request.initialName = initialName;
  request.filters = {{"SEGY Files (*.SEG)", "*.SEG"}};
  request.defaultExtension = "SEG";
  return request;
}

// Runs the dialog; act is called once it is up, with the dialog.
bool runDialog(const FileDialogRequest& request, std::string* path, const std::function<void(QDialog*)>& act) {
  QTimer::singleShot(0, [&act] {
    auto* dialog = dynamic_cast<QDialog*>(QApplication::activeModalWidget());
    if (dialog == nullptr) {
      ADD_FAILURE() << "no dialog up";
      return;
    }
    // As on a desktop, the dialog has the keyboard.
    dialog->activateWindow();
    if (!QTest::qWaitForWindowActive(dialog)) ADD_FAILURE() << "the dialog is not active";
    act(dialog);
  });
  return qtFrontEnd().askFileName(nullptr, request, path);
}

QTreeWidget* entries(QDialog* dialog) { return dialog->findChild<QTreeWidget*>(QStringLiteral("entries")); }

QStringList listed(QDialog* dialog) {
  QStringList names;
  QTreeWidget* list = entries(dialog);
  for (int i = 0; i < list->topLevelItemCount(); ++i) names << list->topLevelItem(i)->text(0);
  return names;
}

QTreeWidgetItem* itemNamed(QDialog* dialog, const QString& text) {
  const auto found = entries(dialog)->findItems(text, Qt::MatchExactly);
  return found.isEmpty() ? nullptr : found.front();
}

void doubleClick(QDialog* dialog, QTreeWidgetItem* item) {
  QTreeWidget* list = entries(dialog);
  list->scrollToItem(item);
  const QPoint at = list->visualItemRect(item).center();
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
  QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
}

// Types the text as an input method commits it (letters beyond ASCII too),
// then Enter, where the keyboard sends it.
void typeInto(QLineEdit* field, const QString& text) {
  field->setFocus();
  field->clear();
  QInputMethodEvent typing;
  typing.setCommitString(text);
  QApplication::sendEvent(field, &typing);
  QWidget* focus = QApplication::focusWidget();
  QTest::keyClick(focus != nullptr ? focus : field, Qt::Key_Return);
}

void typeName(QDialog* dialog, const QString& text) {
  typeInto(dialog->findChild<QLineEdit*>(QStringLiteral("fileName")), text);
}

QComboBox* location(QDialog* dialog) { return dialog->findChild<QComboBox*>(QStringLiteral("location")); }

QString locationText(QDialog* dialog) { return location(dialog)->lineEdit()->text(); }

QString statusText(QDialog* dialog) { return dialog->findChild<QLabel*>(QStringLiteral("status"))->text(); }

QString qs(const std::string& text) { return QString::fromStdString(text); }

}  // namespace

TEST(QtFileDialog, ListsFoldersThenMatchingFilesWithLegibleNames) {
  TempFolder folder;
  folder.file("line7.vsk");
  folder.file("caf\xE9.vsk");
  folder.file("Str\xC3\xB6m line.VSK");
  folder.file("notes.txt");
  folder.file(".hidden.vsk");
  folder.folder("sub");
  std::string path;
  QStringList names;
  const bool chosen = runDialog(openRequest(folder.path() + "/line7.vsk"), &path, [&](QDialog* dialog) {
    names = listed(dialog);
    EXPECT_EQ(dialog->findChild<QLineEdit*>(QStringLiteral("fileName"))->text(), QStringLiteral("line7.vsk"));
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Select VSK file"));
    EXPECT_EQ(dialog->findChild<QComboBox*>(QStringLiteral("fileType"))->currentText(),
              QStringLiteral("Vesk Sonar Format (*.VSK)"));
    EXPECT_EQ(locationText(dialog), qs(folder.path()));
    dialog->reject();
  });
  EXPECT_FALSE(chosen);
  const QStringList expected = {QStringLiteral(".."), QStringLiteral("sub"), QStringLiteral("caf\\xE9.vsk"),
                                QStringLiteral("line7.vsk"), QString::fromUtf8("Str\xC3\xB6m line.VSK")};
  EXPECT_EQ(names, expected);
}

TEST(QtFileDialog, APickedNameComesBackByteForByte) {
  TempFolder folder;
  folder.file("caf\xE9.vsk");
  std::string path;
  const bool chosen = runDialog(openRequest(""), &path, [&](QDialog* dialog) {
    // Start elsewhere, walk in by typing the folder, then pick the file.
    typeName(dialog, qs(folder.path()));
    QTreeWidgetItem* item = itemNamed(dialog, QStringLiteral("caf\\xE9.vsk"));
    ASSERT_NE(item, nullptr);
    doubleClick(dialog, item);
  });
  EXPECT_TRUE(chosen);
  EXPECT_EQ(path, folder.path() + "/caf\xE9.vsk");
}

TEST(QtFileDialog, TypedNamesBecomeTheirBytes) {
  TempFolder folder;
  std::string path;
  // \xNN typed back becomes the byte; letters become UTF-8; blanks stay.
  ASSERT_TRUE(runDialog(openRequest(folder.path() + "/"), &path,
                        [](QDialog* dialog) { typeName(dialog, QStringLiteral("caf\\xE9 2.vsk")); }));
  EXPECT_EQ(path, folder.path() + "/caf\xE9 2.vsk");
  ASSERT_TRUE(runDialog(openRequest(folder.path() + "/x"), &path,
                        [](QDialog* dialog) { typeName(dialog, QString::fromUtf8("Str\xC3\xB6m line")); }));
  EXPECT_EQ(path, folder.path() + "/Str\xC3\xB6m line");
  // An absolute path typed is taken as it is.
  ASSERT_TRUE(runDialog(openRequest(""), &path,
                        [](QDialog* dialog) { typeName(dialog, QStringLiteral("/no/such/folder/a.vsk")); }));
  EXPECT_EQ(path, "/no/such/folder/a.vsk");
}

TEST(QtFileDialog, ATypedPatternFiltersTheListAndSaysSo) {
  TempFolder folder;
  folder.file("a.vsk");
  folder.file("b.seg");
  folder.file("c.SEG");
  std::string path;
  runDialog(openRequest(folder.path() + "/"), &path, [&](QDialog* dialog) {
    auto* type = dialog->findChild<QComboBox*>(QStringLiteral("fileType"));
    typeName(dialog, QStringLiteral("*.seg"));
    EXPECT_EQ(listed(dialog), (QStringList{QStringLiteral(".."), QStringLiteral("b.seg"), QStringLiteral("c.SEG")}));
    EXPECT_EQ(type->currentText(), QStringLiteral("*.seg"));
    EXPECT_EQ(statusText(dialog), QStringLiteral("2 files match *.seg."));
    typeName(dialog, QStringLiteral("*.xyz"));
    EXPECT_EQ(listed(dialog), QStringList{QStringLiteral("..")});
    EXPECT_EQ(statusText(dialog), QStringLiteral("No file matches *.xyz."));
    EXPECT_EQ(type->count(), 2);
    // The dialog's own filter again: the typed one goes.
    type->setCurrentIndex(0);
    EXPECT_EQ(listed(dialog), (QStringList{QStringLiteral(".."), QStringLiteral("a.vsk")}));
    EXPECT_EQ(type->count(), 1);
    EXPECT_TRUE(statusText(dialog).isEmpty());
    dialog->reject();
  });
}

TEST(QtFileDialog, TheLocationListsTheFoldersAboveAndTakesATypedFolder) {
  TempFolder folder;
  folder.folder("day3");
  folder.folder("day3/lines");
  folder.file("day3/lines/line7.vsk");
  folder.folder("other");
  std::string path;
  const bool chosen = runDialog(openRequest(folder.path() + "/day3/lines/line7.vsk"), &path, [&](QDialog* dialog) {
    QComboBox* where = location(dialog);
    // The drop-down: the root first, the folder shown last.
    ASSERT_GE(where->count(), 3);
    EXPECT_EQ(where->itemText(0), QStringLiteral("/"));
    EXPECT_EQ(where->itemText(where->count() - 1), qs(folder.path() + "/day3/lines"));
    EXPECT_EQ(where->itemText(where->count() - 2), qs(folder.path() + "/day3"));
    // A parent chosen from it.
    where->activated(where->count() - 3);
    EXPECT_EQ(locationText(dialog), qs(folder.path()));
    EXPECT_TRUE(listed(dialog).contains(QStringLiteral("other")));
    // A folder typed into it, relative to the one shown; its Enter opens no file.
    QTest::keyClick(dialog, Qt::Key_D, Qt::AltModifier);
    EXPECT_TRUE(where->lineEdit()->hasFocus());
    typeInto(where->lineEdit(), QStringLiteral("day3/lines"));
    EXPECT_EQ(locationText(dialog), qs(folder.path() + "/day3/lines"));
    EXPECT_TRUE(dialog->isVisible());
    // Something that is no folder: said so, and nothing moves.
    typeInto(where->lineEdit(), QStringLiteral("nowhere"));
    EXPECT_EQ(statusText(dialog), QStringLiteral("nowhere is not a folder."));
    EXPECT_EQ(dynamic_cast<FileNameDialog*>(dialog)->folder(), folder.path() + "/day3/lines");
    doubleClick(dialog, itemNamed(dialog, QStringLiteral("line7.vsk")));
  });
  EXPECT_TRUE(chosen);
  EXPECT_EQ(path, folder.path() + "/day3/lines/line7.vsk");
}

TEST(QtFileDialog, BackUpAndBackspaceWalkTheFolders) {
  TempFolder folder;
  folder.folder("a");
  folder.folder("a/b");
  std::string path;
  runDialog(openRequest(folder.path() + "/a/b/"), &path, [&](QDialog* dialog) {
    auto* back = dialog->findChild<QToolButton*>(QStringLiteral("back"));
    auto* up = dialog->findChild<QToolButton*>(QStringLiteral("up"));
    EXPECT_FALSE(back->isEnabled());
    QTest::mouseClick(up, Qt::LeftButton);
    EXPECT_EQ(locationText(dialog), qs(folder.path() + "/a"));
    // Backspace in the list goes up; in the name field it only edits the name.
    QTreeWidget* list = entries(dialog);
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Backspace);
    EXPECT_EQ(locationText(dialog), qs(folder.path()));
    auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileName"));
    name->setFocus();
    name->setText(QStringLiteral("ab"));
    QTest::keyClick(name, Qt::Key_Backspace);
    EXPECT_EQ(name->text(), QStringLiteral("a"));
    EXPECT_EQ(locationText(dialog), qs(folder.path()));
    location(dialog)->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_End);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backspace);
    EXPECT_EQ(locationText(dialog), qs(folder.path()).chopped(1));
    EXPECT_EQ(dynamic_cast<FileNameDialog*>(dialog)->folder(), folder.path());
    // Back retraces the steps.
    ASSERT_TRUE(back->isEnabled());
    QTest::mouseClick(back, Qt::LeftButton);
    EXPECT_EQ(locationText(dialog), qs(folder.path() + "/a"));
    QTest::keyClick(list, Qt::Key_Left, Qt::AltModifier);
    EXPECT_EQ(locationText(dialog), qs(folder.path() + "/a/b"));
    EXPECT_FALSE(back->isEnabled());
    dialog->reject();
  });
}

TEST(QtFileDialog, PlacesOfferHomeTheRootTheSurveyAndRecentFolders) {
  TempFolder survey;
  survey.file("line7.vsk");
  TempFolder output;
  std::string path;
  // Choosing the survey makes its folder a place of the dialogs that follow.
  ASSERT_TRUE(runDialog(openRequest(survey.path() + "/line7.vsk"), &path,
                        [](QDialog* dialog) { typeName(dialog, QStringLiteral("line7.vsk")); }));
  ASSERT_TRUE(runDialog(saveRequest(output.path() + "/line7.SEG"), &path,
                        [](QDialog* dialog) { typeName(dialog, QStringLiteral("line7.SEG")); }));
  QStringList labels;
  QStringList tips;
  const bool chosen = runDialog(saveRequest(""), &path, [&](QDialog* dialog) {
    auto* places = dialog->findChild<QListWidget*>(QStringLiteral("places"));
    for (int row = 0; row < places->count(); ++row) {
      labels << places->item(row)->text();
      tips << places->item(row)->toolTip();
    }
    const int surveyRow = static_cast<int>(labels.indexOf(QStringLiteral("Survey Folder")));
    ASSERT_GE(surveyRow, 0);
    QTest::mouseClick(places->viewport(), Qt::LeftButton, {}, places->visualItemRect(places->item(surveyRow)).center());
    EXPECT_EQ(locationText(dialog), qs(survey.path()));
    typeName(dialog, QStringLiteral("again.SEG"));
  });
  ASSERT_TRUE(chosen);
  EXPECT_EQ(path, survey.path() + "/again.SEG");
  ASSERT_GE(labels.size(), 4);
  EXPECT_EQ(labels[0], QStringLiteral("Home"));
  EXPECT_EQ(labels[1], QStringLiteral("File System"));
  EXPECT_EQ(tips[1], QStringLiteral("/"));
  EXPECT_EQ(tips[2], qs(survey.path()));
  // The most recent folder first; the survey's is not offered twice.
  EXPECT_EQ(tips[3], qs(output.path()));
  EXPECT_EQ(tips.count(qs(survey.path())), 1);
}

TEST(QtFileDialog, SizeAndDateColumnsSortWithFoldersFirst) {
  TempFolder folder;
  folder.file("small.vsk", 10);
  folder.file("big.vsk", 5000);
  const timespec noon[2] = {{JUNE_3_2026_NOON_UTC, 0}, {JUNE_3_2026_NOON_UTC, 0}};
  ASSERT_EQ(::utimensat(AT_FDCWD, (folder.path() + "/big.vsk").c_str(), noon, 0), 0);
  folder.file("empty.vsk");
  folder.folder("zeta");
  std::string path;
  runDialog(openRequest(folder.path() + "/"), &path, [&](QDialog* dialog) {
    QTreeWidget* list = entries(dialog);
    ASSERT_EQ(list->columnCount(), 3);
    EXPECT_EQ(list->headerItem()->text(1), QStringLiteral("Size"));
    EXPECT_EQ(list->headerItem()->text(2), QStringLiteral("Date Modified"));
    EXPECT_EQ(itemNamed(dialog, QStringLiteral("big.vsk"))->text(1), QStringLiteral("5 KB"));
    EXPECT_EQ(itemNamed(dialog, QStringLiteral("small.vsk"))->text(1), QStringLiteral("1 KB"));
    EXPECT_EQ(itemNamed(dialog, QStringLiteral("empty.vsk"))->text(1), QStringLiteral("0 KB"));
    // Noon UTC is the same day in every time zone people survey in.
    EXPECT_TRUE(itemNamed(dialog, QStringLiteral("big.vsk"))->text(2).startsWith(QStringLiteral("2026-06-03 ")));
    // A click on the Size header sorts by size; another click turns the order round.
    QHeaderView* header = list->header();
    const auto clickHeader = [&](int section) {
      QTest::mouseClick(
          header->viewport(), Qt::LeftButton, {},
          QPoint(header->sectionViewportPosition(section) + header->sectionSize(section) / 2, header->height() / 2));
    };
    clickHeader(1);
    EXPECT_EQ(listed(dialog), (QStringList{QStringLiteral(".."), QStringLiteral("zeta"), QStringLiteral("empty.vsk"),
                                           QStringLiteral("small.vsk"), QStringLiteral("big.vsk")}));
    clickHeader(1);
    EXPECT_EQ(listed(dialog), (QStringList{QStringLiteral(".."), QStringLiteral("zeta"), QStringLiteral("big.vsk"),
                                           QStringLiteral("small.vsk"), QStringLiteral("empty.vsk")}));
    // Type-ahead finds a name in the list.
    list->setFocus();
    QTest::keyClicks(list, QStringLiteral("sm"));
    ASSERT_NE(list->currentItem(), nullptr);
    EXPECT_EQ(list->currentItem()->text(0), QStringLiteral("small.vsk"));
    EXPECT_EQ(dialog->findChild<QLineEdit*>(QStringLiteral("fileName"))->text(), QStringLiteral("small.vsk"));
    dialog->reject();
  });
}

TEST(QtFileDialog, ALongFolderPathNeitherWidensNorMovesTheDialog) {
  TempFolder folder;
  std::string deep;
  for (int depth = 0; depth < 8; ++depth) {
    deep += (depth == 0 ? "" : "/") + std::string(40, static_cast<char>('a' + depth));
    folder.folder(deep);
  }
  std::string path;
  runDialog(openRequest(folder.path() + "/"), &path, [&](QDialog* dialog) {
    ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog));
    const QRect before = dialog->frameGeometry();
    typeInto(location(dialog)->lineEdit(), qs(folder.path() + "/" + deep));
    EXPECT_EQ(locationText(dialog), qs(folder.path() + "/" + deep));
    QTest::qWait(10);
    EXPECT_EQ(dialog->frameGeometry(), before);
    dialog->reject();
  });
}

TEST(QtFileDialog, ANameTooLongIsSaidSoAndTheDialogStays) {
  TempFolder folder;
  // Windows' limit when the caller gives none; the caller's own (the program's 259) when it does.
  for (const DWORD maxFile : {DWORD{0}, DWORD{259}}) {
    SCOPED_TRACE(maxFile);
    const std::size_t limit = maxFile == 0 ? 260 : maxFile;
    FileDialogRequest request = saveRequest(folder.path() + "/");
    request.maxFile = maxFile;
    // The path, ".SEG" that the platform adds and the terminator: one byte too many, then just enough.
    const std::string tooLong(limit - folder.path().size() - 1 - 4 - 1 + 1, 'x');
    std::string path;
    QString boxText;
    const bool chosen = runDialog(request, &path, [&](QDialog* dialog) {
      QTimer::singleShot(0, [&] {
        auto* box = dynamic_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        boxText = box->text();
        box->accept();
      });
      typeName(dialog, qs(tooLong));
      EXPECT_TRUE(dialog->isVisible());
      typeName(dialog, qs(tooLong.substr(1)));
    });
    EXPECT_TRUE(chosen);
    EXPECT_EQ(path, folder.path() + "/" + tooLong.substr(1));
    EXPECT_EQ(
        boxText,
        qs(folder.path() + "/" + tooLong) +
            QStringLiteral("\nThe file name is too long.\nThe whole path may hold at most %1 bytes.").arg(limit - 1));
  }
}

TEST(QtFileDialog, CancelLeavesThePathAlone) {
  std::string path = "unchanged";
  EXPECT_FALSE(
      runDialog(openRequest("x.vsk"), &path, [](QDialog* dialog) { QTest::keyClick(dialog, Qt::Key_Escape); }));
  EXPECT_EQ(path, "unchanged");
}
