#include "ThreadPriority.h"

#include <algorithm>
#include <cerrno>
#include <sched.h>
#include <sys/resource.h>

namespace {

// Nice steps away from the thread's own value: far enough apart that each level is felt.
int NiceOffset(TThreadPriority priority) {
    switch (priority) {
    case TThreadPriority::tpLowest:
        return 10;
    case TThreadPriority::tpLower:
        return 5;
    case TThreadPriority::tpHigher:
        return -5;
    case TThreadPriority::tpHighest:
        return -10;
    default:
        return 0;
    }
}

bool SetPolicy(pid_t threadId, int policy, int level) {
    sched_param parameters{};
    parameters.sched_priority = level;
    return ::sched_setscheduler(threadId, policy, &parameters) == 0;
}

} // namespace

bool ApplyThreadPriority(pid_t threadId, TThreadPriority priority) {
    switch (priority) {
    case TThreadPriority::tpNormal:
        return true;
    case TThreadPriority::tpIdle:
        return SetPolicy(threadId, SCHED_IDLE, 0);
    case TThreadPriority::tpTimeCritical:
        return SetPolicy(threadId, SCHED_RR, ::sched_get_priority_min(SCHED_RR));
    default:
        break;
    }
    // On Linux the nice value belongs to each thread; -1 is a legal value, hence errno.
    errno = 0;
    const int nice = ::getpriority(PRIO_PROCESS, static_cast<id_t>(threadId));
    if (errno != 0) {
        return false;
    }
    const int wanted = std::clamp(nice + NiceOffset(priority), -20, 19);
    return ::setpriority(PRIO_PROCESS, static_cast<id_t>(threadId), wanted) == 0;
}
