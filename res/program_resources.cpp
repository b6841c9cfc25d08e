#include "res/program_resources.h"

#include "platform/resources.h"
#include "res/icons.h"
#include "res/main_dialog.h"
#include "res/main_menu.h"

HINSTANCE programInstance() {
  // Built on first use, so no other start-up code sees it half made.
  static const ResourceTable table{&mainDialogTemplate, 1, &mainMenuTemplate, 1, programIcons, programIconCount};
  return &table;
}
