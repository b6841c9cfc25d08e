#include "platform/profile.h"

#include "platform/path_queries.h"
#include "platform/profile_storage.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <optional>
#include <string_view>
#include <vector>

namespace {

std::atomic<bool> profileFilesDisabled{false};

// ---- The text of a profile ----

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\r'; }

std::string_view trim(std::string_view text) {
  while (!text.empty() && isBlank(text.front())) {
    text.remove_prefix(1);
  }
  while (!text.empty() && isBlank(text.back())) {
    text.remove_suffix(1);
  }
  return text;
}

char lowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool equalsNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return lowerAscii(x) == lowerAscii(y); });
}

bool isQuote(char c) { return c == '"' || c == '\''; }

// One pair of the same quotes around the whole value, single or double.
bool quotedValue(std::string_view value) {
  return value.size() >= 2 && isQuote(value.front()) && value.back() == value.front();
}

std::string_view stripQuotes(std::string_view value) {
  return quotedValue(value) ? value.substr(1, value.size() - 2) : value;
}

// Text of a code page: no NUL and no control character but the blanks and
// line breaks. Anything else cannot be an INI file and is never rewritten.
bool isProfileText(std::string_view text) {
  return std::none_of(text.begin(), text.end(), [](char c) {
    const auto byte = static_cast<unsigned char>(c);
    return (byte < 0x20 && byte != '\t' && byte != '\n' && byte != '\v' && byte != '\f' && byte != '\r') ||
           byte == 0x7F;
  });
}

ProfileText readProfile(const std::string& path) {
  ProfileText file = readProfileFile(path);
  if (file.status == ProfileReadStatus::Read && !isProfileText(file.text)) {
    file.status = ProfileReadStatus::Failed;
    file.text.clear();
  }
  return file;
}

// One line: [begin, end) is its text without the line break (LF or CR LF),
// next is where the following line starts.
struct Line {
  std::size_t begin = 0;
  std::size_t end = 0;
  std::size_t next = 0;
};

Line lineAt(std::string_view text, std::size_t begin) {
  std::size_t const lineFeed = text.find('\n', begin);
  if (lineFeed == std::string_view::npos) {
    return {begin, text.size(), text.size()};
  }
  std::size_t const end = lineFeed > begin && text[lineFeed - 1] == '\r' ? lineFeed - 1 : lineFeed;
  return {begin, end, lineFeed + 1};
}

enum class LineKind { Blank, Other, Section, Key };

struct ParsedLine {
  LineKind kind = LineKind::Other;
  std::string_view name;       // section or key, trimmed
  std::string_view value;      // trimmed, one pair of quotes stripped
  std::size_t valueStart = 0;  // where a new value of this key is written
};

ParsedLine parseLine(std::string_view text, Line line) {
  std::string_view const body = trim(text.substr(line.begin, line.end - line.begin));
  if (body.empty()) {
    return {LineKind::Blank, {}, {}, 0};
  }
  if (body.front() == ';') {
    return {};
  }
  if (body.front() == '[') {
    std::size_t const close = body.rfind(']');
    if (close != std::string_view::npos) {
      return {LineKind::Section, trim(body.substr(1, close - 1)), {}, 0};
    }
  }
  std::size_t const equals = body.find('=');
  if (equals == std::string_view::npos) {
    return {};
  }
  std::string_view const name = trim(body.substr(0, equals));
  if (name.empty()) {
    return {};
  }
  std::string_view const written = trim(body.substr(equals + 1));
  return {LineKind::Key, name, stripQuotes(written), static_cast<std::size_t>(written.data() - text.data())};
}

struct Location {
  bool sectionFound = false;
  std::size_t sectionEnd = 0;  // after the last line of the section that is not blank
  bool keyFound = false;
  Line keyLine;
  ParsedLine key;
};

