#pragma once

#include <optional>
#include <string>

// Sets an environment variable for the object's lifetime; the previous value, or its absence,
// comes back when the object goes.
class EnvironmentVariable {
public:
    EnvironmentVariable(std::string name, const std::string& value);
    EnvironmentVariable(const EnvironmentVariable&) = delete;
    EnvironmentVariable& operator=(const EnvironmentVariable&) = delete;
    ~EnvironmentVariable();

private:
    std::string name_;
    std::optional<std::string> previous_;
};
