#include <fcntl.h>
#include <stdlib.h>
#include <sys/fsuid.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <iterator>

#include "common/TestPlatform.h"

namespace testplatform {

std::filesystem::path runningExecutable() {
    return std::filesystem::read_symlink("/proc/self/exe");
}

int threadsNamed(const std::string& name) {
    int n = 0;
    for (const auto& task : std::filesystem::directory_iterator("/proc/self/task")) {
        std::ifstream comm(task.path() / "comm");
        std::string taskName;
        std::getline(comm, taskName);
        if (taskName == name) ++n;
    }
    return n;
}

int openHandleCount() {
    const std::filesystem::directory_iterator fds("/proc/self/fd");
    return static_cast<int>(std::distance(begin(fds), end(fds)));
}

int processId() {
    return static_cast<int>(getpid());
}

void setEnvironmentVariable(const std::string& name, const std::string& value) {
    setenv(name.c_str(), value.c_str(), 1);
}

void unsetEnvironmentVariable(const std::string& name) {
    unsetenv(name.c_str());
}

FileHold::FileHold(const std::filesystem::path& file) : handle_(open(file.c_str(), O_RDONLY)) {}

void FileHold::release() {
    if (handle_ >= 0) close(static_cast<int>(handle_));
    handle_ = -1;
}

namespace {
constexpr uid_t kOrdinaryUser = 65534;  // nobody
}

// The mode is kept in state_. setfsuid() acts on the calling thread only.
ReadRefusal::ReadRefusal(const std::filesystem::path& file) : file_(file), state_(-1) {
    struct stat st;
    if (stat(file.c_str(), &st) == 0) state_ = st.st_mode & 07777;
    chmod(file.c_str(), 0);
    if (geteuid() == 0) setfsuid(kOrdinaryUser);
}

ReadRefusal::~ReadRefusal() {
    if (geteuid() == 0) setfsuid(0);
    if (state_ >= 0) chmod(file_.c_str(), static_cast<mode_t>(state_));
}

bool markHidden(const std::filesystem::path&) {
    return false;
}

bool isMarkedHidden(const std::filesystem::path&) {
    return false;
}

bool heldFilesResistReplacement() {
    return false;
}

bool foldersCanBeReadOnly() {
    return true;
}

bool fileNamesIgnoreCase() {
    return false;
}

bool runningUnderWine() {
    return false;
}

std::string executableName(const std::string& stem) {
    return stem;
}

}  // namespace testplatform
