#include "platform/messages.h"

#include "platform/control_messages.h"
#include "platform/control_refresh.h"
#include "platform/front_end.h"
#include "platform/message_queue_internal.h"
#include "platform/message_queue_state.h"
#include "platform/window.h"
#include "platform/window_registry.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <pthread.h>
#include <thread>
#include <unordered_map>
#include <utility>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
// Windows clamps short timers too; 0 ms would fire without end.
constexpr auto MIN_TIMER_PERIOD = std::chrono::milliseconds(1);
constexpr DWORD NO_THREAD_RECORD = 0;
// A worker's control update is carried out within microseconds while the
// window's thread is awake; waiting that long by spinning saves a sleep and a
// wake-up on each side, which would cost more than the update itself. Both
// sides spin only right after such traffic, so an idle program still blocks.
constexpr auto SEND_SPIN = std::chrono::microseconds(50);
constexpr auto RECENT_SEND = std::chrono::milliseconds(1);
constexpr auto CHANGE_REPORT_INTERVAL = std::chrono::milliseconds(CHANGE_REPORT_INTERVAL_MS);

// After a few pause loops it yields, so a spinner never holds a core that the
// thread it waits for needs (two threads may share one core on a busy machine).
template <typename Predicate>
bool spinUntil(Predicate ready, Clock::duration limit) {
  const auto until = Clock::now() + limit;
  for (int round = 0;; ++round) {
    for (int i = 0; i < 64; ++i) {
      if (ready()) return true;
#if defined(__x86_64__) || defined(__i386__)
      __builtin_ia32_pause();
#endif
    }
    if (Clock::now() >= until) return ready();
    if (round >= 4) std::this_thread::yield();
  }
}

// The platform's clock for timers, tick counts and change reports: real time,
// moved on by skipToNextDueWhenIdle when nothing else can happen.
std::atomic<std::int64_t> skippedNanoseconds{0};

Clock::time_point timeNow() {
  return Clock::now() + std::chrono::nanoseconds(skippedNanoseconds.load(std::memory_order_relaxed));
}

struct ThreadRecord;

// A send waiting in its target thread's queue; lives on the sender's stack
// until done is set.
struct PendingSend {
  HWND target = nullptr;
  std::optional<int> itemId;
  UINT message = 0;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
  LRESULT result = 0;
  bool done = false;
  std::atomic<bool> finished{false};  // done, readable without the lock while spinning
  ThreadRecord* sender = nullptr;
};

struct Timer {
  HWND window = nullptr;
  UINT_PTR id = 0;
  Clock::time_point due;
  Clock::duration period{};
  std::uint64_t armedOrder = 0;  // equal due times fire in arming order
};

struct ThreadRecord {
  DWORD id = NO_THREAD_RECORD;
  bool hasQueue = false;
  std::deque<MSG> posted;
  std::deque<PendingSend*> sends;
  std::vector<Timer> timers;
  bool quitPending = false;
  int quitCode = 0;
  bool blockedWaiting = false;
  int windowCount = 0;
  std::condition_variable wake;
  std::atomic<std::uint64_t> arrivals{0};  // posts and sends so far, readable without the lock
  Clock::time_point lastSendCarriedOut{};
  // Controls of this thread's windows that other threads changed directly;
  // the front end hears of each once, in the thread's next retrieval.
  std::vector<std::pair<HWND, int>> changedControls;
  std::vector<ControlRefresh*> refreshes;  // run before the next report
  ControlRefresh* runningRefresh = nullptr;
  std::condition_variable refreshDone;
  Clock::time_point lastChangeReport{};
};

// Whether the thread has changes of its controls to report.
bool hasChangesLocked(const ThreadRecord& record) {
  return !record.changedControls.empty() || !record.refreshes.empty();
}

struct Threads {
  std::mutex mutex;
  std::unordered_map<DWORD, std::shared_ptr<ThreadRecord>> records;
  DWORD nextId = 1;
  std::uint64_t nextTimerOrder = 0;
  Clock::time_point start = timeNow();
};

// Never destroyed: detached threads may still post while the process exits.
Threads& threads() {
  static auto* state = new Threads;
  return *state;
}

void endThread(std::shared_ptr<ThreadRecord> record);

struct ThreadSlot {
  std::shared_ptr<ThreadRecord> record;
  ~ThreadSlot() {
    if (record) endThread(std::move(record));
  }
};

