#pragma once

#include <sys/types.h>

// The priority levels of a thread, from idle to time-critical.
enum class TThreadPriority {
    tpIdle,
    tpLowest,
    tpLower,
    tpNormal,
    tpHigher,
    tpHighest,
    tpTimeCritical
};

// Gives the thread `threadId` (a kernel thread id) the scheduling that `priority` stands for on
// Linux: idle is SCHED_IDLE, lowest to highest are nice values around the one the thread has,
// time-critical is the lowest real-time priority of SCHED_RR. False when the system refuses it;
// the thread then keeps what it had.
bool ApplyThreadPriority(pid_t threadId, TThreadPriority priority);