// Only the first section of the name is searched, and its first key of the name.
Location locate(std::string_view text, std::string_view section, std::string_view key) {
  Location where;
  bool inside = false;
  for (std::size_t position = 0; position < text.size();) {
    Line const line = lineAt(text, position);
    position = line.next;
    ParsedLine const parsed = parseLine(text, line);
    if (parsed.kind == LineKind::Section) {
      if (inside) {
        break;
      }
      if (equalsNoCase(parsed.name, section)) {
        inside = true;
        where.sectionFound = true;
        where.sectionEnd = line.next;
      }
      continue;
    }
    if (!inside || parsed.kind == LineKind::Blank) {
      continue;
    }
    where.sectionEnd = line.next;
    if (parsed.kind == LineKind::Key && equalsNoCase(parsed.name, key)) {
      where.keyFound = true;
      where.keyLine = line;
      where.key = parsed;
      break;
    }
  }
  return where;
}

std::optional<std::string_view> findValue(std::string_view text, std::string_view section, std::string_view key) {
  Location const where = locate(text, section, key);
  if (!where.keyFound) {
    return std::nullopt;
  }
  // Callers take the value as a C string.
  return where.key.value.substr(0, where.key.value.find('\0'));
}

std::string_view lineBreakOf(std::string_view text) {
  std::size_t const lineFeed = text.find('\n');
  return lineFeed != std::string_view::npos && lineFeed > 0 && text[lineFeed - 1] == '\r' ? "\r\n" : "\n";
}

// Quotes keep blanks at the ends and outer quotes through the next read.
std::string encodeValue(std::string_view value) {
  bool const quoted = !value.empty() && (isBlank(value.front()) || isBlank(value.back()) || quotedValue(value));
  return quoted ? '"' + std::string(value) + '"' : std::string(value);
}

bool lastLineBlank(std::string_view text) {
  std::string_view const withoutBreak = text.substr(0, text.size() - 1);
  std::size_t const previous = withoutBreak.rfind('\n');
  return trim(withoutBreak.substr(previous == std::string_view::npos ? 0 : previous + 1)).empty();
}

// The text after setting key to value (null: removing the key).
std::string edited(std::string_view text, std::string_view section, std::string_view key, LPCSTR value) {
  Location const where = locate(text, section, key);
  std::string out;
  if (where.keyFound) {
    if (value == nullptr) {
      out.append(text.substr(0, where.keyLine.begin)).append(text.substr(where.keyLine.next));
    } else {
      out.append(text.substr(0, where.key.valueStart));
      out.append(encodeValue(value)).append(text.substr(where.keyLine.end));
    }
    return out;
  }
  if (value == nullptr) {
    return std::string(text);
  }
  std::string_view const lineBreak = lineBreakOf(text);
  std::string entry = std::string(key).append("=").append(encodeValue(value)).append(lineBreak);
  if (where.sectionFound) {
    out.append(text.substr(0, where.sectionEnd));
    if (out.back() != '\n') {
      out.append(lineBreak);
    }
    return out.append(entry).append(text.substr(where.sectionEnd));
  }
  out.assign(text);
  if (!out.empty() && out.back() != '\n') {
    out.append(lineBreak);
  }
  if (!out.empty() && !lastLineBlank(out)) {
    out.append(lineBreak);
  }
  return out.append("[").append(section).append("]").append(lineBreak).append(entry);
}

// A name written into a "[section]" or "key=" line must read back as that
// same line and nothing else.
bool validName(std::string_view name) {
  return name.find_first_of("]=\r\n") == std::string_view::npos && (name.empty() || name.front() != ';');
}

bool validKey(std::string_view key) { return validName(key) && !key.empty() && key.front() != '['; }

