#include <fcntl.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <map>

#include "common/TestSerialLine.h"

namespace testplatform {

struct TestSerialLine::State {
    int master = -1;
    std::string terminal;
};

TestSerialLine::TestSerialLine() : state_(std::make_unique<State>()) {
    const int master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
    if (master >= 0 && grantpt(master) == 0 && unlockpt(master) == 0) {
        state_->master = master;
        state_->terminal = ptsname(master);
    } else if (master >= 0) {
        close(master);
    }
}

TestSerialLine::~TestSerialLine() {
    if (state_->master >= 0) close(state_->master);
}

bool TestSerialLine::ok() const {
    return state_->master >= 0;
}
std::string TestSerialLine::whyNot() const {
    return "no pseudo-terminal";
}
std::string TestSerialLine::portName() const {
    return state_->terminal;
}

bool TestSerialLine::send(const std::string& bytes) {
    return write(state_->master, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
}

int TestSerialLine::switchedLines() const {
    return -1;
}
bool TestSerialLine::driveLines(int) {
    return false;
}

}  // namespace testplatform