// The slot ends with its thread through a key's destructor, which gets the
// slot itself: the destructor of a thread_local object is not enough, as
// mingw-w64's emulated TLS may free the object's storage before it runs.
ThreadSlot& thisThread() {
  static const pthread_key_t ending = [] {
    pthread_key_t key{};
    pthread_key_create(&key, [](void* slot) { delete static_cast<ThreadSlot*>(slot); });
    return key;
  }();
  thread_local ThreadSlot* slot = nullptr;
  if (slot == nullptr) {
    slot = new ThreadSlot;
    pthread_setspecific(ending, slot);
  }
  return *slot;
}

ThreadRecord& selfLocked() {
  ThreadSlot& slot = thisThread();
  if (!slot.record) {
    auto record = std::make_shared<ThreadRecord>();
    record->id = threads().nextId++;
    threads().records[record->id] = record;
    slot.record = std::move(record);
  }
  return *slot.record;
}

ThreadRecord& selfWithQueueLocked() {
  ThreadRecord& self = selfLocked();
  self.hasQueue = true;
  return self;
}

ThreadRecord* findLocked(DWORD threadId) {
  const auto found = threads().records.find(threadId);
  return found == threads().records.end() ? nullptr : found->second.get();
}

DWORD tickCount() {
  const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(timeNow() - threads().start);
  return static_cast<DWORD>(elapsed.count());
}

MSG makeMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  MSG msg;
  msg.hwnd = window;
  msg.message = message;
  msg.wParam = wParam;
  msg.lParam = lParam;
  msg.time = tickCount();
  return msg;
}

// Returns whether the front end must be woken: the target waits through it.
bool postLocked(ThreadRecord& target, const MSG& msg) {
  target.hasQueue = true;
  target.posted.push_back(msg);
  target.arrivals.fetch_add(1, std::memory_order_release);
  target.wake.notify_all();
  return target.windowCount > 0;
}

void finishSendLocked(PendingSend& send, LRESULT result) {
  send.result = result;
  send.done = true;
  ThreadRecord* sender = send.sender;
  send.finished.store(true, std::memory_order_release);  // the sender may return from here on
  sender->wake.notify_all();
}

// Carries out every incoming send; returns whether there was any.
bool carryOutSendsLocked(std::unique_lock<std::mutex>& lock, ThreadRecord& self) {
  bool any = false;
  while (!self.sends.empty()) {
    PendingSend* send = self.sends.front();
    self.sends.pop_front();
    lock.unlock();
    const LRESULT result = deliverMessage(send->target, send->itemId, send->message, send->wParam, send->lParam);
    lock.lock();
    finishSendLocked(*send, result);
    self.lastSendCarriedOut = Clock::now();
    any = true;
  }
  return any;
}

// Tells the front end of the controls other threads changed since the last
// time; returns whether there were any.
bool reportControlChangesLocked(std::unique_lock<std::mutex>& lock, ThreadRecord& self) {
  if (!hasChangesLocked(self)) return false;
  while (!self.refreshes.empty()) {
    self.runningRefresh = self.refreshes.front();
    self.refreshes.erase(self.refreshes.begin());
    lock.unlock();
    self.runningRefresh->refresh();
    lock.lock();
    self.runningRefresh = nullptr;
    self.refreshDone.notify_all();
  }
  std::vector<std::pair<HWND, int>> changed;
  changed.swap(self.changedControls);
  changed.erase(std::remove_if(changed.begin(), changed.end(),
                               [](const auto& entry) { return resolveLocked(entry.first).window == nullptr; }),
                changed.end());
  self.lastChangeReport = timeNow();
  lock.unlock();
  for (const auto& [window, controlId] : changed) frontEnd().windowChanged(window, controlId);
  lock.lock();
  return true;
}

// Whether the controls other threads changed are due to be reported.
bool changeReportDueLocked(const ThreadRecord& self) {
  return hasChangesLocked(self) && self.lastChangeReport + CHANGE_REPORT_INTERVAL <= timeNow();
}

