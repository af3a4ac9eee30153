#pragma once

#include <map>
#include <string>
#include <vector>

// The shipped user unit, read as the service manager would start it: its environment and its
// command lines, with the user's home and the programs' places filled in. Only what the unit
// uses is understood: Environment=, ExecStartPre= and ExecStart=, "%h", "$$" and single quotes.
class ServiceUnit {
public:
    // `programs` maps the unit's paths of the programs ("%h/skyfence/build/app/skyfence") to
    // where the tests built them.
    ServiceUnit(const std::string& file, const std::string& home,
                const std::map<std::string, std::string>& programs);

    const std::map<std::string, std::string>& Environment() const { return environment_; }
    // The command lines, split into words.
    const std::vector<std::string>& StartPre() const { return startPre_; }
    const std::vector<std::string>& Start() const { return start_; }

private:
    std::vector<std::string> Words(const std::string& line) const;

    std::string home_;
    std::map<std::string, std::string> programs_;
    std::map<std::string, std::string> environment_;
    std::vector<std::string> startPre_;
    std::vector<std::string> start_;
};
