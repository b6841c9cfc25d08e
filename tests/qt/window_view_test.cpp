// The window as the template draws it, clicks turned into the program's
// commands, and the model shown: drives the real widgets.
#include "tests/qt/qt_test_support.h"

#include "platform/file_drops.h"
#include "platform/qt/dialog_units.h"
#include "platform/qt/field_label.h"
#include "platform/window_model.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTest>
#include <QUrl>
#include <QWindow>

#include <limits>
#include <string>

namespace {

const int buttonIds[] = {IDC_BROWSE_SONAR, IDC_PAIR_1,    IDC_PAIR_3,      IDC_PAIR_2,     IDC_PAIR_4,
                         IDC_SUBBOTTOM,    IDC_CHANNEL_1, IDC_CHANNEL_2,   IDC_CHANNEL_3,  IDC_CHANNEL_4,
                         IDC_CHANNEL_5,    IDC_CHANNEL_6, IDC_CHANNEL_7,   IDC_CHANNEL_8,  IDC_REVERSE_SAMPLES,
                         IDC_SHIP,         IDC_SENSOR,    IDC_BROWSE_SEGY, IDC_BIG_ENDIAN, IDC_LITTLE_ENDIAN,
                         IDC_VERBOSE,      IDC_PROCESS,   IDC_EXIT};

const UINT menuIds[] = {IDM_SELECT_SONAR_FILE, IDM_SELECT_SEGY_FILE, IDM_EXIT, IDM_PROCESSING_INFO};

QAbstractButton* button(QWidget* widget) { return dynamic_cast<QAbstractButton*>(widget); }

FieldLabel* field(QWidget* widget) { return dynamic_cast<FieldLabel*>(widget); }

constexpr char FOUR_PAIRS[] =
    "(1) PORT 100kHz - (2) STBD 100kHz\n(3) PORT 200kHz - (4) STBD 200kHz\n"
    "(5) PORT 300kHz - (6) STBD 300kHz\n(7) PORT 400kHz - (8) STBD 400kHz";
constexpr char THREE_PAIRS_AND_MORE[] =
    "(1) PORT 100kHz - (2) STBD 100kHz\n(3) PORT 200kHz - (4) STBD 200kHz\n"
    "(5) PORT 400kHz - (6) STBD 400kHz\n(7) SUBBOTTOM\n(8) STBD 600kHz";

QString labelText(QWidget* widget) {
  auto* label = dynamic_cast<QLabel*>(widget);
  return label == nullptr ? QStringLiteral("<not a label>") : label->text();
}

// Opens the menu bar's popup and clicks the item, as a user does.
void clickMenu(WindowView* view, QAction* action) {
  QMenuBar* bar = view->menuBar();
  for (QAction* popupAction : bar->actions()) {
    QMenu* popup = popupAction->menu();
    if (popup == nullptr || !popup->actions().contains(action)) continue;
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(popupAction).center());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(popup));
    QTest::mouseClick(popup, Qt::LeftButton, {}, popup->actionGeometry(action).center());
    return;
  }
  ADD_FAILURE() << "no popup holds the item";
}

}  // namespace

TEST_F(QtWindowTest, EveryButtonClickPostsItsCommand) {
  ShowWindow(window, SW_SHOWNORMAL);
  for (int id : buttonIds) {
    SCOPED_TRACE(id);
    EnableWindow(GetDlgItem(window, id), TRUE);
    QWidget* target = widget(id);
    ASSERT_NE(button(target), nullptr);
    QTest::mouseClick(target, Qt::LeftButton);
    const auto messages = takeMessages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].hwnd, window);
    EXPECT_EQ(messages[0].message, WM_COMMAND);
    EXPECT_EQ(LOWORD(messages[0].wParam), id);
    EXPECT_EQ(HIWORD(messages[0].wParam), BN_CLICKED);
  }
}

TEST_F(QtWindowTest, EveryMenuItemPostsItsCommand) {
  ShowWindow(window, SW_SHOWNORMAL);
  ASSERT_TRUE(QTest::qWaitForWindowExposed(view));
  for (UINT id : menuIds) {
    SCOPED_TRACE(id);
    QAction* action = view->menuItem(id);
    ASSERT_NE(action, nullptr);
    clickMenu(view, action);
    const auto messages = takeMessages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].message, WM_COMMAND);
    EXPECT_EQ(LOWORD(messages[0].wParam), id);
  }
}