// A worker's text or progress update is applied to the model at once, by the
// worker, as the owner would apply it: no round trip to the window's thread.
// Returns false when the message is not such an update.
bool applyDirectlyLocked(ThreadRecord& receiver, HWND target, std::optional<int> itemId, UINT message, WPARAM wParam,
                         LPARAM lParam, LRESULT* result, bool* wakeFrontEnd) {
  if (!itemId.has_value() || !isDirectControlUpdate(message)) return false;
  *result = 0;
  const WindowTarget resolved = resolveLocked(target);
  if (resolved.window == nullptr || resolved.controlIndex >= 0) return true;
  ControlModel* control = findControl(resolved.window->model, *itemId);
  if (control == nullptr) return true;
  *result = applyControlUpdate(*control, message, wParam, lParam);
  const std::pair<HWND, int> entry{target, *itemId};
  auto& changed = receiver.changedControls;
  if (std::find(changed.begin(), changed.end(), entry) != changed.end()) return true;
  // The first change since the last report wakes the window's thread, so the
  // report falls due whatever loop it waits in: the platform's own wait then
  // ends at the due time, a front end's modal loop arms its timer for it
  // (msUntilNextDue). Later changes ride on that report.
  *wakeFrontEnd = changed.empty() && receiver.windowCount > 0;
  changed.push_back(entry);
  return true;
}

Timer* dueTimerLocked(ThreadRecord& self, Clock::time_point now) {
  Timer* due = nullptr;
  for (Timer& timer : self.timers) {
    if (timer.due > now) continue;
    if (due == nullptr || timer.due < due->due || (timer.due == due->due && timer.armedOrder < due->armedOrder)) {
      due = &timer;
    }
  }
  return due;
}

// When the thread next has something to do by the clock: its earliest timer,
// or the report of the controls other threads changed.
std::optional<Clock::time_point> nextDueLocked(const ThreadRecord& self) {
  std::optional<Clock::time_point> next;
  for (const Timer& timer : self.timers) {
    if (!next || timer.due < *next) next = timer.due;
  }
  if (hasChangesLocked(self)) {
    const auto report = self.lastChangeReport + CHANGE_REPORT_INTERVAL;
    if (!next || report < *next) next = report;
  }
  return next;
}

int msUntilNextDueLocked(const ThreadRecord& self) {
  const std::optional<Clock::time_point> due = nextDueLocked(self);
  if (!due) return -1;
  const auto now = timeNow();
  if (*due <= now) return 0;
  // Round up, so a wait never ends just before it is due.
  return static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(*due - now).count());
}

bool hasWorkLocked(ThreadRecord& self) {
  return !self.posted.empty() || !self.sends.empty() || changeReportDueLocked(self) || self.quitPending ||
         dueTimerLocked(self, timeNow());
}

enum class Take { Nothing, Message, Quit };

// The next message in Windows' order: posted messages, then WM_QUIT (when
// allowed), then due timers. Incoming sends are carried out first.
Take takeLocked(std::unique_lock<std::mutex>& lock, ThreadRecord& self, MSG* msg, bool remove, bool allowQuit) {
  carryOutSendsLocked(lock, self);
  // Changes come before anything posted after them, and when they are due.
  if (!self.posted.empty() || changeReportDueLocked(self)) reportControlChangesLocked(lock, self);
  if (!self.posted.empty()) {
    *msg = self.posted.front();
    if (remove) self.posted.pop_front();
    return Take::Message;
  }
  if (allowQuit && self.quitPending) {
    *msg = makeMessage(nullptr, WM_QUIT, static_cast<WPARAM>(self.quitCode), 0);
    if (remove) self.quitPending = false;
    return Take::Quit;
  }
  const auto now = timeNow();
  if (Timer* timer = dueTimerLocked(self, now)) {
    *msg = makeMessage(timer->window, WM_TIMER, timer->id, 0);
    if (remove) timer->due = now + timer->period;
    return Take::Message;
  }
  return Take::Nothing;
}

// Blocks until something may have arrived. A thread that owns windows waits
// through the front end, so it can show and take the user's actions; the
// others wait on their own condition.
void blockLocked(std::unique_lock<std::mutex>& lock, ThreadRecord& self, int limitMs = -1) {
  int timeoutMs = msUntilNextDueLocked(self);
  if (limitMs >= 0 && (timeoutMs < 0 || limitMs < timeoutMs)) timeoutMs = limitMs;
  const bool ownsWindows = self.windowCount > 0;
  if (ownsWindows && Clock::now() - self.lastSendCarriedOut < RECENT_SEND) {
    const std::uint64_t seen = self.arrivals.load(std::memory_order_acquire);
    lock.unlock();
    const bool arrived =
        spinUntil([&self, seen] { return self.arrivals.load(std::memory_order_acquire) != seen; }, SEND_SPIN);
    lock.lock();
    if (arrived) return;
  }
  self.blockedWaiting = true;
  lock.unlock();
  if (ownsWindows) {
    frontEnd().waitForEvents(timeoutMs);
    lock.lock();
  } else {
    // A thread going idle may be what the main thread is waiting for.
    frontEnd().wakeMainThread();
    lock.lock();
    const auto ready = [&self] { return hasWorkLocked(self); };
    if (timeoutMs < 0) {
      self.wake.wait(lock, ready);
    } else {
      self.wake.wait_for(lock, std::chrono::milliseconds(timeoutMs), ready);
    }
  }
  self.blockedWaiting = false;
}

