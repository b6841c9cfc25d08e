#include "platform/headless/headless_front_end.h"

#include "platform/message_queue_state.h"
#include "platform/messages.h"
#include "platform/window_model.h"

#include <algorithm>
#include <chrono>

namespace {

const ControlModel* controlOf(HWND window, int controlId) {
  WindowModel* model = windowModel(window);
  return model == nullptr ? nullptr : findControl(*model, controlId);
}

const MenuItemModel* menuItemOf(HWND window, UINT itemId) {
  WindowModel* model = windowModel(window);
  return model == nullptr ? nullptr : findMenuItem(*model, itemId);
}

}  // namespace

HeadlessFrontEnd::HeadlessFrontEnd() { setFrontEnd(this); }

HeadlessFrontEnd::~HeadlessFrontEnd() {
  if (&frontEnd() == this) setFrontEnd(nullptr);
}

// Nobody watches the clock here: a wait for a timer or a change report with
// nothing else that could happen meanwhile is skipped (a deferred command runs
// at once).
void HeadlessFrontEnd::waitForEvents(int timeoutMs) {
  if (timeoutMs > 0 && skipToNextDueWhenIdle()) return;
  wake_.wait(timeoutMs);
}

void HeadlessFrontEnd::wakeMainThread() { wake_.wake(); }

int HeadlessFrontEnd::showMessageBox(HWND owner, const std::string& text, const std::string& caption, UINT type) {
  std::lock_guard<std::mutex> lock(mutex_);
  boxes_.push_back(MessageBoxRecord{owner, caption, text, type});
  return IDOK;
}

bool HeadlessFrontEnd::askFileName(HWND /*owner*/, const FileDialogRequest& request, std::string* path) {
  std::lock_guard<std::mutex> lock(mutex_);
  requests_.push_back(request);
  if (fileAnswers_.empty()) return false;
  std::optional<std::string> answer = std::move(fileAnswers_.front());
  fileAnswers_.pop_front();
  if (!answer) return false;
  *path = std::move(*answer);
  return true;
}

bool HeadlessFrontEnd::confirmOverwrite(HWND /*owner*/, const std::string& path) {
  std::lock_guard<std::mutex> lock(mutex_);
  prompts_.push_back(path);
  return overwriteAnswer_;
}

void HeadlessFrontEnd::beep(UINT type) {
  std::lock_guard<std::mutex> lock(mutex_);
  beeps_.push_back(type);
}

void HeadlessFrontEnd::windowChanged(HWND window, int controlId) {
  ChangeObserver observer;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    ++changes_[{window, controlId}];
    observer = observer_;
  }
  if (observer) observer(window, controlId);
}

void HeadlessFrontEnd::windowCreated(HWND window) {
  std::lock_guard<std::mutex> lock(mutex_);
  windows_.push_back(window);
}

void HeadlessFrontEnd::windowDestroyed(HWND /*window*/) {}

void HeadlessFrontEnd::answerFileDialog(std::string path) {
  std::lock_guard<std::mutex> lock(mutex_);
  fileAnswers_.emplace_back(std::move(path));
}

void HeadlessFrontEnd::cancelFileDialog() {
  std::lock_guard<std::mutex> lock(mutex_);
  fileAnswers_.emplace_back(std::nullopt);
}

void HeadlessFrontEnd::setOverwriteAnswer(bool overwrite) {
  std::lock_guard<std::mutex> lock(mutex_);
  overwriteAnswer_ = overwrite;
}

std::vector<MessageBoxRecord> HeadlessFrontEnd::messageBoxes() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return boxes_;
}

std::vector<UINT> HeadlessFrontEnd::beeps() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return beeps_;
}

std::vector<FileDialogRequest> HeadlessFrontEnd::fileRequests() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return requests_;
}

std::vector<std::string> HeadlessFrontEnd::overwritePrompts() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return prompts_;
}

void HeadlessFrontEnd::clearRecords() {
  std::lock_guard<std::mutex> lock(mutex_);
  boxes_.clear();
  beeps_.clear();
  requests_.clear();
  prompts_.clear();
  changes_.clear();
}

bool HeadlessFrontEnd::runUntilIdle(int timeoutMs) {
  using Clock = std::chrono::steady_clock;
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  quitReceived_ = false;
  for (;;) {
    MSG msg;
    while (Clock::now() < deadline && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        quitReceived_ = true;
        exitCode_ = static_cast<int>(msg.wParam);
        return true;
      }
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    if (allThreadsIdle()) return true;
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0) return false;
    waitForMessages(static_cast<int>(left));
  }
}

BOOL HeadlessFrontEnd::click(HWND window, int controlId) { return clickControl(window, controlId); }

BOOL HeadlessFrontEnd::clickMenu(HWND window, UINT itemId) { return clickMenuItem(window, itemId); }

BOOL HeadlessFrontEnd::close(HWND window) { return requestClose(window); }

std::string HeadlessFrontEnd::controlText(HWND window, int controlId) const {
  const ControlModel* control = controlOf(window, controlId);
  std::lock_guard<std::mutex> lock(controlStateMutex());
  return control == nullptr ? std::string() : control->text;
}

bool HeadlessFrontEnd::controlEnabled(HWND window, int controlId) const {
  const ControlModel* control = controlOf(window, controlId);
  return control != nullptr && control->enabled;
}

UINT HeadlessFrontEnd::controlChecked(HWND window, int controlId) const {
  const ControlModel* control = controlOf(window, controlId);
  return control == nullptr ? BST_UNCHECKED : control->checked;
}

int HeadlessFrontEnd::progressPosition(HWND window, int controlId) const {
  const ControlModel* control = controlOf(window, controlId);
  std::lock_guard<std::mutex> lock(controlStateMutex());
  return control == nullptr ? 0 : control->progressPos;
}

bool HeadlessFrontEnd::menuItemChecked(HWND window, UINT itemId) const {
  const MenuItemModel* item = menuItemOf(window, itemId);
  return item != nullptr && item->checked;
}

bool HeadlessFrontEnd::menuItemGrayed(HWND window, UINT itemId) const {
  const MenuItemModel* item = menuItemOf(window, itemId);
  return item != nullptr && item->grayed;
}

bool HeadlessFrontEnd::systemMenuItemGrayed(HWND window, UINT command) const {
  const WindowModel* model = windowModel(window);
  if (model == nullptr) return false;
  return std::any_of(model->systemMenu.begin(), model->systemMenu.end(),
                     [command](const SystemMenuItemModel& item) { return item.command == command && item.grayed; });
}

std::vector<HWND> HeadlessFrontEnd::createdWindows() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return windows_;
}

HWND HeadlessFrontEnd::lastCreatedWindow() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return windows_.empty() ? nullptr : windows_.back();
}

void HeadlessFrontEnd::setChangeObserver(ChangeObserver observer) {
  std::lock_guard<std::mutex> lock(mutex_);
  observer_ = std::move(observer);
}

int HeadlessFrontEnd::changeCount(HWND window, int controlId) const {
  std::lock_guard<std::mutex> lock(mutex_);
  const auto found = changes_.find({window, controlId});
  return found == changes_.end() ? 0 : found->second;
}
