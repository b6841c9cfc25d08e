// The control and menu calls over the model, and what a user's click does.
#include "tests/platform/platform_test_window.h"

using namespace platform_test;

namespace {

constexpr DWORD NO_ITEM = 0xFFFFFFFFu;

class PlatformWindowCalls : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    window = createWindow();
    ASSERT_NE(window, nullptr);
  }

  std::vector<Received> dispatched() {
    procedureLog().messages.clear();
    EXPECT_TRUE(frontEnd.runUntilIdle());
    return procedureLog().messages;
  }

  HWND window = nullptr;
};

TEST_F(PlatformWindowCalls, ProgressBarClampsAndReturnsWhatItHad) {
  EXPECT_EQ(SendDlgItemMessageA(window, IDC_BAR, PBM_SETRANGE, 0, MAKELPARAM(0, 50)), MAKELPARAM(0, 100));
  EXPECT_EQ(SendDlgItemMessageA(window, IDC_BAR, PBM_SETPOS, 30, 0), 0);
  EXPECT_EQ(SendDlgItemMessageA(window, IDC_BAR, PBM_SETPOS, 80, 0), 30);
  EXPECT_EQ(frontEnd.progressPosition(window, IDC_BAR), 50);
  EXPECT_EQ(SendDlgItemMessageA(window, IDC_BAR, PBM_SETRANGE, 0, MAKELPARAM(0, 20)), MAKELPARAM(0, 50));
  EXPECT_EQ(frontEnd.progressPosition(window, IDC_BAR), 20);
  // Progress messages mean nothing to other controls.
  EXPECT_EQ(SendDlgItemMessageA(window, IDC_LABEL_FIELD, PBM_SETPOS, 5, 0), 0);
  EXPECT_EQ(frontEnd.changeCount(window, IDC_LABEL_FIELD), 0);
}

TEST_F(PlatformWindowCalls, MarksAreSetOnlyByTheProgram) {
  EXPECT_TRUE(CheckDlgButton(window, IDC_CHECK, BST_CHECKED));
  EXPECT_EQ(IsDlgButtonChecked(window, IDC_CHECK), BST_CHECKED);
  SendDlgItemMessageA(window, IDC_CHECK, BM_SETCHECK, BST_UNCHECKED, 0);
  EXPECT_EQ(IsDlgButtonChecked(window, IDC_CHECK), BST_UNCHECKED);

  EXPECT_TRUE(CheckRadioButton(window, IDC_RADIO_A, IDC_RADIO_B, IDC_RADIO_B));
  EXPECT_EQ(IsDlgButtonChecked(window, IDC_RADIO_B), BST_CHECKED);
  EXPECT_TRUE(CheckRadioButton(window, IDC_RADIO_A, IDC_RADIO_B, IDC_RADIO_A));
  EXPECT_EQ(IsDlgButtonChecked(window, IDC_RADIO_A), BST_CHECKED);
  EXPECT_EQ(IsDlgButtonChecked(window, IDC_RADIO_B), BST_UNCHECKED);

  // Non-automatic buttons: a click only reports.
  ASSERT_TRUE(frontEnd.click(window, IDC_CHECK));
  ASSERT_TRUE(frontEnd.click(window, IDC_RADIO_B));
  const std::vector<Received> messages = dispatched();
  ASSERT_EQ(messages.size(), 2u);
  EXPECT_EQ(messages[0].wParam, MAKEWPARAM(IDC_CHECK, BN_CLICKED));
  EXPECT_EQ(messages[0].lParam, reinterpret_cast<LPARAM>(GetDlgItem(window, IDC_CHECK)));
  EXPECT_EQ(IsDlgButtonChecked(window, IDC_CHECK), BST_UNCHECKED);
  EXPECT_EQ(IsDlgButtonChecked(window, IDC_RADIO_B), BST_UNCHECKED);
}

