// The open and save dialog. Names are bytes on Linux, so the dialog lists
// folders itself (platform/qt/folder_listing.h) and keeps every name's bytes;
// it shows them legibly (platform/qt/byte_names.h) and gives back exactly the
// bytes of the path chosen or typed. The rules around a dialog (default
// extension, must-exist, overwrite) are the platform's, after it returns.
// Main thread.
#pragma once

#include "platform/front_end.h"

#include <QDialog>

#include <string>

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;

class FileNameDialog : public QDialog {
 public:
  FileNameDialog(const FileDialogRequest& request, QWidget* parent);

  // The bytes of the chosen path, once exec() returned Accepted.
  const std::string& path() const { return path_; }
  const std::string& folder() const { return folder_; }

 private:
  void enterFolder(const std::string& folder);
  void relist();
  void itemChosen(QListWidgetItem* item);
  void itemOpened(QListWidgetItem* item);
  void confirm();
  std::string typedName() const;
  std::string patterns() const;

  std::vector<std::pair<std::string, std::string>> filters_;
  std::string folder_;
  std::string customPatterns_;  // typed into the name field, until another filter is picked
  std::string pickedName_;      // bytes of the file picked in the list ...
  QString pickedText_;          // ... as the name field shows them
  std::string path_;
  QLabel* folderLabel_;
  QListWidget* list_;
  QLineEdit* name_;
  QComboBox* type_;
};
