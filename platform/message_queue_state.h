// What a front end may learn of the messaging internals: when the program
// has nothing left to do (the headless front end's runUntilIdle), and when
// the window's thread next has something to do by the clock.
#pragma once

// The one rate at which the window's thread hears of the controls other
// threads change (a worker's texts and progress, applied to the model at
// once): a screen shows no more, and a wake-up per change would cost more
// than the change. A report falls due one interval after the last one, and
// the first change after a report wakes the window's thread, whatever loop
// it waits in. Front ends show each report at once, with no rate of their own.
constexpr int CHANGE_REPORT_INTERVAL_MS = 16;

// True when nothing more can happen without the user: no thread has a posted
// message, an incoming send or WM_QUIT waiting, no timer is armed, and every
// thread with a queue other than the caller is blocked waiting for messages
// (a worker that is converting is not). Any thread.
bool allThreadsIdle();

// For a front end without a user (the headless one): when nothing can happen
// before the calling thread's next timer or change report is due (no thread
// has a message or a send waiting, every other thread waits for messages and
// has no timer or change waiting), moves the platform's clock on to it, so it
// is due now, and returns true. The order of events is the one real time
// would give.
bool skipToNextDueWhenIdle();

// Milliseconds until the calling thread's next timer or report of control
// changes is due (0 when one is due now), or -1 when it has neither. A front
// end's modal loop arms its own timer with it and carries out
// processPendingMessages when that fires.
int msUntilNextDue();

// Blocks the calling thread as GetMessageA does when it has nothing to do,
// for at most limitMs (-1: no limit): returns when a message, a send or a due
// timer may be waiting. For front ends that run their own loop.
void waitForMessages(int limitMs);
