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

std::string TestSerialLine::settings() const {
    termios t{};
    if (tcgetattr(state_->master, &t) != 0) return {};
    static const std::map<speed_t, int> rates = {{B1200, 1200},   {B2400, 2400},    {B4800, 4800},
                                                 {B9600, 9600},   {B19200, 19200},  {B38400, 38400},
                                                 {B57600, 57600}, {B115200, 115200}};
    static const std::map<tcflag_t, int> sizes = {{CS5, 5}, {CS6, 6}, {CS7, 7}, {CS8, 8}};
    const auto rate = rates.find(cfgetospeed(&t));
    return std::to_string(rate == rates.end() ? 0 : rate->second) + ' ' +
           std::to_string(sizes.at(t.c_cflag & CSIZE)) + ((t.c_cflag & PARODD) ? 'O' : 'N') +
           ((t.c_cflag & CSTOPB) ? '2' : '1');
}

namespace {

std::string linesFile(const char* name) {
    const char* dir = getenv("DRAVEL_PTY_LINES_DIR");
    return dir ? std::string(dir) + '/' + name : std::string();
}

}  // namespace

// Only where the stand-in is preloaded do the files stand for the line.
int TestSerialLine::switchedLines() const {
    const std::string path = linesFile("out");
    if (path.empty() || !getenv("LD_PRELOAD")) return -1;
    int lines = 0;
    std::ifstream(path, std::ios::binary).read(reinterpret_cast<char*>(&lines), sizeof lines);
    return lines;
}

bool TestSerialLine::driveLines(int lines) {
    const std::string path = linesFile("in");
    if (path.empty()) return false;
    std::ofstream(path + ".new", std::ios::binary)
        .write(reinterpret_cast<const char*>(&lines), sizeof lines);
    return std::rename((path + ".new").c_str(), path.c_str()) == 0;
}

}  // namespace testplatform
