#pragma once

// Wake-ups through an eventfd: a poll that watches it wakes once it has been signalled, and the
// waker consumes the signal so that the next poll sleeps again.
void SignalEvent(int event);
void ConsumeEvent(int event);
