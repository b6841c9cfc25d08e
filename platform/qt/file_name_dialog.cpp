#include "platform/qt/file_name_dialog.h"

#include "platform/path_queries.h"
#include "platform/qt/byte_names.h"
#include "platform/qt/folder_listing.h"

#include <QByteArray>
#include <QComboBox>
#include <QDateTime>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QShortcut>
#include <QSignalBlocker>
#include <QStyle>
#include <QToolButton>
#include <QTreeWidget>

#include <algorithm>

namespace {

constexpr int NAME_ROLE = Qt::UserRole;
constexpr int FOLDER_ROLE = Qt::UserRole + 1;
constexpr int SIZE_ROLE = Qt::UserRole + 2;
constexpr int TIME_ROLE = Qt::UserRole + 3;
constexpr int NAME_COLUMN = 0;
constexpr int SIZE_COLUMN = 1;
constexpr int DATE_COLUMN = 2;
constexpr char SEPARATOR = '/';
constexpr char EXTENSION_MARK = '.';
constexpr char HOME_MARK = '~';
constexpr const char* PARENT_NAME = "..";
constexpr int DIALOG_WIDTH = 720;
constexpr int DIALOG_HEIGHT = 440;
constexpr int PLACES_WIDTH = 150;
constexpr int LOCATION_MIN_CHARS = 30;
constexpr std::uint64_t BYTES_PER_KB = 1024;
constexpr char DATE_FORMAT[] = "yyyy-MM-dd HH:mm";  // the same whatever the locale, and it sorts as text

QByteArray bytesOf(const std::string& text) { return {text.data(), static_cast<qsizetype>(text.size())}; }

std::string stringOf(const QVariant& value) {
  const QByteArray bytes = value.toByteArray();
  return {bytes.constData(), static_cast<std::size_t>(bytes.size())};
}

std::string nameOf(const QTreeWidgetItem& item) { return stringOf(item.data(NAME_COLUMN, NAME_ROLE)); }

bool isFolderItem(const QTreeWidgetItem& item) { return item.data(NAME_COLUMN, FOLDER_ROLE).toBool(); }

std::string lastComponent(const std::string& folder) {
  const std::size_t slash = folder.rfind(SEPARATOR);
  return slash == std::string::npos || slash + 1 == folder.size() ? folder : folder.substr(slash + 1);
}

// Windows' reckoning: kilobytes rounded up, so that only an empty file shows 0 KB.
QString sizeText(std::uint64_t bytes) {
  return QLocale().toString(static_cast<qulonglong>((bytes + BYTES_PER_KB - 1) / BYTES_PER_KB)) + QStringLiteral(" KB");
}

// ".." first, then the folders, then the files, whichever way a column sorts.
class EntryItem : public QTreeWidgetItem {
 public:
  EntryItem(QTreeWidget* tree, const FolderEntry& entry, const QIcon& icon) : QTreeWidgetItem(tree) {
    setIcon(NAME_COLUMN, icon);
    setText(NAME_COLUMN, legibleText(entry.name));
    setData(NAME_COLUMN, NAME_ROLE, bytesOf(entry.name));
    setData(NAME_COLUMN, FOLDER_ROLE, entry.folder);
    setData(NAME_COLUMN, SIZE_ROLE, static_cast<qulonglong>(entry.size));
    setData(NAME_COLUMN, TIME_ROLE, static_cast<qlonglong>(entry.modified));
    if (entry.name == PARENT_NAME) return;
    if (!entry.folder) setText(SIZE_COLUMN, sizeText(entry.size));
    setTextAlignment(SIZE_COLUMN, Qt::AlignRight | Qt::AlignVCenter);
    setText(DATE_COLUMN, QDateTime::fromSecsSinceEpoch(entry.modified).toString(QString::fromLatin1(DATE_FORMAT)));
  }

