#include "res/main_menu.h"

#include "res/resource_ids.h"

#include <iterator>

namespace {

constexpr MenuItemTemplate fileItems[] = {
    {"Select VSK File", IDM_SELECT_SONAR_FILE, false},
    {"Select SEG File", IDM_SELECT_SEGY_FILE, false},
    {"", 0, true},
    {"Exit", IDM_EXIT, false},
};

constexpr MenuItemTemplate optionItems[] = {
    {"Enable Processing Information", IDM_PROCESSING_INFO, false},
};

constexpr MenuPopupTemplate popups[] = {
    {"File", fileItems, static_cast<int>(std::size(fileItems))},
    {"Option", optionItems, static_cast<int>(std::size(optionItems))},
};

}  // namespace

const MenuTemplate mainMenuTemplate{IDM_MAIN, popups, static_cast<int>(std::size(popups))};
