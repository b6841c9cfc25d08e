#include "survey/sonar_file_error.h"

#include "app/feedback.h"
#include "core/converter_context.h"
#include "res/resource_ids.h"

void reportSonarFileError(HWND window, const ConverterContext* context, const char* format) {
  SetDlgItemTextA(window, IDC_SONAR_PING_COUNT, "");
  SetDlgItemTextA(window, IDC_CHANNEL_LIST, "");
  showFileError(window, format, context->sonarFileName);
}
