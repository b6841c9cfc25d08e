#include "tools/veskconv_batch/output_names.h"

#include "app/ui_texts.h"
#include "platform/split_path.h"

std::string dialogName(const std::string& typed, const char* defaultExtension) {
  const std::size_t slash = typed.rfind('/');
  const std::size_t lastComponent = slash == std::string::npos ? 0 : slash + 1;
  if (typed.find('.', lastComponent) != std::string::npos) return typed;
  return typed + "." + defaultExtension;
}

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
  const std::string sonarFile = dialogName(input, SONAR_FILE_EXTENSION);
  if (options.output.empty()) return defaultSegyName(sonarFile, "");
  if (options.outputIsFolder) return defaultSegyName(sonarFile, options.output);
  return dialogName(options.output, SEGY_FILE_EXTENSION);
}
