#include "tools/veskconv_batch/output_names.h"

#include "app/ui_texts.h"
#include "platform/files.h"
#include "platform/split_path.h"

std::string defaultSegyName(const std::string& input, const std::string& folder) {
  char drive[_MAX_DRIVE];
  char directory[_MAX_DIR];
  char base[_MAX_FNAME];
  _splitpath(input.c_str(), drive, directory, base, nullptr);
  std::string name;
  if (folder.empty()) {
    name = std::string(drive) + directory;
  } else {
    name = folder.back() == '/' ? folder : folder + "/";
  }
  return name + base + "." + SEGY_FILE_EXTENSION;
}

std::string outputFor(const BatchOptions& options, const std::string& input) {
  if (options.output.empty()) return defaultSegyName(input, "");
  if (options.outputIsFolder) return defaultSegyName(input, options.output);
  return options.output;
}

bool mayReplace(const std::string& output) {
  if (!identityOf(output)) return true;
  HANDLE probe = CreateFileA(output.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (probe == INVALID_HANDLE_VALUE) return false;
  CloseHandle(probe);
  return true;
}
