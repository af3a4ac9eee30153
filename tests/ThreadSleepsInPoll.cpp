#include "ThreadSleepsInPoll.h"

#include <fstream>
#include <string>
#include <sys/syscall.h>

bool ThreadSleepsInPoll(pid_t threadId) {
    const std::string task = "/proc/self/task/" + std::to_string(threadId);
    std::ifstream stat(task + "/stat");
    std::string field;
    // "tid (name) S ...": the state follows the name, which may itself hold spaces.
    if (!std::getline(stat, field, ')') || !(stat >> field) || field != "S") {
        return false;
    }
    // The number of the system call the thread is in, or "running".
    std::ifstream call(task + "/syscall");
    long number = -1;
    if (!(call >> number)) {
        return false;
    }
#ifdef SYS_poll
    if (number == SYS_poll) {
        return true;
    }
#endif
    return number == SYS_ppoll;
}
