#include "SimulatorProgram.h"

#include <csignal>
#include <iostream>

int main(int argc, char** argv) {
    // Standard output in a file past the file size limit then fails and is reported instead of
    // ending the simulator without a word.
    std::signal(SIGXFSZ, SIG_IGN);
    return RunSimulator(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr);
}
