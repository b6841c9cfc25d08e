#include "platform/resources.h"

namespace {

template <typename Resource>
const Resource* findById(const Resource* resources, int count, int id) {
  if (resources == nullptr) return nullptr;
  for (int i = 0; i < count; ++i) {
    if (resources[i].id == id) return &resources[i];
  }
  return nullptr;
}

}  // namespace

const DialogTemplate* findDialogTemplate(HINSTANCE instance, int id) {
  return instance == nullptr ? nullptr : findById(instance->dialogs, instance->dialogCount, id);
}

const MenuTemplate* findMenuTemplate(HINSTANCE instance, int id) {
  return instance == nullptr ? nullptr : findById(instance->menus, instance->menuCount, id);
}

const IconTemplate* findIcon(HINSTANCE instance, int id) {
  return instance == nullptr ? nullptr : findById(instance->icons, instance->iconCount, id);
}
