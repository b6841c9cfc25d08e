#include "platform/qt/file_name_dialog.h"

#include "platform/qt/byte_names.h"
#include "platform/qt/folder_listing.h"

#include <QByteArray>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>

namespace {

constexpr int NAME_ROLE = Qt::UserRole;
constexpr int FOLDER_ROLE = Qt::UserRole + 1;
constexpr char SEPARATOR = '/';
constexpr int LIST_WIDTH = 420;
constexpr int LIST_HEIGHT = 260;

std::string nameOf(const QListWidgetItem* item) {
  const QByteArray bytes = item->data(NAME_ROLE).toByteArray();
  return {bytes.constData(), static_cast<std::size_t>(bytes.size())};
}

bool isFolderItem(const QListWidgetItem* item) { return item->data(FOLDER_ROLE).toBool(); }

}  // namespace

FileNameDialog::FileNameDialog(const FileDialogRequest& request, QWidget* parent)
    : QDialog(parent), filters_(request.filters) {
  setWindowTitle(legibleText(request.title));

  folderLabel_ = new QLabel(this);
  folderLabel_->setTextFormat(Qt::PlainText);
  folderLabel_->setObjectName(QStringLiteral("folder"));
  auto* up = new QToolButton(this);
  up->setIcon(style()->standardIcon(QStyle::SP_FileDialogToParent));
  up->setToolTip(tr("Up One Level"));
  list_ = new QListWidget(this);
  list_->setObjectName(QStringLiteral("entries"));
  list_->setMinimumSize(LIST_WIDTH, LIST_HEIGHT);
  name_ = new QLineEdit(this);
  name_->setObjectName(QStringLiteral("fileName"));
  type_ = new QComboBox(this);
  type_->setObjectName(QStringLiteral("fileType"));
  for (const auto& filter : filters_) type_->addItem(legibleText(filter.first));
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Ok)->setText(request.save ? tr("&Save") : tr("&Open"));
  buttons->button(QDialogButtonBox::Ok)->setDefault(true);

  auto* grid = new QGridLayout(this);
  grid->addWidget(new QLabel(tr("Look in:"), this), 0, 0);
  grid->addWidget(folderLabel_, 0, 1);
  grid->addWidget(up, 0, 2);
  grid->addWidget(list_, 1, 0, 1, 3);
  grid->addWidget(new QLabel(tr("File name:"), this), 2, 0);
  grid->addWidget(name_, 2, 1, 1, 2);
  grid->addWidget(new QLabel(request.save ? tr("Save as type:") : tr("Files of type:"), this), 3, 0);
  grid->addWidget(type_, 3, 1, 1, 2);
  grid->addWidget(buttons, 4, 0, 1, 3);
  grid->setColumnStretch(1, 1);

  connect(up, &QToolButton::clicked, this, [this] { enterFolder(parentFolder(folder_)); });
  connect(list_, &QListWidget::itemClicked, this, &FileNameDialog::itemChosen);
  connect(list_, &QListWidget::itemDoubleClicked, this, &FileNameDialog::itemOpened);
  connect(type_, &QComboBox::currentIndexChanged, this, [this] {
    customPatterns_.clear();
    relist();
  });
  connect(buttons, &QDialogButtonBox::accepted, this, &FileNameDialog::confirm);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  // The dialog opens where the initial name points, if that folder exists.
  std::string folder = currentFolder();
  std::string name = request.initialName;
  const std::size_t slash = name.rfind(SEPARATOR);
  if (slash != std::string::npos) {
    const std::string head = slash == 0 ? std::string(1, SEPARATOR) : name.substr(0, slash);
    const std::string candidate = head[0] == SEPARATOR ? head : joinPath(folder, head);
    if (isFolder(candidate)) {
      folder = simplifiedPath(candidate);
      name = name.substr(slash + 1);
    }
  }
  enterFolder(folder);
  pickedName_ = name;
  pickedText_ = legibleText(name);
  name_->setText(pickedText_);
  name_->setFocus();
}

void FileNameDialog::enterFolder(const std::string& folder) {
  folder_ = folder;
  folderLabel_->setText(legibleText(folder_));
  relist();
}

std::string FileNameDialog::patterns() const {
  if (!customPatterns_.empty()) return customPatterns_;
  const int index = type_->currentIndex();
  if (index < 0 || index >= static_cast<int>(filters_.size())) return "*";
  return filters_[static_cast<std::size_t>(index)].second;
}

void FileNameDialog::relist() {
  list_->clear();
  const QIcon folderIcon = style()->standardIcon(QStyle::SP_DirIcon);
  const QIcon fileIcon = style()->standardIcon(QStyle::SP_FileIcon);
  for (const FolderEntry& entry : listFolder(folder_, patterns())) {
    auto* item = new QListWidgetItem(entry.folder ? folderIcon : fileIcon, legibleText(entry.name), list_);
    item->setData(NAME_ROLE, QByteArray(entry.name.data(), static_cast<qsizetype>(entry.name.size())));
    item->setData(FOLDER_ROLE, entry.folder);
  }
}

void FileNameDialog::itemChosen(QListWidgetItem* item) {
  if (item == nullptr || isFolderItem(item)) return;
  pickedName_ = nameOf(item);
  pickedText_ = item->text();
  name_->setText(pickedText_);
}

void FileNameDialog::itemOpened(QListWidgetItem* item) {
  if (item == nullptr) return;
  if (isFolderItem(item)) {
    const std::string name = nameOf(item);
    enterFolder(name == ".." ? parentFolder(folder_) : joinPath(folder_, name));
    return;
  }
  itemChosen(item);
  confirm();
}

std::string FileNameDialog::typedName() const {
  // A name picked from the list keeps its bytes even where they do not read back.
  return name_->text() == pickedText_ ? pickedName_ : bytesOfText(name_->text());
}

void FileNameDialog::confirm() {
  // Enter on a folder in the list opens the folder, as a double click does.
  QListWidgetItem* current = list_->currentItem();
  if (list_->hasFocus() && current != nullptr && isFolderItem(current)) {
    itemOpened(current);
    return;
  }
  const std::string typed = typedName();
  if (typed.empty()) return;
  if (hasWildcard(typed)) {
    customPatterns_ = typed;
    relist();
    return;
  }
  const std::string path = typed[0] == SEPARATOR ? typed : joinPath(folder_, typed);
  if (isFolder(path)) {
    name_->clear();
    pickedName_.clear();
    pickedText_.clear();
    enterFolder(simplifiedPath(path));
    return;
  }
  path_ = path;
  accept();
}
