// The messages of the programs in tools/ are printf formats filled in here.
// Any thread.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

// printf-style into a string of whatever length the arguments need.
template <typename... Arguments>
std::string formatted(const char* format, Arguments... arguments) {
  const int length = std::snprintf(nullptr, 0, format, arguments...);
  if (length <= 0) return format;
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  std::snprintf(text.data(), text.size(), format, arguments...);
  text.pop_back();
  return text;
}
