#include "res/icons.h"

#include "res/resource_ids.h"

#include <iterator>

namespace {

// Each file is an XPM image, which is C source: an array of strings.
#include "res/icons/band_1.xpm"
#include "res/icons/band_2.xpm"
#include "res/icons/band_3.xpm"
#include "res/icons/band_info.xpm"
#include "res/icons/class_icon.xpm"

}  // namespace

const IconTemplate programIcons[] = {
    {IDI_VESKCONV, class_icon_xpm}, {IDI_BAND_1, band_1_xpm},       {IDI_BAND_2, band_2_xpm},
    {IDI_BAND_3, band_3_xpm},       {IDI_BAND_INFO, band_info_xpm},
};

const int programIconCount = static_cast<int>(std::size(programIcons));
