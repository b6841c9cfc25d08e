#include "app/option_marks.h"

#include "app/ui_texts.h"
#include "core/converter_context.h"
#include "platform/window.h"
#include "res/resource_ids.h"

namespace {

// In the order they are set.
constexpr int PROCESSING_INFO_FIELDS[] = {
    IDC_PING_NUMBER, IDC_SHIP_POSITION_1, IDC_SHIP_POSITION_2, IDC_SENSOR_POSITION_1, IDC_SENSOR_POSITION_2,
};

}  // namespace

void showProcessingInfo(HWND window, const ConverterContext& context) {
  const bool on = context.showProcessingInfo.load(std::memory_order_relaxed) != 0;
  CheckMenuItem(GetMenu(window), IDM_PROCESSING_INFO, MF_BYCOMMAND | (on ? MF_CHECKED : MF_UNCHECKED));
  CheckDlgButton(window, IDC_VERBOSE, on ? BST_CHECKED : BST_UNCHECKED);
  for (int field : PROCESSING_INFO_FIELDS) SetDlgItemTextA(window, field, on ? "" : PROCESSING_INFO_OFF);
}

void showByteOrder(HWND window, const ConverterContext& context) {
  if (context.busy != 0) return;
  CheckRadioButton(window, IDC_BIG_ENDIAN, IDC_LITTLE_ENDIAN,
                   context.bigEndian != 0 ? IDC_BIG_ENDIAN : IDC_LITTLE_ENDIAN);
}

void showCoordinateSource(HWND window, const ConverterContext& context) {
  CheckRadioButton(window, IDC_SHIP, IDC_SENSOR, context.useShipCoordinates != 0 ? IDC_SHIP : IDC_SENSOR);
}