TEST_F(PlatformWindowCalls, ClicksOnWhatCannotBeUsedDoNothing) {
  EXPECT_FALSE(frontEnd.click(window, IDC_DISABLED));
  EXPECT_FALSE(frontEnd.click(window, IDC_LABEL_FIELD));
  EXPECT_FALSE(frontEnd.click(window, NO_CONTROL_ID));
  EXPECT_FALSE(frontEnd.click(window, IDC_BAR));
  EXPECT_FALSE(frontEnd.clickMenu(window, 0));
  EXPECT_EQ(EnableMenuItem(GetMenu(window), IDM_OPEN, MF_BYCOMMAND | MF_GRAYED), static_cast<BOOL>(MF_ENABLED));
  EXPECT_FALSE(frontEnd.clickMenu(window, IDM_OPEN));
  EnableMenuItem(GetSystemMenu(window, FALSE), SC_CLOSE, MF_BYCOMMAND | MF_GRAYED);
  EXPECT_FALSE(frontEnd.close(window));
  EXPECT_TRUE(dispatched().empty());

  EXPECT_TRUE(EnableWindow(GetDlgItem(window, IDC_DISABLED), TRUE));  // it was disabled
  EXPECT_TRUE(IsWindowEnabled(GetDlgItem(window, IDC_DISABLED)));
  EnableMenuItem(GetMenu(window), IDM_OPEN, MF_BYCOMMAND | MF_ENABLED);
  GetSystemMenu(window, TRUE);  // back to the default: Close usable
  EXPECT_TRUE(frontEnd.click(window, IDC_DISABLED));
  EXPECT_TRUE(frontEnd.clickMenu(window, IDM_OPEN));
  procedureLog().react = [](HWND, UINT, WPARAM, LPARAM) -> LRESULT { return 0; };  // keep the window
  EXPECT_TRUE(frontEnd.close(window));
  const std::vector<Received> messages = dispatched();
  ASSERT_EQ(messages.size(), 3u);
  EXPECT_EQ(messages[0].wParam, MAKEWPARAM(IDC_DISABLED, BN_CLICKED));
  EXPECT_EQ(messages[1].wParam, MAKEWPARAM(static_cast<WORD>(IDM_OPEN), 0));
  EXPECT_EQ(messages[1].lParam, 0);
  EXPECT_EQ(messages[2].message, WM_CLOSE);
}

TEST_F(PlatformWindowCalls, MenuMarksReturnTheirPreviousState) {
  HMENU menu = GetMenu(window);
  EXPECT_EQ(CheckMenuItem(menu, IDM_QUIT, MF_BYCOMMAND | MF_CHECKED), MF_UNCHECKED);
  EXPECT_EQ(CheckMenuItem(menu, IDM_QUIT, MF_BYCOMMAND | MF_UNCHECKED), MF_CHECKED);
  EXPECT_FALSE(frontEnd.menuItemChecked(window, IDM_QUIT));
  EXPECT_EQ(CheckMenuItem(menu, 999, MF_BYCOMMAND | MF_CHECKED), NO_ITEM);
  EXPECT_EQ(EnableMenuItem(menu, 999, MF_BYCOMMAND | MF_GRAYED), static_cast<BOOL>(NO_ITEM));
  EXPECT_EQ(EnableMenuItem(GetSystemMenu(window, FALSE), SC_SIZE, MF_BYCOMMAND | MF_GRAYED),
            static_cast<BOOL>(MF_ENABLED));
  EXPECT_EQ(EnableMenuItem(GetSystemMenu(window, FALSE), SC_SIZE, MF_BYCOMMAND | MF_GRAYED),
            static_cast<BOOL>(MF_GRAYED));
  EXPECT_EQ(frontEnd.changeCount(window, 0), 4);
}

