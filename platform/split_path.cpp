#include "platform/split_path.h"

#include <algorithm>
#include <cstddef>
#include <string_view>

namespace {

constexpr char kSeparator = '/';

// Copies part into out, cut to capacity - 1 bytes, always terminated.
void copyPart(std::string_view part, char* out, int capacity) {
  if (out == nullptr) {
    return;
  }
  std::size_t const length = std::min(part.size(), static_cast<std::size_t>(capacity - 1));
  if (length > 0) std::copy_n(part.data(), length, out);  // an empty part may have no data pointer
  out[length] = '\0';
}

}  // namespace

void _splitpath(const char* path, char* drive, char* dir, char* fname, char* ext) {
  std::string_view const whole = path != nullptr ? std::string_view(path) : std::string_view();

  std::size_t const lastSeparator = whole.rfind(kSeparator);
  std::size_t const nameStart = lastSeparator == std::string_view::npos ? 0 : lastSeparator + 1;
  std::string_view const last = whole.substr(nameStart);
  std::size_t const period = last.rfind('.');
  std::size_t const nameLength = period == std::string_view::npos ? last.size() : period;

  copyPart({}, drive, _MAX_DRIVE);
  copyPart(whole.substr(0, nameStart), dir, _MAX_DIR);
  copyPart(last.substr(0, nameLength), fname, _MAX_FNAME);
  copyPart(last.substr(nameLength), ext, _MAX_EXT);
}
