// Windows only: what Windows says of one of its error codes, as the reason
// in a sentence of ours ("... cannot be written: %s."): one line, in the
// active code page, without Windows' own closing period. Any thread.
#pragma once

#include <cstdint>
#include <string>

std::string systemErrorText(std::uint32_t error);
