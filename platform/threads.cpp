#include "platform/threads.h"

#include "platform/files.h"
#include "platform/handle_object.h"
#include "platform/message_queue_internal.h"
#include "platform/messages.h"

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>

namespace {

// Shared by the handle and the running thread, so either may go first.
struct ThreadState {
  std::mutex mutex;
  std::condition_variable finishedChanged;
  bool finished = false;
  DWORD id = 0;
  std::thread thread;
};

struct ThreadObject final : PlatformObject {
  ThreadObject() : PlatformObject(ObjectKind::Thread) {}
  std::shared_ptr<ThreadState> state;
  BOOL close() override {
    std::lock_guard<std::mutex> lock(state->mutex);
    if (state->thread.joinable()) state->thread.detach();
    return TRUE;
  }
};

void runThread(const std::shared_ptr<ThreadState>& state, LPTHREAD_START_ROUTINE start, void* parameter) {
  adoptThreadRecord(state->id);
  start(parameter);
  endCurrentThread();
  {
    std::lock_guard<std::mutex> lock(state->mutex);
    state->finished = true;
  }
  state->finishedChanged.notify_all();
}

}  // namespace

HANDLE CreateThread(void* /*securityAttributes*/, std::size_t /*stackSize*/, LPTHREAD_START_ROUTINE start,
                    void* parameter, DWORD creationFlags, LPDWORD threadId) {
  if (start == nullptr || creationFlags != 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto state = std::make_shared<ThreadState>();
  state->id = createThreadRecord();
  auto* handle = new ThreadObject;
  handle->state = state;
  // The id is in place before the thread runs, so the thread may read it.
  const DWORD previousId = threadId != nullptr ? *threadId : 0;
  if (threadId != nullptr) *threadId = state->id;
  try {
    std::lock_guard<std::mutex> lock(state->mutex);
    state->thread = std::thread(runThread, state, start, parameter);
  } catch (const std::system_error&) {
    if (threadId != nullptr) *threadId = previousId;
    discardThreadRecord(state->id);
    delete handle;
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  return handle;
}

DWORD WaitForSingleObject(HANDLE thread, DWORD timeoutMs) {
  auto* object = thread == nullptr || thread == INVALID_HANDLE_VALUE
                     ? nullptr
                     : (thread->kind == ObjectKind::Thread ? static_cast<ThreadObject*>(thread) : nullptr);
  if (object == nullptr || object->state->id == GetCurrentThreadId()) {
    SetLastError(ERROR_INVALID_HANDLE);
    return WAIT_FAILED;
  }
  ThreadState& state = *object->state;
  std::unique_lock<std::mutex> lock(state.mutex);
  const auto finished = [&state] { return state.finished; };
  if (timeoutMs == INFINITE) {
    state.finishedChanged.wait(lock, finished);
  } else if (!state.finishedChanged.wait_for(lock, std::chrono::milliseconds(timeoutMs), finished)) {
    return WAIT_TIMEOUT;
  }
  // It has finished its work; joining only collects it.
  if (state.thread.joinable()) state.thread.join();
  return WAIT_OBJECT_0;
}