// The value of key, viewed in file.text, which lookUp fills.
std::optional<std::string_view> lookUp(LPCSTR section, LPCSTR key, LPCSTR fileName, ProfileText& file) {
  if (section == nullptr || key == nullptr || profileFilesDisabled.load(std::memory_order_relaxed)) {
    return std::nullopt;
  }
  std::string const path = profilePath(fileName);
  if (path.empty()) {
    return std::nullopt;
  }
  file = readProfile(path);
  return findValue(file.text, trim(section), trim(key));
}

std::optional<UINT> parseDecimal(std::string_view text) {
  std::size_t at = 0;
  while (at < text.size() && isBlank(text[at])) {
    ++at;
  }
  bool const negative = at < text.size() && text[at] == '-';
  if (at < text.size() && (text[at] == '-' || text[at] == '+')) {
    ++at;
  }
  std::size_t const firstDigit = at;
  UINT value = 0;
  for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
    value = value * 10u + static_cast<UINT>(text[at] - '0');
  }
  if (at == firstDigit) {
    return std::nullopt;
  }
  return negative ? 0u - value : value;
}

}  // namespace

void disableProfileFiles() { profileFilesDisabled.store(true, std::memory_order_relaxed); }

std::string profilePath(LPCSTR fileName) {
  if (fileName == nullptr || fileName[0] == '\0') {
    return {};
  }
  if (!isBareProfileName(fileName)) {
    return fileName;
  }
  std::string const folder = settingsFolder();
  return folder.empty() ? std::string() : folder + '/' + fileName;
}

UINT GetPrivateProfileIntA(LPCSTR section, LPCSTR key, int defaultValue, LPCSTR fileName) {
  UINT const fallback = static_cast<UINT>(defaultValue);
  try {
    ProfileText file;
    std::optional<std::string_view> const value = lookUp(section, key, fileName, file);
    return value ? parseDecimal(*value).value_or(fallback) : fallback;
  } catch (const std::exception&) {
    return fallback;
  }
}

DWORD GetPrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR defaultValue, LPSTR buffer, DWORD size,
                               LPCSTR fileName) {
  if (buffer == nullptr || size == 0) {
    return 0;
  }
  std::string_view chosen = defaultValue != nullptr ? std::string_view(defaultValue) : std::string_view();
  while (!chosen.empty() && chosen.back() == ' ') {
    chosen.remove_suffix(1);
  }
  ProfileText file;
  try {
    if (std::optional<std::string_view> const value = lookUp(section, key, fileName, file)) {
      chosen = *value;
    }
  } catch (const std::exception&) {
    // Out of memory reading the file: the default stands.
  }
  std::size_t const length = std::min(chosen.size(), static_cast<std::size_t>(size) - 1);
  std::copy_n(chosen.data(), length, buffer);
  buffer[length] = '\0';
  return static_cast<DWORD>(length);
}

BOOL WritePrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR value, LPCSTR fileName) {
  if (section == nullptr || key == nullptr) {
    return FALSE;
  }
  if (profileFilesDisabled.load(std::memory_order_relaxed)) {
    return TRUE;
  }
  std::string_view const sectionName = trim(section);
  std::string_view const keyName = trim(key);
  if (!validName(sectionName) || !validKey(keyName) || (value != nullptr && std::strpbrk(value, "\r\n") != nullptr)) {
    return FALSE;
  }
  try {
    std::string const path = profilePath(fileName);
    if (path.empty()) {
      return FALSE;
    }
    std::string const target = profileWriteTarget(path);
    ProfileText const old = readProfile(target);
    if (old.status == ProfileReadStatus::Failed) {
      return FALSE;
    }
    std::string const text = edited(old.text, sectionName, keyName, value);
    if (text == old.text) {
      return TRUE;
    }
    if (text.size() > MAX_PROFILE_BYTES) {
      return FALSE;
    }
    if (isBareProfileName(fileName) && !createProfileFolder(folderOf(path))) {
      return FALSE;
    }
    return replaceProfileFile(target, text, old) ? TRUE : FALSE;
  } catch (const std::exception&) {
    return FALSE;
  }
}
