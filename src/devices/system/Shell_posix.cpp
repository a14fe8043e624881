#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <mutex>
#include <string>
#include <vector>

#include "devices/system/Shell.h"

extern char** environ;

namespace dravel::devices {
namespace {

// xdg-open hands the document to the desktop's program and normally exits
// at once; its exit code tells whether anything could open the file. One
// that is still busy after this long counts as having opened it.
constexpr auto kOpenerPatience = std::chrono::seconds(5);

// Children nobody waits for any more are reaped at the next start, so none
// stays a zombie for long.
class Orphans {
public:
    void adopt(pid_t pid) {
        const std::lock_guard lock(mutex_);
        children_.push_back(pid);
    }
    void reapFinished() {
        const std::lock_guard lock(mutex_);
        std::erase_if(children_, [](pid_t pid) { return waitpid(pid, nullptr, WNOHANG) != 0; });
    }

private:
    std::mutex mutex_;
    std::vector<pid_t> children_;
};

Orphans& orphans() {
    static Orphans instance;
    return instance;
}

pid_t spawn(const std::string& program, const std::string& argument, bool searchPath) {
    orphans().reapFinished();
    std::vector<char*> argv = {const_cast<char*>(program.c_str()),
                               const_cast<char*>(argument.c_str()), nullptr};
    pid_t pid = 0;
    const int rc = searchPath
                       ? posix_spawnp(&pid, program.c_str(), nullptr, nullptr, argv.data(), environ)
                       : posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv.data(), environ);
    return rc == 0 ? pid : -1;
}

class OpenerProcess : public DocumentOpening {
public:
    explicit OpenerProcess(pid_t pid)
        : pid_(pid), deadline_(std::chrono::steady_clock::now() + kOpenerPatience) {}
    ~OpenerProcess() override {
        if (!outcome_) orphans().adopt(pid_);
    }

    std::optional<bool> outcome() override {
        if (outcome_) return outcome_;
        int status = 0;
        const pid_t done = waitpid(pid_, &status, WNOHANG);
        if (done == pid_)
            outcome_ = WIFEXITED(status) && WEXITSTATUS(status) == 0;
        else if (done < 0)
            outcome_ = false;
        else if (std::chrono::steady_clock::now() >= deadline_)
            return true;  // still busy opening: counts as opened, reaped later
        return outcome_;
    }

private:
    pid_t pid_;
    std::chrono::steady_clock::time_point deadline_;
    std::optional<bool> outcome_;
};

class PosixShell : public Shell {
public:
    std::unique_ptr<DocumentOpening> openDocument(const std::string& path) override {
        struct stat st {};
        if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
            return DocumentOpening::finished(false);
        const pid_t pid = spawn("xdg-open", path, true);
        if (pid <= 0) return DocumentOpening::finished(false);
        return std::make_unique<OpenerProcess>(pid);
    }

    bool startProgram(const std::string& program, const std::string& argument) override {
        const pid_t pid = spawn(program, argument, false);
        if (pid <= 0) return false;
        orphans().adopt(pid);
        return true;
    }
};

}  // namespace

std::unique_ptr<Shell> createPlatformShell() {
    return std::make_unique<PosixShell>();
}

}  // namespace dravel::devices
