#include "platform/code_page_text.h"

#include <windows.h>

namespace codepage {

std::wstring toWide(const std::string& bytes) {
  if (bytes.empty()) return {};
  const int size = ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  if (size <= 0) return {};
  std::wstring text(static_cast<std::size_t>(size), L'\0');
  ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(), size);
  return text;
}

std::optional<std::string> fromWide(const std::wstring& text) {
  if (text.empty()) return std::string();
  BOOL lost = FALSE;
  const int size = ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, &lost);
  if (size <= 0 || lost) return std::nullopt;
  std::string bytes(static_cast<std::size_t>(size), '\0');
  ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), static_cast<int>(text.size()), bytes.data(), size,
                        nullptr, &lost);
  // A character that maps to bytes which map back to another is lost too.
  if (lost || toWide(bytes) != text) return std::nullopt;
  return bytes;
}

unsigned active() { return ::GetACP(); }

}  // namespace codepage
