#include "FuzzCheck.h"

#include <cstdio>
#include <cstdlib>

void FuzzCheck(bool holds, std::string_view promise) {
    if (holds) {
        return;
    }
    std::fprintf(stderr, "Broken promise: %.*s\n", static_cast<int>(promise.size()),
                 promise.data());
    std::abort();
}