void endThread(std::shared_ptr<ThreadRecord> record) {
  std::vector<std::unique_ptr<WindowRecord>> orphans;
  {
    std::lock_guard<std::mutex> lock(threads().mutex);
    threads().records.erase(record->id);
    for (PendingSend* send : record->sends) finishSendLocked(*send, 0);
    record->sends.clear();
    record->posted.clear();
    record->changedControls.clear();
    record->refreshes.clear();
    record->timers.clear();
    // Its windows can no longer run their procedure: they go without messages.
    orphans = removeWindowsOfThreadLocked(record->id);
  }
  orphans.clear();
  frontEnd().wakeMainThread();
}

BOOL postToThread(DWORD threadId, const MSG& msg) {
  bool wakeFrontEnd = false;
  {
    std::lock_guard<std::mutex> lock(threads().mutex);
    ThreadRecord* target = findLocked(threadId);
    if (target == nullptr) return FALSE;
    wakeFrontEnd = postLocked(*target, msg);
  }
  if (wakeFrontEnd) frontEnd().wakeMainThread();
  return TRUE;
}

}  // namespace

std::mutex& platformMutex() { return threads().mutex; }

DWORD currentThreadIdLocked() { return selfLocked().id; }

DWORD createThreadRecord() {
  std::lock_guard<std::mutex> lock(threads().mutex);
  auto record = std::make_shared<ThreadRecord>();
  record->id = threads().nextId++;
  record->hasQueue = true;
  threads().records[record->id] = record;
  return record->id;
}

void discardThreadRecord(DWORD threadId) {
  std::lock_guard<std::mutex> lock(threads().mutex);
  threads().records.erase(threadId);
}

void adoptThreadRecord(DWORD threadId) {
  std::lock_guard<std::mutex> lock(threads().mutex);
  thisThread().record = threads().records.at(threadId);
}

void endCurrentThread() {
  ThreadSlot& slot = thisThread();
  if (slot.record) endThread(std::move(slot.record));
  slot.record.reset();
}

void countOwnedWindowLocked(DWORD threadId, int delta) {
  if (ThreadRecord* record = findLocked(threadId)) {
    record->windowCount += delta;
    if (delta > 0) record->hasQueue = true;
  }
}

void killWindowTimersLocked(HWND window) {
  auto& timers = selfLocked().timers;
  timers.erase(std::remove_if(timers.begin(), timers.end(), [window](const Timer& t) { return t.window == window; }),
               timers.end());
}

void cancelUndeliverableSendsLocked() {
  auto& sends = selfLocked().sends;
  for (auto it = sends.begin(); it != sends.end();) {
    if (resolveLocked((*it)->target).window == nullptr) {
      finishSendLocked(**it, 0);
      it = sends.erase(it);
    } else {
      ++it;
    }
  }
}