  bool operator<(const QTreeWidgetItem& other) const override {
    const QTreeWidget* tree = treeWidget();
    const int column = tree == nullptr ? NAME_COLUMN : tree->sortColumn();
    const bool ascending = tree == nullptr || tree->header()->sortIndicatorOrder() == Qt::AscendingOrder;
    const int group = groupOf(*this);
    const int otherGroup = groupOf(other);
    if (group != otherGroup) return ascending == (group < otherGroup);
    const int role = column == SIZE_COLUMN ? SIZE_ROLE : column == DATE_COLUMN ? TIME_ROLE : 0;
    if (role != 0) {
      const qlonglong mine = data(NAME_COLUMN, role).toLongLong();
      const qlonglong theirs = other.data(NAME_COLUMN, role).toLongLong();
      if (mine != theirs) return mine < theirs;
    }
    return lessIgnoringCase(nameOf(*this), nameOf(other));
  }

 private:
  static int groupOf(const QTreeWidgetItem& item) {
    if (!isFolderItem(item)) return 2;
    return nameOf(item) == PARENT_NAME ? 0 : 1;
  }
};

}  // namespace

FileNameDialog::FileNameDialog(const FileDialogRequest& request, const FileDialogPlaces& places, QWidget* parent)
    : QDialog(parent),
      filters_(request.filters),
      defaultExtension_(request.defaultExtension),
      maxPathBytes_(request.maxFile == 0 ? MAX_PATH_BYTES : std::min<std::size_t>(request.maxFile, MAX_PATH_BYTES)),
      title_(request.title) {
  setWindowTitle(legibleText(request.title));
  setSizeGripEnabled(true);

  location_ = new QComboBox(this);
  location_->setObjectName(QStringLiteral("location"));
  location_->setEditable(true);
  location_->setInsertPolicy(QComboBox::NoInsert);
  // A long path scrolls in the field; it never widens the dialog.
  location_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  location_->setMinimumContentsLength(LOCATION_MIN_CHARS);
  location_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  back_ = new QToolButton(this);
  back_->setObjectName(QStringLiteral("back"));
  back_->setIcon(style()->standardIcon(QStyle::SP_ArrowBack));
  back_->setToolTip(tr("Back (Alt+Left)"));
  up_ = new QToolButton(this);
  up_->setObjectName(QStringLiteral("up"));
  up_->setIcon(style()->standardIcon(QStyle::SP_FileDialogToParent));
  up_->setToolTip(tr("Up One Level (Alt+Up)"));

  places_ = new QListWidget(this);
  places_->setObjectName(QStringLiteral("places"));
  places_->setFixedWidth(PLACES_WIDTH);
  places_->setTextElideMode(Qt::ElideMiddle);

  entries_ = new QTreeWidget(this);
  entries_->setObjectName(QStringLiteral("entries"));
  entries_->setHeaderLabels({tr("Name"), tr("Size"), tr("Date Modified")});
  entries_->setRootIsDecorated(false);
  entries_->setUniformRowHeights(true);
  entries_->setAllColumnsShowFocus(true);
  entries_->setTextElideMode(Qt::ElideMiddle);
  entries_->header()->setStretchLastSection(false);
  entries_->header()->setSectionResizeMode(NAME_COLUMN, QHeaderView::Stretch);
  entries_->header()->setSectionResizeMode(SIZE_COLUMN, QHeaderView::ResizeToContents);
  entries_->header()->setSectionResizeMode(DATE_COLUMN, QHeaderView::ResizeToContents);
  entries_->header()->setSortIndicator(NAME_COLUMN, Qt::AscendingOrder);
  entries_->setSortingEnabled(true);

  status_ = new QLabel(this);
  status_->setObjectName(QStringLiteral("status"));
  status_->setTextFormat(Qt::PlainText);
  status_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  name_ = new QLineEdit(this);
  name_->setObjectName(QStringLiteral("fileName"));
  type_ = new QComboBox(this);
  type_->setObjectName(QStringLiteral("fileType"));
  type_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  for (const auto& filter : filters_) type_->addItem(legibleText(filter.first));
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Ok)->setText(request.save ? tr("&Save") : tr("&Open"));
  buttons->button(QDialogButtonBox::Ok)->setDefault(true);

  auto* grid = new QGridLayout;
  grid->addWidget(new QLabel(tr("Look in:"), this), 0, 0);
  grid->addWidget(location_, 0, 1);
  grid->addWidget(back_, 0, 2);
  grid->addWidget(up_, 0, 3);
  grid->addWidget(entries_, 1, 0, 1, 4);
  grid->addWidget(status_, 2, 0, 1, 4);
  grid->addWidget(new QLabel(tr("File name:"), this), 3, 0);
  grid->addWidget(name_, 3, 1, 1, 3);
  grid->addWidget(new QLabel(request.save ? tr("Save as type:") : tr("Files of type:"), this), 4, 0);
  grid->addWidget(type_, 4, 1, 1, 3);
  grid->addWidget(buttons, 5, 0, 1, 4);
  grid->setColumnStretch(1, 1);
  auto* root = new QHBoxLayout(this);
  root->addWidget(places_);
  root->addLayout(grid, 1);
  resize(DIALOG_WIDTH, DIALOG_HEIGHT);

  addPlace(tr("Home"), homeFolder(), style()->standardIcon(QStyle::SP_DirHomeIcon));
  addPlace(tr("File System"), std::string(1, SEPARATOR), style()->standardIcon(QStyle::SP_DriveHDIcon));
  if (!places.surveyFolder.empty()) {
    addPlace(tr("Survey Folder"), places.surveyFolder, style()->standardIcon(QStyle::SP_DirOpenIcon));
  }
  for (const std::string& folder : places.recentFolders) {
    addPlace(legibleText(lastComponent(folder)), folder, style()->standardIcon(QStyle::SP_DirIcon));
  }

  connect(back_, &QToolButton::clicked, this, [this] { goBack(); });
  connect(up_, &QToolButton::clicked, this, [this] { enterFolder(parentFolder(folder_)); });
  // Backspace only reaches the dialog where no text field takes it.
  new QShortcut(QKeySequence(Qt::Key_Backspace), this, [this] { enterFolder(parentFolder(folder_)); });
  new QShortcut(QKeySequence(Qt::ALT | Qt::Key_Up), this, [this] { enterFolder(parentFolder(folder_)); });
  new QShortcut(QKeySequence(Qt::ALT | Qt::Key_Left), this, [this] { goBack(); });
  new QShortcut(QKeySequence(Qt::ALT | Qt::Key_D), this, [this] {
    location_->setFocus(Qt::ShortcutFocusReason);
    location_->lineEdit()->selectAll();
  });
  connect(location_, &QComboBox::activated, this,
          [this](int index) { enterFolder(stringOf(location_->itemData(index))); });
  // Keys reach the location's text field through the combo box, its focus proxy.
  location_->installEventFilter(this);
  location_->lineEdit()->installEventFilter(this);
  connect(places_, &QListWidget::itemClicked, this,
          [this](QListWidgetItem* item) { enterFolder(stringOf(item->data(NAME_ROLE))); });
  connect(places_, &QListWidget::itemActivated, this,
          [this](QListWidgetItem* item) { enterFolder(stringOf(item->data(NAME_ROLE))); });
  connect(entries_, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) { itemChosen(item); });
  connect(entries_, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) { itemOpened(item); });
  connect(type_, &QComboBox::currentIndexChanged, this, &FileNameDialog::filterChosen);
  connect(buttons, &QDialogButtonBox::accepted, this, &FileNameDialog::confirm);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  // The dialog opens where the initial name points, if that folder exists.
  std::string folder = currentFolder();
  std::string name = request.initialName;
  const std::size_t slash = name.rfind(SEPARATOR);
  if (slash != std::string::npos) {
    const std::string head = slash == 0 ? std::string(1, SEPARATOR) : name.substr(0, slash);
    const std::string candidate = head[0] == SEPARATOR ? head : joinPath(folder, head);
    if (pathIsFolder(candidate)) {
      folder = simplifiedPath(candidate);
      name = name.substr(slash + 1);
    }
  }
  showFolder(folder);
  pickedName_ = name;
  pickedText_ = legibleText(name);
  name_->setText(pickedText_);
  name_->setFocus();
}

