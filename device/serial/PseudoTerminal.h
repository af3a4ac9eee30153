#pragma once

#include "platform/FileDescriptor.h"

#include <string>
#include <string_view>

// A pseudo-terminal pair. Its slave is a serial device that a port can open by path; what is
// written to the master arrives there as a receiver's bytes would. Raises EFileError on failure.
class PseudoTerminal {
public:
    PseudoTerminal();

    const std::string& Path() const { return path_; }
    int Master() const { return master_.Get(); }
    int Slave() const { return slave_.Get(); }

    // Writes all of `bytes` to the master, waiting while the terminal is full.
    void Write(std::string_view bytes) const;

    // Closing the master is the receiver going away.
    void CloseMaster() { master_.Reset(); }
    void CloseSlave() { slave_.Reset(); }

private:
    FileDescriptor master_;
    FileDescriptor slave_;
    std::string path_;
};
