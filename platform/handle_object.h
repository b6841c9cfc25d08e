// What a HANDLE points at: files and threads share CloseHandle.
#pragma once

#include "platform/win_types.h"

struct PlatformObject {
  virtual ~PlatformObject() = default;
  // Releases what the handle holds; the object is deleted afterwards.
  virtual BOOL close() = 0;
};
