// Thread queues: posts to workers created with CreateThread, and to threads
// that never were or are gone.
#include "platform/files.h"
#include "platform/messages.h"
#include "platform/threads.h"

#include <gtest/gtest.h>

#include <future>
#include <vector>

namespace {

constexpr DWORD NO_THREAD_ID = 0xFFFFFFFFu;  // the program's NO_THREAD
constexpr WPARAM WORK = 1;
constexpr WPARAM EXIT = 2;

// A worker shaped like the program's: wait, then empty the queue.
struct Worker {
  std::promise<void> go;
  std::vector<WPARAM> handled;
  std::vector<UINT> dropped;
  DWORD idSeenInside = 0;
};

DWORD workerLoop(void* parameter) {
  auto* worker = static_cast<Worker*>(parameter);
  worker->go.get_future().wait();
  worker->idSeenInside = GetCurrentThreadId();
  bool running = true;
  while (running) {
    WaitMessage();
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message != WM_COMMAND) {
        worker->dropped.push_back(msg.message);
      } else {
        worker->handled.push_back(msg.wParam);
        if (msg.wParam == EXIT) running = false;
      }
    }
  }
  return 0;
}

TEST(PlatformThreadMessages, PostsToNoThreadFail) {
  EXPECT_FALSE(PostThreadMessageA(NO_THREAD_ID, WM_COMMAND, WORK, 0));
  EXPECT_FALSE(PostThreadMessageA(0, WM_COMMAND, WORK, 0));
}

TEST(PlatformThreadMessages, PostRightAfterCreationIsKeptAndPostsAfterTheEndFail) {
  Worker worker;
  DWORD id = NO_THREAD_ID;
  HANDLE thread = CreateThread(nullptr, 0, workerLoop, &worker, 0, &id);
  ASSERT_NE(thread, nullptr);
  ASSERT_NE(id, NO_THREAD_ID);
  EXPECT_GT(id, 0u);
  // Before the worker has ever waited: its queue already exists.
  EXPECT_TRUE(PostThreadMessageA(id, WM_COMMAND, WORK, 0));
  EXPECT_TRUE(PostThreadMessageA(id, WM_USER, 0, 0));
  EXPECT_TRUE(PostThreadMessageA(id, WM_COMMAND, EXIT, 0));
  EXPECT_TRUE(PostThreadMessageA(id, WM_COMMAND, WORK, 0));  // behind the exit: still handled
  worker.go.set_value();
  EXPECT_EQ(WaitForSingleObject(thread, INFINITE), WAIT_OBJECT_0);
  EXPECT_TRUE(CloseHandle(thread));

  EXPECT_EQ(worker.idSeenInside, id);
  EXPECT_EQ(worker.handled, (std::vector<WPARAM>{WORK, EXIT, WORK}));
  EXPECT_EQ(worker.dropped, (std::vector<UINT>{WM_USER}));
  EXPECT_FALSE(PostThreadMessageA(id, WM_COMMAND, WORK, 0));
}

TEST(PlatformThreadMessages, ThreadIdsAreDistinctAndNeverTheCaller) {
  Worker first;
  Worker second;
  DWORD firstId = 0;
  DWORD secondId = 0;
  HANDLE a = CreateThread(nullptr, 0, workerLoop, &first, 0, &firstId);
  HANDLE b = CreateThread(nullptr, 0, workerLoop, &second, 0, &secondId);
  ASSERT_NE(a, nullptr);
  ASSERT_NE(b, nullptr);
  EXPECT_NE(firstId, secondId);
  EXPECT_NE(firstId, GetCurrentThreadId());
  EXPECT_EQ(GetCurrentThreadId(), GetCurrentThreadId());
  first.go.set_value();
  second.go.set_value();
  PostThreadMessageA(firstId, WM_COMMAND, EXIT, 0);
  PostThreadMessageA(secondId, WM_COMMAND, EXIT, 0);
  EXPECT_EQ(WaitForSingleObject(a, INFINITE), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(b, INFINITE), WAIT_OBJECT_0);
  CloseHandle(a);
  CloseHandle(b);
}

TEST(PlatformThreadMessages, WaitingForABlockedWorkerTimesOut) {
  Worker worker;
  DWORD id = 0;
  HANDLE thread = CreateThread(nullptr, 0, workerLoop, &worker, 0, &id);
  ASSERT_NE(thread, nullptr);
  worker.go.set_value();
  EXPECT_EQ(WaitForSingleObject(thread, 10), WAIT_TIMEOUT);
  PostThreadMessageA(id, WM_COMMAND, EXIT, 0);
  EXPECT_EQ(WaitForSingleObject(thread, INFINITE), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(thread, 0), WAIT_OBJECT_0);  // a finished thread stays signalled
  CloseHandle(thread);
  EXPECT_EQ(WaitForSingleObject(nullptr, 0), WAIT_FAILED);
}

TEST(PlatformThreadMessages, BadCreationArgumentsCreateNothing) {
  DWORD id = 77;
  EXPECT_EQ(CreateThread(nullptr, 0, nullptr, nullptr, 0, &id), nullptr);
  EXPECT_EQ(id, 77u);
}

}  // namespace
