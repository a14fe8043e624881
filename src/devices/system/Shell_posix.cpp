#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "devices/system/Shell.h"

extern char** environ;

namespace dravel::devices {
namespace {

// xdg-open hands the document to the desktop's program and normally exits
// at once; its exit code tells whether anything could open the file.
constexpr auto kOpenerPatience = std::chrono::seconds(5);

class PosixShell : public Shell {
public:
    bool openDocument(const std::string& path) override {
        reapFinishedChildren();
        struct stat st {};
        if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
        const pid_t pid = spawn("xdg-open", path, true);
        if (pid <= 0) return false;
        return waitForOpener(pid);
    }

    bool startProgram(const std::string& program, const std::string& argument) override {
        reapFinishedChildren();
        const pid_t pid = spawn(program, argument, false);
        if (pid <= 0) return false;
        children_.push_back(pid);
        return true;
    }

private:
    static pid_t spawn(const std::string& program, const std::string& argument, bool searchPath) {
        std::vector<char*> argv = {const_cast<char*>(program.c_str()),
                                   const_cast<char*>(argument.c_str()), nullptr};
        pid_t pid = 0;
        const int rc = searchPath
                           ? posix_spawnp(&pid, program.c_str(), nullptr, nullptr, argv.data(), environ)
                           : posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv.data(), environ);
        return rc == 0 ? pid : -1;
    }

    bool waitForOpener(pid_t pid) {
        const auto deadline = std::chrono::steady_clock::now() + kOpenerPatience;
        while (std::chrono::steady_clock::now() < deadline) {
            int status = 0;
            const pid_t done = waitpid(pid, &status, WNOHANG);
            if (done == pid) return WIFEXITED(status) && WEXITSTATUS(status) == 0;
            if (done < 0) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        children_.push_back(pid);  // still busy opening: count it as opened
        return true;
    }

    void reapFinishedChildren() {
        std::erase_if(children_, [](pid_t pid) { return waitpid(pid, nullptr, WNOHANG) != 0; });
    }

    std::vector<pid_t> children_;
};

}  // namespace

std::unique_ptr<Shell> createPlatformShell() { return std::make_unique<PosixShell>(); }

}  // namespace dravel::devices
