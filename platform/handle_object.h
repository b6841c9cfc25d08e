// What a HANDLE points at: files and threads share CloseHandle.
#pragma once

#include "platform/win_types.h"

enum class ObjectKind { File, Thread };

struct PlatformObject {
  explicit PlatformObject(ObjectKind objectKind) : kind(objectKind) {}
  virtual ~PlatformObject() = default;
  // Tells a handle's kind without a cast on every file call.
  const ObjectKind kind;
  // Releases what the handle holds; the object is deleted afterwards.
  virtual BOOL close() = 0;
};