TEST_F(PlatformWindowCalls, StaleAndMadeUpHandlesFindNothing) {
  HWND push = GetDlgItem(window, IDC_PUSH);
  HMENU menu = GetMenu(window);
  ASSERT_TRUE(DestroyWindow(window));
  HWND bogus = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(0x5A5A5A50));
  for (HWND handle : {window, push, bogus}) {
    EXPECT_FALSE(IsWindow(handle));
    EXPECT_FALSE(SetWindowTextA(handle, "x"));
    EXPECT_FALSE(EnableWindow(handle, TRUE));
    EXPECT_FALSE(IsWindowEnabled(handle));
    EXPECT_FALSE(ShowWindow(handle, SW_SHOW));
    EXPECT_FALSE(PostMessageA(handle, WM_COMMAND, 1, 0));
    EXPECT_EQ(SendMessageA(handle, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("x")), 0);
    EXPECT_EQ(GetDlgItem(handle, IDC_PUSH), nullptr);
    EXPECT_FALSE(SetDlgItemTextA(handle, IDC_LABEL_FIELD, "x"));
    EXPECT_EQ(GetMenu(handle), nullptr);
    EXPECT_FALSE(clickControl(handle, IDC_PUSH));
  }
  EXPECT_EQ(CheckMenuItem(menu, IDM_QUIT, MF_CHECKED), NO_ITEM);
  EXPECT_EQ(CheckMenuItem(reinterpret_cast<HMENU>(static_cast<std::uintptr_t>(3)), IDM_QUIT, MF_CHECKED), NO_ITEM);
  char text[8] = "keep";
  EXPECT_EQ(GetDlgItemTextA(window, IDC_LABEL_FIELD, text, sizeof text), 0u);
  EXPECT_STREQ(text, "");
}

TEST_F(PlatformWindowCalls, TextIsCutToTheBuffer) {
  SetDlgItemTextA(window, IDC_LABEL_FIELD, "abcdef");
  char text[4] = {};
  EXPECT_EQ(GetDlgItemTextA(window, IDC_LABEL_FIELD, text, sizeof text), 3u);
  EXPECT_STREQ(text, "abc");
  EXPECT_EQ(GetDlgItemTextA(window, IDC_LABEL_FIELD, text, 0), 0u);
  SetWindowTextA(GetDlgItem(window, IDC_LABEL_FIELD), nullptr);
  EXPECT_EQ(frontEnd.controlText(window, IDC_LABEL_FIELD), "");
}

TEST_F(PlatformWindowCalls, PlacementAndVisibility) {
  EXPECT_FALSE(ShowWindow(window, SW_SHOWNORMAL));  // was hidden
  EXPECT_TRUE(ShowWindow(window, SW_SHOW));
  EXPECT_TRUE(windowModel(window)->visible);
  ASSERT_TRUE(SetWindowPos(window, nullptr, 40, 50, 0, 0, SWP_NOZORDER | SWP_NOSIZE));
  RECT rect{};
  GetWindowRect(window, &rect);
  EXPECT_EQ(rect.left, 40);
  EXPECT_EQ(rect.top, 50);
  EXPECT_EQ(rect.right - rect.left, 270);  // size kept
  ASSERT_TRUE(SetWindowPos(window, nullptr, 0, 0, 100, 60, SWP_NOMOVE));
  GetWindowRect(window, &rect);
  EXPECT_EQ(rect.left, 40);
  EXPECT_EQ(rect.bottom, 110);
  EXPECT_FALSE(GetWindowRect(GetDlgItem(window, IDC_PUSH), &rect));
  // A saved position at the end of the int range: the far edges stop there.
  ASSERT_TRUE(SetWindowPos(window, nullptr, 2147483600, -2147483600, 0, 0, SWP_NOZORDER | SWP_NOSIZE));
  GetWindowRect(window, &rect);
  EXPECT_EQ(rect.left, 2147483600);
  EXPECT_EQ(rect.right, 2147483647);
  EXPECT_EQ(rect.bottom, -2147483600 + 60);
  RECT units{4, 8, 8, 16};
  ASSERT_TRUE(MapDialogRect(window, &units));
  EXPECT_EQ(units.left, 6);
  EXPECT_EQ(units.bottom, 26);
}

TEST_F(PlatformWindowCalls, CursorAndIconsAreRemembered) {
  HCURSOR arrow = LoadCursorA(nullptr, IDC_ARROW);
  ASSERT_NE(arrow, nullptr);
  const HCURSOR before = GetCursor();
  EXPECT_EQ(SetCursor(arrow), before);
  EXPECT_EQ(GetCursor(), arrow);
  EXPECT_EQ(LoadIconA(&TEST_RESOURCES, MAKEINTRESOURCEA(TEST_ICON + 1)), nullptr);
  EXPECT_TRUE(MessageBeep(MB_OK));
  EXPECT_EQ(frontEnd.beeps(), (std::vector<UINT>{MB_OK}));
}

}  // namespace
