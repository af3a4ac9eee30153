#pragma once

#include <sys/types.h>

// Whether the thread `threadId` of this process is asleep in poll right now, as the kernel shows
// it: how a test knows that a wait has begun and blocks, without guessing a time.
bool ThreadSleepsInPoll(pid_t threadId);
