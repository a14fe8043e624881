#pragma once

// A pseudo-terminal standing in for a serial line on Linux.

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <string>

namespace dravel::devices::testing {

// The master side of a pseudo-terminal; slavePath() is opened as the port.
class PseudoTerminal {
public:
    PseudoTerminal() {
        master_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (master_ >= 0 && grantpt(master_) == 0 && unlockpt(master_) == 0) {
            slave_ = ptsname(master_);
        }
    }
    ~PseudoTerminal() {
        if (master_ >= 0) close(master_);
    }
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    // Hangs up: the serial line's other end goes away.
    void closeMaster() {
        close(master_);
        master_ = -1;
    }

    bool ok() const { return !slave_.empty(); }
    const std::string& slavePath() const { return slave_; }
    int master() const { return master_; }

private:
    int master_ = -1;
    std::string slave_;
};

}  // namespace dravel::devices::testing
