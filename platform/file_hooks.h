// The test hooks and 64-bit helpers of the file services, shared by both
// systems' implementations. Any thread.
#pragma once

#include "platform/files.h"

#include <string>

// The name CreateFileA opens for fileName (setCreateStandIn).
std::string nameToOpen(const char* fileName, DWORD creationDisposition);
// Calls the read hook, if one is set, on the reading thread.
void callReadHook(HANDLE file);
// How many of bytesToWrite the write hook allows (all when none is set).
DWORD bytesWriteHookAllows(HANDLE file, DWORD bytesToWrite);
