// The desktop's opener on Linux runs on its own: opening a document returns
// at once, and the opener's exit tells later whether it worked.

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <utility>

#include "common/WaitUntil.h"
#include "devices/system/Shell.h"

namespace fs = std::filesystem;
using namespace dravel::devices;

// Puts a stand-in for the desktop's opener first on the search path; it
// answers with the given exit code once the test removes the file "hold".
class SlowOpenerTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(dir_);
        previousPath_ = std::getenv("PATH");
        setenv("PATH", (dir_.string() + ":" + previousPath_).c_str(), 1);
        std::ofstream(document()) << "%PDF";
    }
    void TearDown() override {
        setenv("PATH", previousPath_.c_str(), 1);
        fs::remove_all(dir_);
    }
    void installOpener(int exitCode) {
        const fs::path opener = dir_ / "xdg-open";
        std::ofstream(opener) << "#!/bin/sh\nwhile [ -e '" << hold().string()
                              << "' ]; do sleep 0.01; done\nexit " << exitCode << "\n";
        fs::permissions(opener, fs::perms::owner_all);
        std::ofstream(hold()) << "";
    }
    // Waits for the opener's verdict; none when it never comes.
    static std::optional<bool> awaitOutcome(DocumentOpening& opening) {
        std::optional<bool> outcome;
        testplatform::waitUntil([&] { return (outcome = opening.outcome()).has_value(); });
        return outcome;
    }
    fs::path hold() const { return dir_ / "hold"; }
    fs::path document() const { return dir_ / "schaltplan.pdf"; }

    fs::path dir_ = fs::temp_directory_path() / ("dravel-opener-" + std::to_string(getpid()));
    std::unique_ptr<Shell> shell_ = createPlatformShell();

private:
    std::string previousPath_;
};

TEST_F(SlowOpenerTest, OpeningReturnsBeforeTheOpenerEndsAndReportsItsExitLater) {
    for (const auto& [exitCode, opened] : {std::pair{0, true}, std::pair{3, false}}) {
        SCOPED_TRACE(exitCode);
        installOpener(exitCode);
        const auto opening = shell_->openDocument(document().string());
        EXPECT_EQ(opening->outcome(), std::nullopt);  // the opener still waits for "hold"
        fs::remove(hold());
        EXPECT_EQ(awaitOutcome(*opening), opened);
    }
}
