// What a front end may learn of the messaging internals, to tell when the
// program has nothing left to do (the headless front end's runUntilIdle).
#pragma once

// True when nothing more can happen without the user: no thread has a posted
// message, an incoming send or WM_QUIT waiting, no timer is armed, and every
// thread with a queue other than the caller is blocked waiting for messages
// (a worker that is converting is not). Any thread.
bool allThreadsIdle();

// For a front end without a user (the headless one): when nothing can happen
// before the calling thread's next timer is due (no thread has a message, a
// send or a change waiting, every other thread waits for messages and has no
// timer), moves the platform's clock on to that timer, so it is due now, and
// returns true. The order of events is the one real time would give.
bool skipToNextTimerWhenIdle();

// Milliseconds until the calling thread's next timer is due (0 when one is
// due now), or -1 when it has no timer.
int msUntilNextTimer();

// Blocks the calling thread as GetMessageA does when it has nothing to do,
// for at most limitMs (-1: no limit): returns when a message, a send or a due
// timer may be waiting. For front ends that run their own loop.
void waitForMessages(int limitMs);