TEST_F(QtWindowTest, TitleBarCloseOnlyAsksTheProgram) {
  ShowWindow(window, SW_SHOWNORMAL);
  EXPECT_FALSE(view->close());
  const auto messages = takeMessages();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].message, WM_CLOSE);
  EXPECT_TRUE(IsWindow(window));
  EXPECT_TRUE(view->isVisible());

  // A greyed Close in the system menu takes the button away, and the close with it.
  EXPECT_TRUE(view->windowFlags() & Qt::WindowCloseButtonHint);
  EnableMenuItem(GetSystemMenu(window, FALSE), SC_CLOSE, MF_BYCOMMAND | MF_GRAYED);
  EXPECT_FALSE(view->windowFlags() & Qt::WindowCloseButtonHint);
  EXPECT_TRUE(view->isVisible());
  view->close();
  EXPECT_TRUE(takeMessages().empty());
}

TEST_F(QtWindowTest, DroppedLocalFilesReachTheProgramOnlyWhileItTakesThem) {
  ShowWindow(window, SW_SHOWNORMAL);
  const QPoint inside = view->rect().center();
  QMimeData remote;
  remote.setUrls({QUrl("https://example.invalid/line.vsk")});
  QMimeData local;
  local.setUrls({QUrl::fromLocalFile("/data/line 7.vsk")});
  const auto entered = [&](const QMimeData& data) {
    QDragEnterEvent enter(inside, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view, &enter);
    return enter.isAccepted();
  };
  EXPECT_FALSE(entered(local)) << "the window has not asked for drops";
  DragAcceptFiles(window, TRUE);
  EXPECT_FALSE(entered(remote));
  ASSERT_TRUE(entered(local));
  QDropEvent drop(inside, Qt::CopyAction, &local, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(view, &drop);
  const auto messages = takeMessages();
  ASSERT_EQ(messages.size(), 1u);
  ASSERT_EQ(messages[0].message, WM_DROPFILES);
  auto* dropped = reinterpret_cast<HDROP>(messages[0].wParam);
  char name[32] = {};
  EXPECT_EQ(DragQueryFileA(dropped, DROPPED_FILE_COUNT, nullptr, 0), 1u);
  DragQueryFileA(dropped, 0, name, sizeof name);
  EXPECT_STREQ(name, "/data/line 7.vsk");
  DragFinish(dropped);
}

TEST_F(QtWindowTest, DisabledControlsLookDisabledAndStayQuiet) {
  ShowWindow(window, SW_SHOWNORMAL);
  for (int id : {IDC_PAIR_1, IDC_CHANNEL_8, IDC_REVERSE_SAMPLES}) {
    EXPECT_FALSE(widget(id)->isEnabled()) << id;
    QTest::mouseClick(widget(id), Qt::LeftButton);
  }
  EnableWindow(GetDlgItem(window, IDC_PROCESS), FALSE);
  EXPECT_FALSE(widget(IDC_PROCESS)->isEnabled());
  QTest::mouseClick(widget(IDC_PROCESS), Qt::LeftButton);
  EXPECT_TRUE(takeMessages().empty());

  EnableMenuItem(GetMenu(window), IDM_SELECT_SONAR_FILE, MF_BYCOMMAND | MF_GRAYED);
  EXPECT_FALSE(view->menuItem(IDM_SELECT_SONAR_FILE)->isEnabled());
  EXPECT_TRUE(view->menuItem(IDM_SELECT_SEGY_FILE)->isEnabled());
}

TEST_F(QtWindowTest, ClicksNeverChangeAMarkByThemselves) {
  ShowWindow(window, SW_SHOWNORMAL);
  EnableWindow(GetDlgItem(window, IDC_CHANNEL_3), TRUE);
  for (int id : {IDC_CHANNEL_3, IDC_SHIP, IDC_LITTLE_ENDIAN, IDC_VERBOSE}) {
    SCOPED_TRACE(id);
    QAbstractButton* box = button(widget(id));
    QTest::mouseClick(box, Qt::LeftButton);
    EXPECT_FALSE(box->isChecked());
    EXPECT_EQ(IsDlgButtonChecked(window, id), BST_UNCHECKED);
    CheckDlgButton(window, id, BST_CHECKED);
    EXPECT_TRUE(box->isChecked());
    QTest::mouseClick(box, Qt::LeftButton);
    EXPECT_TRUE(box->isChecked());
  }
  // Radio buttons of one group never clear each other by themselves.
  EXPECT_TRUE(button(widget(IDC_SHIP))->isChecked());
  QTest::mouseClick(widget(IDC_SENSOR), Qt::LeftButton);
  EXPECT_TRUE(button(widget(IDC_SHIP))->isChecked());
  EXPECT_FALSE(button(widget(IDC_SENSOR))->isChecked());
  CheckRadioButton(window, IDC_SHIP, IDC_SENSOR, IDC_SENSOR);
  EXPECT_FALSE(button(widget(IDC_SHIP))->isChecked());
  EXPECT_TRUE(button(widget(IDC_SENSOR))->isChecked());

  QAction* info = view->menuItem(IDM_PROCESSING_INFO);
  clickMenu(view, info);
  EXPECT_FALSE(info->isChecked());
  CheckMenuItem(GetMenu(window), IDM_PROCESSING_INFO, MF_BYCOMMAND | MF_CHECKED);
  EXPECT_TRUE(info->isChecked());
  clickMenu(view, info);
  EXPECT_TRUE(info->isChecked());
  EXPECT_EQ(takeMessages().size(), 11u);
}

TEST_F(QtWindowTest, ModelChangesShowInTheWidgets) {
  SetDlgItemTextA(window, IDC_STATUS, " Ready");
  EXPECT_EQ(labelText(widget(IDC_STATUS)), QStringLiteral(" Ready"));
  SetDlgItemTextA(window, IDC_CHANNEL_LIST, "(1) PORT 100kHz - (2) STBD 100kHz\n(5) SUBBOTTOM");
  EXPECT_EQ(labelText(widget(IDC_CHANNEL_LIST)), QStringLiteral("(1) PORT 100kHz - (2) STBD 100kHz\n(5) SUBBOTTOM"));
  SetDlgItemTextA(window, IDC_SONAR_FILE_NAME, "/data/caf\xE9 line.vsk");
  EXPECT_EQ(labelText(widget(IDC_SONAR_FILE_NAME)), QStringLiteral("/data/caf\\xE9 line.vsk"));
  SendDlgItemMessageA(window, IDC_SONAR_PING_COUNT, WM_SETTEXT, 0,
                      reinterpret_cast<LPARAM>(" 1000 (sonar/subbottom) "));
  EXPECT_EQ(labelText(widget(IDC_SONAR_PING_COUNT)), QStringLiteral(" 1000 (sonar/subbottom) "));

  auto* bar = dynamic_cast<QProgressBar*>(widget(IDC_PROGRESS));
  ASSERT_NE(bar, nullptr);
  SendDlgItemMessageA(window, IDC_PROGRESS, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
  SendDlgItemMessageA(window, IDC_PROGRESS, PBM_SETPOS, 42, 0);
  EXPECT_EQ(bar->value(), 42);
  EXPECT_EQ(bar->maximum(), 100);

  EnableWindow(GetDlgItem(window, IDC_SUBBOTTOM), TRUE);
  EXPECT_TRUE(widget(IDC_SUBBOTTOM)->isEnabled());
  SendDlgItemMessageA(window, IDC_SUBBOTTOM, BM_SETCHECK, BST_CHECKED, 0);
  EXPECT_TRUE(button(widget(IDC_SUBBOTTOM))->isChecked());
  CheckRadioButton(window, IDC_BIG_ENDIAN, IDC_LITTLE_ENDIAN, IDC_LITTLE_ENDIAN);
  EXPECT_TRUE(button(widget(IDC_LITTLE_ENDIAN))->isChecked());
  EXPECT_FALSE(button(widget(IDC_BIG_ENDIAN))->isChecked());

  SetWindowTextA(window, "VESKCONV - VSK to SEGY file format conversion tool");
  EXPECT_EQ(view->windowTitle(), QStringLiteral("VESKCONV - VSK to SEGY file format conversion tool"));
  EXPECT_FALSE(view->isVisible());
  ShowWindow(window, SW_SHOWNORMAL);
  EXPECT_TRUE(view->isVisible());
}

TEST_F(QtWindowTest, ControlsSitWhereTheTemplatePutsThemInDialogUnits) {
  // The template's proportions: "MS Sans Serif" 8 pt has base units of 6 x 13 pixels at 96 dpi.
  const int dpi = view->logicalDpiY();
  const int baseX = (6 * dpi + 48) / 96;
  const int baseY = (13 * dpi + 48) / 96;
  EXPECT_EQ(view->baseUnits().x, baseX);
  EXPECT_EQ(view->baseUnits().y, baseY);
  // The face standing in for it fits them, by Windows' reckoning of its letters.
  const QFontMetrics metrics(view->font());
  const int alphabet =
      metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
  EXPECT_LE((alphabet / 26 + 1) / 2, baseX);
  EXPECT_LT(metrics.lineSpacing(), baseY);
  EXPECT_GE(metrics.lineSpacing(), baseY * 3 / 4) << "no smaller than it need be";

  const auto pixels = [&](int dialogX, int dialogY) {
    return QPoint((dialogX * baseX * 2 + 4) / 8, (dialogY * baseY * 2 + 8) / 16);
  };
  const auto expectAt = [&](int id, int x, int y, int cx, int cy) {
    SCOPED_TRACE(id);
    const QRect rect = widget(id)->geometry();
    EXPECT_EQ(rect.topLeft(), pixels(x, y));
    EXPECT_EQ(rect.bottomRight() + QPoint(1, 1), pixels(x + cx, y + cy));
  };
  expectAt(IDC_BROWSE_SONAR, 320, 10, 46, 125);
  expectAt(IDC_CHANNEL_LIST, 135, 25, 175, 32);
  expectAt(IDC_PAIR_3, 225, 75, 68, 10);
  expectAt(IDC_REVERSE_SAMPLES, 214, 116, 94, 10);
  expectAt(IDC_STATUS, 45, 260, 265, 12);
  expectAt(IDC_PROGRESS, 45, 279, 265, 11);
  EXPECT_EQ(view->centralWidget()->size(), QSize(pixels(372, 295).x(), pixels(372, 295).y()));
  // Every box's text fits beside its mark.
  for (int id : {IDC_PAIR_1, IDC_PAIR_3, IDC_SUBBOTTOM, IDC_REVERSE_SAMPLES, IDC_BIG_ENDIAN, IDC_LITTLE_ENDIAN}) {
    QAbstractButton* box = button(widget(id));
    QStyleOptionButton option;
    option.initFrom(box);
    const bool radio = dynamic_cast<QRadioButton*>(box) != nullptr;
    const QStyle::SubElement contents = radio ? QStyle::SE_RadioButtonContents : QStyle::SE_CheckBoxContents;
    const QRect text = box->style()->subElementRect(contents, &option, box);
    EXPECT_LE(box->fontMetrics().horizontalAdvance(box->text()), text.width()) << id;
  }

  // Fixed size, no maximize button.
  ShowWindow(window, SW_SHOWNORMAL);
  EXPECT_EQ(view->minimumSize(), view->maximumSize());
  EXPECT_FALSE(view->windowFlags() & Qt::WindowMaximizeButtonHint);
  EXPECT_TRUE(view->windowFlags() & Qt::WindowMinimizeButtonHint);
  EXPECT_FALSE(view->windowIcon().isNull());
}

TEST_F(QtWindowTest, PositionGoesBothWays) {
  SetWindowPos(window, nullptr, 120, 80, 0, 0, SWP_NOZORDER | SWP_NOSIZE);
  ShowWindow(window, SW_SHOWNORMAL);
  ASSERT_TRUE(QTest::qWaitForWindowExposed(view));
  EXPECT_EQ(view->frameGeometry().topLeft(), QPoint(120, 80));

  view->move(200, 150);
  QTest::qWait(10);
  RECT rect{};
  ASSERT_TRUE(GetWindowRect(window, &rect));
  EXPECT_EQ(rect.left, view->frameGeometry().left());
  EXPECT_EQ(rect.top, view->frameGeometry().top());
  EXPECT_EQ(rect.right - rect.left, view->frameGeometry().width());
  EXPECT_EQ(rect.bottom - rect.top, view->frameGeometry().height());
  EXPECT_EQ(rect.left, 200);
  EXPECT_EQ(rect.top, 150);
}

TEST_F(QtWindowTest, FourChannelLinesAllShowAndMoreAreReachable) {
  ShowWindow(window, SW_SHOWNORMAL);
  SetDlgItemTextA(window, IDC_CHANNEL_LIST, FOUR_PAIRS);
  FieldLabel* list = field(widget(IDC_CHANNEL_LIST));
  ASSERT_NE(list, nullptr);
  const QStringList lines = QString::fromLatin1(FOUR_PAIRS).split(QLatin1Char('\n'));
  EXPECT_EQ(list->text(), QString::fromLatin1(FOUR_PAIRS));
  EXPECT_EQ(list->shownLines(), lines);
  EXPECT_TRUE(list->showsAll());
  EXPECT_TRUE(list->toolTip().isEmpty());
  // Four lines of the field's font, each as wide as its text, inside the frame of the 32-unit field.
  const QFontMetrics metrics(list->font());
  EXPECT_LE(4 * metrics.lineSpacing(), list->contentsRect().height());
  EXPECT_TRUE(list->rect().contains(list->contentsRect()));
  for (const QString& line : lines) {
    EXPECT_LE(metrics.horizontalAdvance(line), list->contentsRect().width()) << line.toStdString();
  }

  // Five lines: the text stays, what does not fit is in the tooltip, and the cut is marked.
  SetDlgItemTextA(window, IDC_CHANNEL_LIST, THREE_PAIRS_AND_MORE);
  EXPECT_EQ(list->text(), QString::fromLatin1(THREE_PAIRS_AND_MORE));
  EXPECT_FALSE(list->showsAll());
  EXPECT_EQ(list->toolTip(), QString::fromLatin1(THREE_PAIRS_AND_MORE));
  ASSERT_EQ(list->shownLines().size(), 4);
  EXPECT_EQ(list->shownLines()[2], QStringLiteral("(5) PORT 400kHz - (6) STBD 400kHz"));
  EXPECT_TRUE(list->shownLines()[3].startsWith(QStringLiteral("(7) SUBBOTTOM")));
  EXPECT_TRUE(list->shownLines()[3].endsWith(QChar(0x2026)));
  char back[256] = {};
  GetDlgItemTextA(window, IDC_CHANNEL_LIST, back, sizeof back);
  EXPECT_STREQ(back, THREE_PAIRS_AND_MORE);
}

TEST_F(QtWindowTest, ALongPathKeepsItsFileNameInView) {
  ShowWindow(window, SW_SHOWNORMAL);
  FieldLabel* name = field(widget(IDC_SONAR_FILE_NAME));
  ASSERT_NE(name, nullptr);
  const QFontMetrics metrics(name->font());
  const int room = name->contentsRect().width();

  SetDlgItemTextA(window, IDC_SONAR_FILE_NAME, "/data/line7.vsk");
  EXPECT_EQ(name->shownLines(), QStringList{QStringLiteral("/data/line7.vsk")});
  EXPECT_TRUE(name->toolTip().isEmpty());

  std::string path = "/home/surveyor/projects";
  for (int depth = 0; depth < 12; ++depth) path += "/harbour approach " + std::to_string(depth);
  path += "/line 7 caf\xE9.vsk";
  SetDlgItemTextA(window, IDC_SONAR_FILE_NAME, path.c_str());
  const QString full = QStringLiteral("/home/surveyor/projects") + [] {
    QString middle;
    for (int depth = 0; depth < 12; ++depth) middle += QStringLiteral("/harbour approach %1").arg(depth);
    return middle;
  }() + QStringLiteral("/line 7 caf\\xE9.vsk");
  EXPECT_EQ(name->text(), full);
  EXPECT_EQ(name->toolTip(), full);
  ASSERT_EQ(name->shownLines().size(), 1);
  const QString shown = name->shownLines().front();
  EXPECT_TRUE(shown.startsWith(QStringLiteral("/home/"))) << shown.toStdString();
  EXPECT_TRUE(shown.endsWith(QStringLiteral("/line 7 caf\\xE9.vsk"))) << shown.toStdString();
  EXPECT_TRUE(shown.contains(QChar(0x2026)));
  EXPECT_LE(metrics.horizontalAdvance(shown), room);
  EXPECT_TRUE(name->alignment() & Qt::AlignLeft);

  // A name that is itself wider than the field is elided inside, still within it.
  const std::string longName = "/data/" + std::string(300, 'n') + ".vsk";
  SetDlgItemTextA(window, IDC_SONAR_FILE_NAME, longName.c_str());
  EXPECT_LE(metrics.horizontalAdvance(name->shownLines().front()), room);
  EXPECT_TRUE(name->shownLines().front().endsWith(QStringLiteral("nnn.vsk")));
}

TEST_F(QtWindowTest, VerboseLooksLikeAButtonWhenOffAndIsHighlightedWhenOn) {
  ShowWindow(window, SW_SHOWNORMAL);
  QWidget* verbose = widget(IDC_VERBOSE);
  ASSERT_FALSE(button(verbose)->isChecked());
  const QImage unchecked = verbose->grab().toImage();
  const QRgb frame = verbose->palette().color(QPalette::Shadow).rgb();
  const QRgb face = verbose->palette().color(QPalette::Button).rgb();
  const int w = unchecked.width();
  const int h = unchecked.height();
  // A frame all round, one pixel wide, on the button's face.
  for (const QPoint edge : {QPoint(0, h / 2), QPoint(w - 1, h / 2), QPoint(w / 2, 0), QPoint(w / 2, h - 1)}) {
    EXPECT_EQ(unchecked.pixel(edge), frame) << edge.x() << "," << edge.y();
  }
  EXPECT_EQ(unchecked.pixel(2, 2), face);
  EXPECT_NE(frame, face);

  // On is filled with the highlight, as the Windows build draws it: not to be mistaken for off.
  CheckDlgButton(window, IDC_VERBOSE, BST_CHECKED);
  const QImage checked = verbose->grab().toImage();
  EXPECT_EQ(checked.pixel(2, 2), verbose->palette().color(QPalette::Highlight).rgb());
  EXPECT_NE(checked.pixel(0, h / 2), face);
}

TEST_F(QtWindowTest, OnlyTheItemTheProgramMarksIsAToggle) {
  for (UINT id : menuIds) EXPECT_FALSE(view->menuItem(id)->isCheckable()) << id;
  CheckMenuItem(GetMenu(window), IDM_PROCESSING_INFO, MF_BYCOMMAND | MF_CHECKED);
  EXPECT_TRUE(view->menuItem(IDM_PROCESSING_INFO)->isCheckable());
  EXPECT_TRUE(view->menuItem(IDM_PROCESSING_INFO)->isChecked());
  // Switched off it keeps its (empty) box; the commands never get one.
  CheckMenuItem(GetMenu(window), IDM_PROCESSING_INFO, MF_BYCOMMAND | MF_UNCHECKED);
  EXPECT_TRUE(view->menuItem(IDM_PROCESSING_INFO)->isCheckable());
  EXPECT_FALSE(view->menuItem(IDM_PROCESSING_INFO)->isChecked());
  ShowWindow(window, SW_SHOWNORMAL);
  ASSERT_TRUE(QTest::qWaitForWindowExposed(view));
  for (UINT id : {IDM_SELECT_SONAR_FILE, IDM_SELECT_SEGY_FILE}) {
    clickMenu(view, view->menuItem(id));
    EXPECT_FALSE(view->menuItem(id)->isCheckable()) << id;
    EXPECT_FALSE(view->menuItem(id)->isChecked()) << id;
  }
  EXPECT_EQ(takeMessages().size(), 2u);
}

TEST_F(QtWindowTest, TheSizeHintsAreFixed) {
  ShowWindow(window, SW_SHOWNORMAL);
  ASSERT_TRUE(QTest::qWaitForWindowExposed(view));
  // What a window manager reads: the same minimum and maximum, the window's own size.
  const QWindow* handle = view->windowHandle();
  ASSERT_NE(handle, nullptr);
  EXPECT_EQ(handle->minimumSize(), handle->maximumSize());
  EXPECT_EQ(handle->minimumSize(), view->size());
  EXPECT_FALSE(handle->flags() & Qt::WindowMaximizeButtonHint);
}

TEST_F(QtWindowTest, APositionOffEveryScreenShowsWithinReachAndIsKept) {
  const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
  // "Window Coordinates - top=-99999999999" reads back as this.
  constexpr int FAR_UP = -1215752191;
  SetWindowPos(window, nullptr, 20, FAR_UP, 0, 0, SWP_NOZORDER | SWP_NOSIZE);
  ShowWindow(window, SW_SHOWNORMAL);
  ASSERT_TRUE(QTest::qWaitForWindowExposed(view));
  const QRect shown = view->frameGeometry();
  EXPECT_TRUE(screen.contains(shown.topLeft())) << shown.left() << "," << shown.top();
  EXPECT_EQ(shown.left(), 20);
  RECT rect{};
  ASSERT_TRUE(GetWindowRect(window, &rect));
  EXPECT_EQ(rect.left, 20);
  EXPECT_EQ(rect.top, FAR_UP) << "the program's position stands while the window is not moved";

  // As far as a position goes either way: brought back whole onto the screen.
  for (const int far : {std::numeric_limits<int>::max() - 1000, std::numeric_limits<int>::min()}) {
    SetWindowPos(window, nullptr, far, far, 0, 0, SWP_NOZORDER | SWP_NOSIZE);
    QTest::qWait(10);
    EXPECT_TRUE(screen.contains(view->frameGeometry().topLeft())) << far;
  }

  // Moved by the user, the window is where it is.
  view->move(screen.left() + 30, screen.top() + 40);
  QTest::qWait(10);
  ASSERT_TRUE(GetWindowRect(window, &rect));
  EXPECT_EQ(rect.left, screen.left() + 30);
  EXPECT_EQ(rect.top, screen.top() + 40);

  // Partly off the screen but with the title bar in reach, it goes where it was put.
  const QPoint partly(screen.right() - 200, screen.top() + 50);
  SetWindowPos(window, nullptr, partly.x(), partly.y(), 0, 0, SWP_NOZORDER | SWP_NOSIZE);
  QTest::qWait(10);
  EXPECT_EQ(view->frameGeometry().topLeft(), partly);
}

TEST_F(QtWindowTest, F10AndAltAloneTakeTheKeyboardToTheMenuBar) {
  ShowWindow(window, SW_SHOWNORMAL);
  view->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(view));
  QMenuBar* bar = view->menuBar();
  QAction* file = bar->actions().front();
  // Beside the item's text, inside its highlight.
  const auto fileHighlighted = [bar, file] {
    const QRect item = bar->actionGeometry(file);
    return bar->grab().toImage().pixel(item.left() + 1, item.center().y()) ==
           bar->palette().color(QPalette::Highlight).rgb();
  };
  EXPECT_FALSE(fileHighlighted());

  QTest::keyClick(view, Qt::Key_F10);
  EXPECT_EQ(bar->activeAction(), file);
  EXPECT_TRUE(fileHighlighted());
  EXPECT_EQ(QApplication::activePopupWidget(), nullptr) << "highlighted, not opened";
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
  QWidget* popup = QApplication::activePopupWidget();
  ASSERT_NE(popup, nullptr);
  EXPECT_EQ(popup, file->menu());
  QTest::keyClick(popup, Qt::Key_Escape);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
  QTRY_COMPARE(bar->activeAction(), static_cast<QAction*>(nullptr));

  QTest::keyClick(view, Qt::Key_Alt);
  EXPECT_EQ(bar->activeAction(), file);
  EXPECT_TRUE(fileHighlighted());
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
  QTRY_COMPARE(bar->activeAction(), static_cast<QAction*>(nullptr));
  EXPECT_FALSE(fileHighlighted());

  // No mnemonics: Alt+F opens nothing.
  QTest::keyClick(view, Qt::Key_F, Qt::AltModifier);
  EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
  EXPECT_EQ(bar->activeAction(), nullptr);
  EXPECT_TRUE(takeMessages().empty());
}

// A field framed as Windows frames a sunken static, its text never clipped below the line.
TEST_F(QtWindowTest, FieldsAreFramedAsWindowsFramesThemAndShowUnderscores) {
  ShowWindow(window, SW_SHOWNORMAL);
  QWidget* name = widget(IDC_SONAR_FILE_NAME);
  SetDlgItemTextA(window, IDC_SONAR_FILE_NAME, "____");
  const QImage shot = name->grab().toImage();
  const int right = shot.width() - 1;
  const int bottom = shot.height() - 1;
  const QRgb shadow = name->palette().color(QPalette::Dark).rgb();
  const QRgb light = name->palette().color(QPalette::Light).rgb();
  EXPECT_EQ(shot.pixel(right / 2, 0), shadow);
  EXPECT_EQ(shot.pixel(0, bottom / 2), shadow);
  EXPECT_EQ(shot.pixel(right / 2, bottom), light);
  EXPECT_EQ(shot.pixel(right, bottom / 2), light);
  int inked = 0;
  for (int y = 1; y < bottom; ++y) {
    for (int x = 1; x < right; ++x) inked += shot.pixelColor(x, y).lightness() < 128 ? 1 : 0;
  }
  EXPECT_GT(inked, 0) << "the underscores are drawn";
}