void FileNameDialog::addPlace(const QString& label, const std::string& folder, const QIcon& icon) {
  if (!pathIsFolder(folder)) return;
  for (int row = 0; row < places_->count(); ++row) {
    if (stringOf(places_->item(row)->data(NAME_ROLE)) == folder) return;
  }
  auto* item = new QListWidgetItem(icon, label, places_);
  item->setData(NAME_ROLE, bytesOf(folder));
  item->setToolTip(legibleText(folder));
}

void FileNameDialog::enterFolder(const std::string& folder) {
  if (folder == folder_) {
    relist();
    return;
  }
  history_.push_back(folder_);
  showFolder(folder);
}

void FileNameDialog::goBack() {
  if (history_.empty()) return;
  const std::string folder = history_.back();
  history_.pop_back();
  showFolder(folder);
}

void FileNameDialog::showFolder(const std::string& folder) {
  folder_ = folder;
  back_->setEnabled(!history_.empty());
  up_->setEnabled(folder_ != std::string(1, SEPARATOR));
  fillLocation();
  relist();
}

void FileNameDialog::fillLocation() {
  std::vector<std::string> chain{folder_};
  while (chain.back().size() > 1) chain.push_back(parentFolder(chain.back()));
  const QSignalBlocker blocker(location_);
  location_->clear();
  const QIcon icon = style()->standardIcon(QStyle::SP_DirIcon);
  for (auto it = chain.rbegin(); it != chain.rend(); ++it) location_->addItem(icon, legibleText(*it), bytesOf(*it));
  location_->setCurrentIndex(location_->count() - 1);
}

