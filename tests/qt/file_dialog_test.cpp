// The file dialog lists names by their bytes and gives back exactly the
// bytes of the path chosen or typed.
#include "tests/qt/qt_test_support.h"

#include "platform/qt/file_name_dialog.h"

#include <QApplication>
#include <QComboBox>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>
#include <QTimer>

#include <cstdlib>
#include <fcntl.h>
#include <functional>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class TempFolder {
 public:
  TempFolder() {
    std::string pattern = ::testing::TempDir() + "vesk-qt-XXXXXX";
    path_ = mkdtemp(pattern.data());
  }
  ~TempFolder() { std::system(("rm -rf '" + path_ + "'").c_str()); }
  const std::string& path() const { return path_; }
  void file(const std::string& name) const {
    const int fd = ::open((path_ + "/" + name).c_str(), O_CREAT | O_WRONLY, 0644);
    ASSERT_GE(fd, 0) << name;
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

// Runs the dialog; act is called once it is up, with the dialog.
bool runDialog(const FileDialogRequest& request, std::string* path, const std::function<void(QDialog*)>& act) {
  QTimer::singleShot(0, [&act] {
    auto* dialog = dynamic_cast<QDialog*>(QApplication::activeModalWidget());
    if (dialog == nullptr) {
      ADD_FAILURE() << "no dialog up";
      return;
    }
    act(dialog);
  });
  return qtFrontEnd().askFileName(nullptr, request, path);
}

QStringList listed(QDialog* dialog) {
  QStringList names;
  auto* list = dialog->findChild<QListWidget*>(QStringLiteral("entries"));
  for (int i = 0; i < list->count(); ++i) names << list->item(i)->text();
  return names;
}

QListWidgetItem* itemNamed(QDialog* dialog, const QString& text) {
  auto* list = dialog->findChild<QListWidget*>(QStringLiteral("entries"));
  const auto found = list->findItems(text, Qt::MatchExactly);
  return found.isEmpty() ? nullptr : found.front();
}

void doubleClick(QDialog* dialog, QListWidgetItem* item) {
  auto* list = dialog->findChild<QListWidget*>(QStringLiteral("entries"));
  list->scrollToItem(item);
  const QPoint at = list->visualItemRect(item).center();
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
  QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
}

// Types the text as an input method commits it (letters beyond ASCII too), then Enter.
void typeName(QDialog* dialog, const QString& text) {
  auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileName"));
  name->clear();
  QInputMethodEvent typing;
  typing.setCommitString(text);
  QApplication::sendEvent(name, &typing);
  QTest::keyClick(name, Qt::Key_Return);
}

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
    typeName(dialog, QString::fromStdString(folder.path()));
    QListWidgetItem* item = itemNamed(dialog, QStringLiteral("caf\\xE9.vsk"));
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

TEST(QtFileDialog, ATypedPatternFiltersTheList) {
  TempFolder folder;
  folder.file("a.vsk");
  folder.file("b.seg");
  std::string path;
  QStringList names;
  runDialog(openRequest(folder.path() + "/"), &path, [&](QDialog* dialog) {
    typeName(dialog, QStringLiteral("*.seg"));
    names = listed(dialog);
    dialog->reject();
  });
  EXPECT_EQ(names, (QStringList{QStringLiteral(".."), QStringLiteral("b.seg")}));
}

TEST(QtFileDialog, CancelLeavesThePathAlone) {
  std::string path = "unchanged";
  EXPECT_FALSE(runDialog(openRequest("x.vsk"), &path, [](QDialog* dialog) {
    QTest::keyClick(dialog, Qt::Key_Escape);
  }));
  EXPECT_EQ(path, "unchanged");
}
