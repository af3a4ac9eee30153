// skyfence-replay: a recorded receiver log through the program's receive path, into a data file
// and, when asked, a picture of it. No window and no port.
#include "EReplayUsage.h"
#include "ReplayOptions.h"
#include "ReplayRun.h"

#include <algorithm>
#include <exception>
#include <iostream>
#include <new>
#include <string>
#include <vector>

int main(int argc, char* argv[]) {
    constexpr const char* Name = "skyfence-replay";
    try {
        const ReplayOptions options =
            ParseReplayArguments(std::vector<std::string>(argv + std::min(argc, 1), argv + argc));
        if (options.Help) {
            std::cout << ReplayUsage << '\n';
            return 0;
        }
        RunReplay(options);
        return 0;
    } catch (const EReplayUsage& error) {
        std::cerr << Name << ": " << error.what() << '\n' << ReplayUsage << '\n';
        return 2;
    } catch (const std::bad_alloc&) {
        std::cerr << Name << ": out of memory\n";
    } catch (const std::exception& error) {
        std::cerr << Name << ": " << error.what() << '\n';
    }
    return 1;
}