void FileNameDialog::locationTyped() {
  std::string typed = bytesOfText(location_->lineEdit()->text());
  if (!typed.empty() && typed[0] == HOME_MARK) typed = homeFolder() + typed.substr(1);
  const std::string path = typed.empty() || typed[0] == SEPARATOR ? typed : joinPath(folder_, typed);
  if (!path.empty() && pathIsFolder(path)) {
    enterFolder(simplifiedPath(path));
    return;
  }
  status_->setText(tr("%1 is not a folder.").arg(legibleText(typed)));
  changed();
}

std::string FileNameDialog::patterns() const {
  if (!customPatterns_.empty()) return customPatterns_;
  const int index = type_->currentIndex();
  if (index < 0 || index >= static_cast<int>(filters_.size())) return "*";
  return filters_[static_cast<std::size_t>(index)].second;
}

void FileNameDialog::filterChosen(int index) {
  const int custom = static_cast<int>(filters_.size());
  if (index >= custom) return;
  customPatterns_.clear();
  if (type_->count() > custom) {
    const QSignalBlocker blocker(type_);
    type_->removeItem(custom);
  }
  relist();
}

void FileNameDialog::applyCustomPatterns(const std::string& patterns) {
  customPatterns_ = patterns;
  const int custom = static_cast<int>(filters_.size());
  {
    // The filter in force shows where the filters are chosen.
    const QSignalBlocker blocker(type_);
    if (type_->count() > custom) type_->setItemText(custom, legibleText(patterns));
    else type_->addItem(legibleText(patterns));
    type_->setCurrentIndex(custom);
  }
  relist();
  name_->selectAll();
}

