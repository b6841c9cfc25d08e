// The open and save dialog. Names are bytes on Linux, so the dialog lists
// folders itself (platform/qt/folder_listing.h) and keeps every name's bytes;
// it shows them legibly (platform/qt/byte_names.h) and gives back exactly the
// bytes of the path chosen or typed. The rules around a dialog (default
// extension, must-exist, overwrite) are the platform's, after it returns;
// only a path too long for the caller's name buffer (request.maxFile, and
// never more than MAX_PATH) is refused here, with a box, and the dialog
// stays up.
//
// What desktop users expect of it: an editable location (Alt+D) whose drop-down
// holds the folders above; Back (Alt+Left), Up (Alt+Up, and Backspace outside
// the text fields); places (home, the file system's root, the survey's
// folder, recent folders); name, size and date columns that sort on a click;
// type-ahead in the list; a wildcard typed as the name filters the list and
// says how many files match. Main thread.
#pragma once

#include "platform/front_end.h"

#include <QDialog>

#include <functional>
#include <string>
#include <vector>

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;

struct FileDialogPlaces {
  std::string surveyFolder;                // empty when none is known
  std::vector<std::string> recentFolders;  // most recent first
};

class FileNameDialog : public QDialog {
 public:
  // The longest path any name buffer takes on Windows, terminator included.
  static constexpr std::size_t MAX_PATH_BYTES = 260;

  FileNameDialog(const FileDialogRequest& request, const FileDialogPlaces& places, QWidget* parent);

  // The bytes of the chosen path, once exec() returned Accepted.
  const std::string& path() const { return path_; }
  const std::string& folder() const { return folder_; }
  // Called whenever the dialog shows another folder or list.
  void setChangeObserver(std::function<void()> observer) { observer_ = std::move(observer); }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void moveEvent(QMoveEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  void addPlace(const QString& label, const std::string& folder, const QIcon& icon);
  // Goes to folder; the one left is remembered for Back.
  void enterFolder(const std::string& folder);
  void showFolder(const std::string& folder);
  void goBack();
  void relist();
  void fillLocation();
  void locationTyped();
  void filterChosen(int index);
  void applyCustomPatterns(const std::string& patterns);
  void itemChosen(QTreeWidgetItem* item);
  void itemOpened(QTreeWidgetItem* item);
  void confirm();
  bool fitsNameBuffer(const std::string& path);
  std::string typedName() const;
  std::string patterns() const;
  void changed();

  std::vector<std::pair<std::string, std::string>> filters_;
  std::string defaultExtension_;
  std::size_t maxPathBytes_;  // with the terminator
  std::string title_;
  std::string folder_;
  std::vector<std::string> history_;  // folders left, for Back
  std::string customPatterns_;        // typed into the name field, until another filter is picked
  std::string pickedName_;            // bytes of the file picked in the list ...
  QString pickedText_;                // ... as the name field shows them
  std::string path_;
  std::function<void()> observer_;
  QComboBox* location_;
  QToolButton* back_;
  QToolButton* up_;
  QListWidget* places_;
  QTreeWidget* entries_;
  QLabel* status_;
  QLineEdit* name_;
  QComboBox* type_;
};
