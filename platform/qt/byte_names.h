// File names and control texts are bytes. These turn them into text a user
// can read and back, without losing a byte: valid UTF-8 reads as its
// letters, every other byte as \xNN. Any thread.
#pragma once

#include <QString>

#include <string>
#include <string_view>

enum class LineBreaks { escape, keep };

// Bytes that are not UTF-8, control characters (line feeds too unless kept)
// and a backslash that would read as an escape are written as \xNN.
QString legibleText(std::string_view bytes, LineBreaks lineBreaks = LineBreaks::escape);
// The inverse: the UTF-8 of the text, each \xNN (two hex digits) turned back
// into that byte. bytesOfText(legibleText(b)) == b for all bytes b.
std::string bytesOfText(const QString& text);
