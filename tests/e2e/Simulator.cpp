#include "Simulator.h"

namespace {

std::vector<std::string> Arguments(const std::string& link,
                                   const std::vector<std::string>& options) {
    std::vector<std::string> arguments{"--link", link};
    arguments.insert(arguments.end(), options.begin(), options.end());
    return arguments;
}

} // namespace

Simulator::Simulator(const std::string& link, const std::vector<std::string>& options,
                     const std::string& executable)
    : program(executable, Arguments(link, options)) {
    device = program.ReadLine(std::chrono::seconds(10)).value_or("");
}
