// The window as the template draws it, clicks turned into the program's
// commands, and the model shown: drives the real widgets.
#include "tests/qt/qt_test_support.h"

#include "platform/qt/dialog_units.h"
#include "platform/window_model.h"

#include <QAbstractButton>
#include <QAction>
#include <QFontMetrics>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

namespace {

const int buttonIds[] = {IDC_BROWSE_SONAR, IDC_PAIR_1,    IDC_PAIR_3,    IDC_PAIR_2,    IDC_PAIR_4,
                         IDC_SUBBOTTOM,    IDC_CHANNEL_1, IDC_CHANNEL_2, IDC_CHANNEL_3, IDC_CHANNEL_4,
                         IDC_CHANNEL_5,    IDC_CHANNEL_6, IDC_CHANNEL_7, IDC_CHANNEL_8, IDC_REVERSE_SAMPLES,
                         IDC_SHIP,         IDC_SENSOR,    IDC_BROWSE_SEGY, IDC_BIG_ENDIAN, IDC_LITTLE_ENDIAN,
                         IDC_VERBOSE,      IDC_PROCESS,   IDC_EXIT};

const UINT menuIds[] = {IDM_SELECT_SONAR_FILE, IDM_SELECT_SEGY_FILE, IDM_EXIT, IDM_PROCESSING_INFO};

QAbstractButton* button(QWidget* widget) { return dynamic_cast<QAbstractButton*>(widget); }

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
  SendDlgItemMessageA(window, IDC_SONAR_PING_COUNT, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(" 1000 (sonar/subbottom) "));
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
  // Windows' base units of the dialog font, worked out here on their own.
  const QFontMetrics metrics(view->font());
  const int alphabet = metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
  const int baseX = (alphabet / 26 + 1) / 2;
  const int baseY = metrics.height();
  EXPECT_EQ(view->baseUnits().x, baseX);
  EXPECT_EQ(view->baseUnits().y, baseY);
  // An 8-point sans-serif, whatever face stands in for the template's.
  EXPECT_GE(baseX, 5);
  EXPECT_LE(baseX, 9);
  EXPECT_GE(baseY, 11);
  EXPECT_LE(baseY, 17);

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
  expectAt(IDC_PAIR_3, 225, 75, 68, 10);
  expectAt(IDC_REVERSE_SAMPLES, 214, 116, 94, 10);
  expectAt(IDC_STATUS, 45, 260, 265, 12);
  expectAt(IDC_PROGRESS, 45, 279, 265, 11);
  EXPECT_EQ(view->centralWidget()->size(), QSize(pixels(372, 295).x(), pixels(372, 295).y()));

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
