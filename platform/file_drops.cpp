#include "platform/file_drops.h"

#include "platform/front_end.h"
#include "platform/messages.h"
#include "platform/window_model.h"

#include <algorithm>
#include <cstring>

struct DropObject {
  std::vector<std::string> names;
};

void DragAcceptFiles(HWND window, BOOL accept) {
  WindowModel* model = windowModel(window);
  if (model == nullptr || model->acceptsFiles == (accept != FALSE)) return;
  model->acceptsFiles = accept != FALSE;
  frontEnd().windowChanged(window, 0);
}

UINT DragQueryFileA(HDROP drop, UINT index, LPSTR name, UINT nameBytes) {
  if (drop == nullptr) return 0;
  if (index == DROPPED_FILE_COUNT) return static_cast<UINT>(drop->names.size());
  if (index >= drop->names.size()) return 0;
  const std::string& found = drop->names[index];
  if (name == nullptr || nameBytes == 0) return static_cast<UINT>(found.size());
  const std::size_t copied = std::min<std::size_t>(found.size(), nameBytes - 1);
  std::memcpy(name, found.data(), copied);
  name[copied] = '\0';
  return static_cast<UINT>(copied);
}

void DragFinish(HDROP drop) { delete drop; }

bool acceptsDroppedFiles(HWND window) {
  const WindowModel* model = windowModel(window);
  return model != nullptr && !model->destroyed && model->acceptsFiles;
}

BOOL dropFiles(HWND window, const std::vector<std::string>& names) {
  if (names.empty() || !acceptsDroppedFiles(window)) return FALSE;
  auto* drop = new DropObject{names};
  if (PostMessageA(window, WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0) != FALSE) return TRUE;
  delete drop;
  return FALSE;
}
