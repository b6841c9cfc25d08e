#include "platform/qt/byte_names.h"

#include <QByteArray>

namespace {

constexpr char ESCAPE = '\\';
constexpr std::size_t ESCAPE_LENGTH = 4;  // \xNN
constexpr unsigned char FIRST_PRINTABLE = 0x20;
constexpr unsigned char DELETE_CHARACTER = 0x7F;

bool isContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// The length of the well-formed UTF-8 sequence at bytes[at], or 0 (no
// overlong forms, no surrogates, nothing above U+10FFFF).
std::size_t sequenceLength(std::string_view bytes, std::size_t at) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(bytes[at + i]); };
  const std::size_t left = bytes.size() - at;
  const unsigned char lead = byte(0);
  if (lead < 0x80) return 1;
  if (lead >= 0xC2 && lead <= 0xDF) return left >= 2 && isContinuation(byte(1)) ? 2 : 0;
  if (lead >= 0xE0 && lead <= 0xEF) {
    if (left < 3 || !isContinuation(byte(1)) || !isContinuation(byte(2))) return 0;
    if (lead == 0xE0 && byte(1) < 0xA0) return 0;
    if (lead == 0xED && byte(1) >= 0xA0) return 0;
    return 3;
  }
  if (lead >= 0xF0 && lead <= 0xF4) {
    if (left < 4 || !isContinuation(byte(1)) || !isContinuation(byte(2)) || !isContinuation(byte(3))) return 0;
    if (lead == 0xF0 && byte(1) < 0x90) return 0;
    if (lead == 0xF4 && byte(1) >= 0x90) return 0;
    return 4;
  }
  return 0;
}

int hexValue(QChar c) {
  const char16_t u = c.unicode();
  if (u >= u'0' && u <= u'9') return u - u'0';
  if (u >= u'a' && u <= u'f') return u - u'a' + 10;
  if (u >= u'A' && u <= u'F') return u - u'A' + 10;
  return -1;
}

bool isHexDigit(char c) { return hexValue(QChar::fromLatin1(c)) >= 0; }

bool startsAnEscape(std::string_view bytes, std::size_t at) {
  return bytes.size() - at >= ESCAPE_LENGTH && bytes[at] == ESCAPE && bytes[at + 1] == 'x' &&
         isHexDigit(bytes[at + 2]) && isHexDigit(bytes[at + 3]);
}

void appendEscape(QString& text, unsigned char byte) {
  static constexpr char digits[] = "0123456789ABCDEF";
  text += QChar::fromLatin1(ESCAPE);
  text += QChar::fromLatin1('x');
  text += QChar::fromLatin1(digits[byte >> 4]);
  text += QChar::fromLatin1(digits[byte & 0xF]);
}

}  // namespace

QString legibleText(std::string_view bytes, LineBreaks lineBreaks) {
  QString text;
  text.reserve(static_cast<qsizetype>(bytes.size()));
  std::size_t at = 0;
  while (at < bytes.size()) {
    const auto byte = static_cast<unsigned char>(bytes[at]);
    const bool keptBreak = byte == '\n' && lineBreaks == LineBreaks::keep;
    const bool control = (byte < FIRST_PRINTABLE || byte == DELETE_CHARACTER) && !keptBreak;
    const std::size_t length = control || startsAnEscape(bytes, at) ? 0 : sequenceLength(bytes, at);
    if (length == 0) {
      appendEscape(text, byte);
      ++at;
      continue;
    }
    text += QString::fromUtf8(bytes.data() + at, static_cast<qsizetype>(length));
    at += length;
  }
  return text;
}

std::string bytesOfText(const QString& text) {
  const QByteArray utf8 = text.toUtf8();
  std::string bytes;
  bytes.reserve(static_cast<std::size_t>(utf8.size()));
  const std::string_view all(utf8.constData(), static_cast<std::size_t>(utf8.size()));
  std::size_t at = 0;
  while (at < all.size()) {
    if (startsAnEscape(all, at)) {
      const int high = hexValue(QChar::fromLatin1(all[at + 2]));
      const int low = hexValue(QChar::fromLatin1(all[at + 3]));
      bytes += static_cast<char>(high * 16 + low);
      at += ESCAPE_LENGTH;
    } else {
      bytes += all[at++];
    }
  }
  return bytes;
}
