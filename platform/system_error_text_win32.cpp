#include "platform/system_error_text.h"

#include <windows.h>

std::string systemErrorText(std::uint32_t error) {
  char* text = nullptr;
  const DWORD length =
      ::FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, error, 0, reinterpret_cast<char*>(&text), 0, nullptr);
  std::string said = length > 0 && text != nullptr ? std::string(text, length) : std::string();
  ::LocalFree(text);
  while (!said.empty() && (said.back() == '\n' || said.back() == '\r' || said.back() == ' ' || said.back() == '.')) {
    said.pop_back();
  }
  for (char& c : said) {
    if (c == '\r' || c == '\n') c = ' ';
  }
  if (said.empty()) said = "Windows error " + std::to_string(error);
  return said;
}