LRESULT sendToWindow(HWND target, std::optional<int> itemId, UINT message, WPARAM wParam, LPARAM lParam) {
  std::unique_lock<std::mutex> lock(threads().mutex);
  ThreadRecord& self = selfLocked();
  const DWORD owner = ownerThreadLocked(target);
  if (owner == self.id) {
    lock.unlock();
    return deliverMessage(target, itemId, message, wParam, lParam);
  }
  ThreadRecord* receiver = owner == NO_THREAD_RECORD ? nullptr : findLocked(owner);
  if (receiver == nullptr) return 0;
  LRESULT applied = 0;
  bool wakeForChange = false;
  if (applyDirectlyLocked(*receiver, target, itemId, message, wParam, lParam, &applied, &wakeForChange)) {
    lock.unlock();
    if (wakeForChange) frontEnd().wakeMainThread();
    return applied;
  }

  PendingSend send;
  send.target = target;
  send.itemId = itemId;
  send.message = message;
  send.wParam = wParam;
  send.lParam = lParam;
  send.sender = &self;
  receiver->sends.push_back(&send);
  receiver->arrivals.fetch_add(1, std::memory_order_release);
  receiver->wake.notify_all();
  const bool wakeFrontEnd = receiver->windowCount > 0;
  lock.unlock();
  if (wakeFrontEnd) frontEnd().wakeMainThread();
  if (spinUntil([&send] { return send.finished.load(std::memory_order_acquire); }, SEND_SPIN)) {
    return send.result;  // published before finished; the send is out of every queue
  }
  lock.lock();
  // While it waits, the sender carries out sends to its own windows, as on
  // Windows, so two window threads sending to each other cannot deadlock.
  while (!send.done) {
    if (!carryOutSendsLocked(lock, self) && !send.done) {
      self.wake.wait(lock, [&] { return send.done || !self.sends.empty(); });
    }
  }
  return send.result;
}

bool allThreadsIdle() {
  std::lock_guard<std::mutex> lock(threads().mutex);
  const ThreadSlot& slot = thisThread();
  const DWORD caller = slot.record ? slot.record->id : NO_THREAD_RECORD;
  for (const auto& [id, record] : threads().records) {
    if (!record->hasQueue) continue;
    if (!record->posted.empty() || !record->sends.empty() || hasChangesLocked(*record) || record->quitPending ||
        !record->timers.empty()) {
      return false;
    }
    if (id != caller && !record->blockedWaiting) return false;
  }
  return true;
}

bool skipToNextDueWhenIdle() {
  std::lock_guard<std::mutex> lock(threads().mutex);
  const ThreadRecord& self = selfLocked();
  for (const auto& [id, record] : threads().records) {
    if (!record->hasQueue) continue;
    if (!record->posted.empty() || !record->sends.empty() || record->quitPending) return false;
    if (id == self.id) continue;
    if (hasChangesLocked(*record) || !record->blockedWaiting || !record->timers.empty()) return false;
  }
  const std::optional<Clock::time_point> due = nextDueLocked(self);
  if (!due) return false;
  const auto now = timeNow();
  if (*due > now) {
    skippedNanoseconds.fetch_add(std::chrono::duration_cast<std::chrono::nanoseconds>(*due - now).count(),
                                 std::memory_order_relaxed);
  }
  return true;
}

void requestControlRefresh(HWND window, ControlRefresh* refresh) {
  bool wakeFrontEnd = false;
  {
    std::lock_guard<std::mutex> lock(threads().mutex);
    ThreadRecord* owner = findLocked(ownerThreadLocked(window));
    if (owner == nullptr) return;
    auto& refreshes = owner->refreshes;
    if (std::find(refreshes.begin(), refreshes.end(), refresh) != refreshes.end()) return;
    wakeFrontEnd = !hasChangesLocked(*owner) && owner->windowCount > 0;
    refreshes.push_back(refresh);
  }
  if (wakeFrontEnd) frontEnd().wakeMainThread();
}

void cancelControlRefresh(ControlRefresh* refresh) {
  std::unique_lock<std::mutex> lock(threads().mutex);
  std::shared_ptr<ThreadRecord> running;
  for (const auto& [id, record] : threads().records) {
    auto& refreshes = record->refreshes;
    refreshes.erase(std::remove(refreshes.begin(), refreshes.end(), refresh), refreshes.end());
    if (record->runningRefresh == refresh) running = record;
  }
  if (running) running->refreshDone.wait(lock, [&] { return running->runningRefresh != refresh; });
}

int msUntilNextDue() {
  std::lock_guard<std::mutex> lock(threads().mutex);
  return msUntilNextDueLocked(selfLocked());
}

DWORD GetTickCount() {
  std::lock_guard<std::mutex> lock(threads().mutex);
  return tickCount();
}

DWORD GetCurrentThreadId() {
  std::lock_guard<std::mutex> lock(threads().mutex);
  return selfLocked().id;
}

BOOL PostThreadMessageA(DWORD threadId, UINT message, WPARAM wParam, LPARAM lParam) {
  return postToThread(threadId, makeMessage(nullptr, message, wParam, lParam));
}

BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  DWORD owner = NO_THREAD_RECORD;
  {
    std::lock_guard<std::mutex> lock(threads().mutex);
    owner = window == nullptr ? selfLocked().id : ownerThreadLocked(window);
  }
  if (owner == NO_THREAD_RECORD) return FALSE;
  return postToThread(owner, makeMessage(window, message, wParam, lParam));
}

LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return sendToWindow(window, std::nullopt, message, wParam, lParam);
}

BOOL GetMessageA(MSG* msg, HWND /*window*/, UINT /*filterMin*/, UINT /*filterMax*/) {
  if (msg == nullptr) return -1;
  std::unique_lock<std::mutex> lock(threads().mutex);
  ThreadRecord& self = selfWithQueueLocked();
  for (;;) {
    switch (takeLocked(lock, self, msg, true, true)) {
      case Take::Message:
        return TRUE;
      case Take::Quit:
        return FALSE;
      case Take::Nothing:
        blockLocked(lock, self);
        break;
    }
  }
}

BOOL PeekMessageA(MSG* msg, HWND /*window*/, UINT /*filterMin*/, UINT /*filterMax*/, UINT removeMessage) {
  if (msg == nullptr) return FALSE;
  std::unique_lock<std::mutex> lock(threads().mutex);
  ThreadRecord& self = selfWithQueueLocked();
  return takeLocked(lock, self, msg, (removeMessage & PM_REMOVE) != 0, true) == Take::Nothing ? FALSE : TRUE;
}

BOOL WaitMessage() {
  std::unique_lock<std::mutex> lock(threads().mutex);
  ThreadRecord& self = selfWithQueueLocked();
  for (;;) {
    if (carryOutSendsLocked(lock, self) || hasWorkLocked(self)) return TRUE;
    blockLocked(lock, self);
  }
}

void waitForMessages(int limitMs) {
  std::unique_lock<std::mutex> lock(threads().mutex);
  ThreadRecord& self = selfWithQueueLocked();
  if (carryOutSendsLocked(lock, self) || hasWorkLocked(self)) return;
  blockLocked(lock, self, limitMs);
}

BOOL TranslateMessage(const MSG* /*msg*/) { return FALSE; }

LRESULT DispatchMessageA(const MSG* msg) {
  if (msg == nullptr || msg->hwnd == nullptr) return 0;
  return deliverMessage(msg->hwnd, std::nullopt, msg->message, msg->wParam, msg->lParam);
}

void PostQuitMessage(int exitCode) {
  std::lock_guard<std::mutex> lock(threads().mutex);
  ThreadRecord& self = selfWithQueueLocked();
  self.quitPending = true;
  self.quitCode = exitCode;
}

LRESULT DefWindowProcA(HWND window, UINT message, WPARAM /*wParam*/, LPARAM /*lParam*/) {
  if (message == WM_CLOSE) DestroyWindow(window);
  return 0;
}

UINT_PTR SetTimer(HWND window, UINT_PTR id, UINT elapseMs, TIMERPROC timerProc) {
  if (window == nullptr || timerProc != nullptr) return 0;
  std::lock_guard<std::mutex> lock(threads().mutex);
  ThreadRecord& self = selfWithQueueLocked();
  if (ownerThreadLocked(window) != self.id) return 0;
  const Clock::duration period = std::max<Clock::duration>(std::chrono::milliseconds(elapseMs), MIN_TIMER_PERIOD);
  const auto due = timeNow() + period;
  const std::uint64_t order = threads().nextTimerOrder++;
  for (Timer& timer : self.timers) {
    if (timer.window == window && timer.id == id) {
      timer.due = due;
      timer.period = period;
      timer.armedOrder = order;
      return TRUE;
    }
  }
  self.timers.push_back(Timer{window, id, due, period, order});
  return TRUE;
}

BOOL KillTimer(HWND window, UINT_PTR id) {
  std::lock_guard<std::mutex> lock(threads().mutex);
  auto& timers = selfLocked().timers;
  const auto found =
      std::find_if(timers.begin(), timers.end(), [&](const Timer& t) { return t.window == window && t.id == id; });
  if (found == timers.end()) return FALSE;
  timers.erase(found);
  return TRUE;
}

void processPendingMessages() {
  MSG msg;
  for (;;) {
    {
      std::unique_lock<std::mutex> lock(threads().mutex);
      ThreadRecord& self = selfWithQueueLocked();
      if (takeLocked(lock, self, &msg, true, false) == Take::Nothing) return;
    }
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}
