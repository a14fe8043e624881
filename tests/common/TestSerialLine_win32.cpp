#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "common/TestSerialLine.h"

namespace testplatform {
namespace {

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

}  // namespace

// Unix paths reach the files through Wine's drive Z:, the root of the Unix file system.
struct TestSerialLine::State {
    std::string port = environment("DRAVEL_TEST_COM");
    std::string sendFile = environment("DRAVEL_TEST_COM_SEND");
    std::string folder = environment("DRAVEL_TEST_COM_FOLDER");
    std::string linesDir = environment("DRAVEL_PTY_LINES_DIR");
};

TestSerialLine::TestSerialLine() : state_(std::make_unique<State>()) {}
TestSerialLine::~TestSerialLine() = default;

bool TestSerialLine::ok() const {
    return !state_->port.empty() && !state_->sendFile.empty();
}

std::string TestSerialLine::whyNot() const {
    return "no COM port linked to a pseudo-terminal (scripts/test-windows.sh links one under Wine)";
}

std::string TestSerialLine::portName() const {
    return state_->port;
}

bool TestSerialLine::send(const std::string& bytes) {
    std::ofstream file(state_->sendFile, std::ios::binary | std::ios::app);
    file << bytes;
    return static_cast<bool>(file.flush());
}

std::string TestSerialLine::settings() const {
    std::string text;
    std::getline(std::ifstream(state_->folder + "/settings"), text);
    return text;
}

int TestSerialLine::switchedLines() const {
    if (state_->linesDir.empty()) return -1;
    int lines = 0;
    std::ifstream(state_->linesDir + "/out", std::ios::binary)
        .read(reinterpret_cast<char*>(&lines), sizeof lines);
    return lines;
}

bool TestSerialLine::driveLines(int lines) {
    if (state_->linesDir.empty()) return false;
    const std::string path = state_->linesDir + "/in";
    std::ofstream(path + ".new", std::ios::binary)
        .write(reinterpret_cast<const char*>(&lines), sizeof lines);
    std::remove(path.c_str());
    return std::rename((path + ".new").c_str(), path.c_str()) == 0;
}

}  // namespace testplatform
