// Building a window from its template, and taking it down again.
#include "tests/platform/platform_test_window.h"

#include <set>

using namespace platform_test;

namespace {

constexpr int SAVED_LEFT = 300;
constexpr int SAVED_TOP = 200;

class PlatformWindowCreation : public WindowTest {};

TEST_F(PlatformWindowCreation, WmCreateComesBeforeTheControls) {
  HWND seenInCreate = nullptr;
  HWND controlInCreate = reinterpret_cast<HWND>(1);
  procedureLog().react = [&](HWND window, UINT message, WPARAM wParam, LPARAM lParam) -> LRESULT {
    if (message != WM_CREATE) return DefWindowProcA(window, message, wParam, lParam);
    seenInCreate = window;
    controlInCreate = GetDlgItem(window, IDC_PUSH);
    // What the program does in WM_CREATE works on the bare window.
    EXPECT_TRUE(SetWindowTextA(window, "VESKCONV - test"));
    EXPECT_EQ(static_cast<UINT>(EnableMenuItem(GetSystemMenu(window, FALSE), SC_MAXIMIZE, MF_BYCOMMAND | MF_GRAYED)),
              MF_ENABLED);
    EXPECT_TRUE(SetWindowPos(window, nullptr, SAVED_LEFT, SAVED_TOP, 0, 0, SWP_NOZORDER | SWP_NOSIZE));
    EXPECT_NE(GetMenu(window), nullptr);
    EXPECT_EQ(frontEnd.lastCreatedWindow(), nullptr);  // the front end hears of it afterwards
    return 0;
  };
  HWND window = createWindow();
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(seenInCreate, window);
  EXPECT_EQ(controlInCreate, nullptr);
  EXPECT_EQ(procedureLog().messages.front().message, WM_CREATE);
  EXPECT_NE(GetDlgItem(window, IDC_PUSH), nullptr);
  EXPECT_EQ(frontEnd.lastCreatedWindow(), window);

  const WindowModel* model = windowModel(window);
  ASSERT_NE(model, nullptr);
  EXPECT_EQ(model->title, "VESKCONV - test");
  EXPECT_TRUE(frontEnd.systemMenuItemGrayed(window, SC_MAXIMIZE));
  RECT rect{};
  ASSERT_TRUE(GetWindowRect(window, &rect));
  EXPECT_EQ(rect.left, SAVED_LEFT);
  EXPECT_EQ(rect.top, SAVED_TOP);
}

TEST_F(PlatformWindowCreation, TheModelHoldsTheTemplate) {
  HWND window = createWindow();
  const WindowModel* model = windowModel(window);
  ASSERT_NE(model, nullptr);
  EXPECT_EQ(model->className, TEST_CLASS);
  EXPECT_EQ(model->fontName, "MS Sans Serif");
  EXPECT_EQ(model->iconId, TEST_ICON);
  EXPECT_FALSE(model->visible);
  EXPECT_EQ(model->dialogRect.right, 190);
  // 6 x 13 pixels per 4 x 8 dialog units, rounded as MapDialogRect rounds.
  EXPECT_EQ(model->screenRect.left, 15);
  EXPECT_EQ(model->screenRect.top, 33);
  EXPECT_EQ(model->screenRect.right, 285);
  EXPECT_EQ(model->screenRect.bottom, 137);

  ASSERT_EQ(model->controls.size(), std::size(TEST_ITEMS));
  const ControlModel& disabled = model->controls[4];
  EXPECT_EQ(disabled.id, IDC_DISABLED);
  EXPECT_EQ(disabled.text, "Off");
  EXPECT_FALSE(disabled.enabled);
  EXPECT_EQ(disabled.dialogRect.left, 70);
  EXPECT_EQ(disabled.dialogRect.bottom, 30);
  EXPECT_TRUE(model->controls[3].enabled);
  EXPECT_EQ(model->controls.back().iconId, TEST_ICON);
  EXPECT_EQ(model->controls[7].className, CLASS_PROGRESS);

  ASSERT_EQ(model->menu.size(), 1u);
  ASSERT_EQ(model->menu[0].items.size(), 3u);
  EXPECT_TRUE(model->menu[0].items[1].separator);
  EXPECT_EQ(model->menu[0].items[2].id, IDM_QUIT);
  std::vector<UINT> commands;
  for (const SystemMenuItemModel& item : model->systemMenu) commands.push_back(item.command);
  EXPECT_EQ(commands, (std::vector<UINT>{SC_RESTORE, SC_MOVE, SC_SIZE, SC_MINIMIZE, SC_MAXIMIZE, SC_CLOSE}));
}

TEST_F(PlatformWindowCreation, UnknownTemplatesAndClassesCreateNothing) {
  EXPECT_EQ(CreateDialogParamA(&TEST_RESOURCES, MAKEINTRESOURCEA(TEST_DIALOG + 1), nullptr, nullptr, 0), nullptr);
  EXPECT_EQ(CreateDialogParamA(nullptr, MAKEINTRESOURCEA(TEST_DIALOG), nullptr, nullptr, 0), nullptr);
  EXPECT_EQ(CreateDialogParamA(&TEST_RESOURCES, "by name", nullptr, nullptr, 0), nullptr);
  ASSERT_TRUE(UnregisterClassA(TEST_CLASS, &TEST_RESOURCES));
  EXPECT_EQ(createWindow(), nullptr);
  EXPECT_TRUE(procedureLog().messages.empty());
  WNDCLASSA again;
  again.lpfnWndProc = testWindowProcedure;
  again.lpszClassName = "platformtest";  // class names ignore case
  ASSERT_NE(RegisterClassA(&again), 0);
  EXPECT_EQ(RegisterClassA(&again), 0);
}

TEST_F(PlatformWindowCreation, RefusedCreationLeavesNoWindow) {
  procedureLog().react = [](HWND window, UINT message, WPARAM wParam, LPARAM lParam) -> LRESULT {
    return message == WM_CREATE ? -1 : DefWindowProcA(window, message, wParam, lParam);
  };
  EXPECT_EQ(createWindow(), nullptr);
  ASSERT_EQ(procedureLog().messages.size(), 2u);
  EXPECT_EQ(procedureLog().messages[1].message, WM_DESTROY);
  EXPECT_FALSE(IsWindow(procedureLog().messages[0].window));
  EXPECT_EQ(frontEnd.lastCreatedWindow(), nullptr);
}

TEST_F(PlatformWindowCreation, DestroyingEndsTimersSendsAndHandles) {
  HWND window = createWindow();
  HWND push = GetDlgItem(window, IDC_PUSH);
  ASSERT_NE(SetTimer(window, 1, 1, nullptr), 0u);
  bool destroyedSeen = false;
  struct Watch final : HeadlessFrontEnd {
    bool* seen = nullptr;
    void windowDestroyed(HWND destroyed) override {
      const WindowModel* model = windowModel(destroyed);
      *seen = model != nullptr && model->destroyed;
    }
  } watch;
  watch.seen = &destroyedSeen;
  EXPECT_FALSE(UnregisterClassA(TEST_CLASS, &TEST_RESOURCES));  // a window still uses it
  ASSERT_TRUE(DestroyWindow(window));
  setFrontEnd(&frontEnd);
  EXPECT_TRUE(destroyedSeen);
  EXPECT_EQ(procedureLog().messages.back().message, WM_DESTROY);
  EXPECT_FALSE(DestroyWindow(window));
  EXPECT_FALSE(IsWindow(window));
  EXPECT_FALSE(IsWindow(push));
  EXPECT_EQ(windowModel(window), nullptr);
  EXPECT_FALSE(KillTimer(window, 1));
  EXPECT_TRUE(frontEnd.runUntilIdle(1000));  // no timer left behind
}

TEST_F(PlatformWindowCreation, ManyWindowsComeAndGoWithoutReusingHandles) {
  std::set<HWND> seen;
  HWND first = nullptr;
  for (int i = 0; i < 300; ++i) {
    HWND window = createWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(seen.insert(window).second);
    EXPECT_TRUE(seen.insert(GetDlgItem(window, IDC_BAR)).second);
    if (first == nullptr) first = window;
    ASSERT_TRUE(DestroyWindow(window));
  }
  EXPECT_FALSE(IsWindow(first));
  EXPECT_FALSE(SetDlgItemTextA(first, IDC_LABEL_FIELD, "stale"));
}

}  // namespace