void FileNameDialog::relist() {
  entries_->setSortingEnabled(false);
  entries_->clear();
  const std::optional<std::vector<FolderEntry>> listed = listFolder(folder_, patterns());
  int files = 0;
  if (listed) {
    const QIcon folderIcon = style()->standardIcon(QStyle::SP_DirIcon);
    const QIcon fileIcon = style()->standardIcon(QStyle::SP_FileIcon);
    for (const FolderEntry& entry : *listed) {
      new EntryItem(entries_, entry, entry.folder ? folderIcon : fileIcon);
      if (!entry.folder) ++files;
    }
  }
  // Sorted as the header shows, folders first.
  entries_->setSortingEnabled(true);
  if (!listed) {
    status_->setText(tr("This folder cannot be read."));
  } else if (customPatterns_.empty()) {
    status_->clear();
  } else {
    const QString shown = legibleText(customPatterns_);
    status_->setText(files == 0   ? tr("No file matches %1.").arg(shown)
                     : files == 1 ? tr("1 file matches %1.").arg(shown)
                                  : tr("%1 files match %2.").arg(files).arg(shown));
  }
  changed();
}

void FileNameDialog::itemChosen(QTreeWidgetItem* item) {
  if (item == nullptr || isFolderItem(*item)) return;
  pickedName_ = nameOf(*item);
  pickedText_ = item->text(NAME_COLUMN);
  name_->setText(pickedText_);
}

void FileNameDialog::itemOpened(QTreeWidgetItem* item) {
  if (item == nullptr) return;
  if (isFolderItem(*item)) {
    const std::string name = nameOf(*item);
    enterFolder(name == PARENT_NAME ? parentFolder(folder_) : joinPath(folder_, name));
    return;
  }
  itemChosen(item);
  confirm();
}

std::string FileNameDialog::typedName() const {
  // A name picked from the list keeps its bytes even where they do not read back.
  return name_->text() == pickedText_ ? pickedName_ : bytesOfText(name_->text());
}

bool FileNameDialog::fitsNameBuffer(const std::string& path) {
  const std::size_t nameStart = path.rfind(SEPARATOR) + 1;
  const bool extended = defaultExtension_.empty() || path.find(EXTENSION_MARK, nameStart) != std::string::npos;
  // With the default extension the platform adds, and the terminator.
  const std::size_t bytes = path.size() + (extended ? 0 : 1 + defaultExtension_.size()) + 1;
  if (bytes <= maxPathBytes_) return true;
  QMessageBox box(
      QMessageBox::Warning, legibleText(title_),
      legibleText(path) +
          tr("\nThe file name is too long.\nThe whole path may hold at most %1 bytes.").arg(maxPathBytes_ - 1),
      QMessageBox::Ok, this);
  box.setTextFormat(Qt::PlainText);
  box.exec();
  name_->setFocus();
  name_->selectAll();
  return false;
}

void FileNameDialog::confirm() {
  // Enter on a folder in the list opens the folder, as a double click does.
  QTreeWidgetItem* current = entries_->currentItem();
  if (entries_->hasFocus() && current != nullptr && isFolderItem(*current)) {
    itemOpened(current);
    return;
  }
  const std::string typed = typedName();
  if (typed.empty()) return;
  if (hasWildcard(typed)) {
    applyCustomPatterns(typed);
    return;
  }
  const std::string path = typed[0] == SEPARATOR ? typed : joinPath(folder_, typed);
  if (pathIsFolder(path)) {
    name_->clear();
    pickedName_.clear();
    pickedText_.clear();
    enterFolder(simplifiedPath(path));
    return;
  }
  if (!fitsNameBuffer(path)) return;
  path_ = path;
  accept();
}

void FileNameDialog::changed() {
  if (observer_) observer_();
}

bool FileNameDialog::eventFilter(QObject* watched, QEvent* event) {
  // Enter in the location goes there; it must not reach the Open button too.
  const bool inLocation = watched == location_ || watched == location_->lineEdit();
  if (inLocation && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      locationTyped();
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

void FileNameDialog::moveEvent(QMoveEvent* event) {
  QDialog::moveEvent(event);
  changed();
}

void FileNameDialog::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  changed();
}

void FileNameDialog::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  changed();
}
