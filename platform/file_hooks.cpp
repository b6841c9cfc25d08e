#include "platform/file_hooks.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <mutex>
#include <thread>

namespace {

std::mutex hookMutex;
WriteFaultHook writeFault;
ReadHook readHook;
std::atomic<bool> hooksSet{false};  // keeps the lock out of every call when no test hook is set
std::mutex standInMutex;
std::string standInFor;
std::string standIn;

}  // namespace

void setCreateStandIn(const std::string& name, const std::string& replacement) {
  std::lock_guard<std::mutex> lock(standInMutex);
  standInFor = name;
  standIn = replacement;
}

std::string nameToOpen(const char* fileName, DWORD creationDisposition) {
  std::lock_guard<std::mutex> lock(standInMutex);
  if (creationDisposition == CREATE_ALWAYS && !standInFor.empty() && standInFor == fileName) return standIn;
  return fileName;
}

void callReadHook(HANDLE file) {
  if (!hooksSet.load(std::memory_order_acquire)) return;
  ReadHook hook;
  {
    std::lock_guard<std::mutex> lock(hookMutex);
    hook = readHook;
  }
  if (hook) hook(file);
}

DWORD bytesWriteHookAllows(HANDLE file, DWORD bytesToWrite) {
  if (!hooksSet.load(std::memory_order_acquire)) return bytesToWrite;
  WriteFaultHook hook;
  {
    std::lock_guard<std::mutex> lock(hookMutex);
    hook = writeFault;
  }
  return hook ? std::min(bytesToWrite, hook(file, bytesToWrite)) : bytesToWrite;
}

void setWriteFaultHook(WriteFaultHook hook) {
  std::lock_guard<std::mutex> lock(hookMutex);
  writeFault = std::move(hook);
  hooksSet.store(writeFault || readHook, std::memory_order_release);
}

void setReadHook(ReadHook hook) {
  std::lock_guard<std::mutex> lock(hookMutex);
  readHook = std::move(hook);
  hooksSet.store(writeFault || readHook, std::memory_order_release);
}

void slowReadsWhenAsked() {
  const char* text = std::getenv(READ_DELAY_VARIABLE);
  if (text == nullptr) return;
  char* end = nullptr;
  const long delayMs = std::strtol(text, &end, 10);
  if (end == text || *end != '\0' || delayMs <= 0) return;
  setReadHook([delay = std::chrono::milliseconds(delayMs)](HANDLE) { std::this_thread::sleep_for(delay); });
}

std::uint64_t filePosition64(HANDLE file) {
  LONG high = 0;
  const DWORD low = SetFilePointer(file, 0, &high, FILE_CURRENT);
  if (low == INVALID_SET_FILE_POINTER && GetLastError() != ERROR_SUCCESS) return UINT64_MAX;
  return (static_cast<std::uint64_t>(static_cast<DWORD>(high)) << 32) | low;
}

std::uint64_t fileSize64(HANDLE file) {
  DWORD high = 0;
  const DWORD low = GetFileSize(file, &high);
  if (low == INVALID_FILE_SIZE && GetLastError() != ERROR_SUCCESS) return UINT64_MAX;
  return (static_cast<std::uint64_t>(high) << 32) | low;
}
