#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <optional>
#include <thread>
#include <utility>

#include "devices/system/ProgramDirectory.h"
#include "devices/system/Shell.h"

namespace fs = std::filesystem;
using namespace dravel::devices;

TEST(ProgramDirectory, IsTheExecutablesDirectoryNotTheWorkingDirectoryUnlessMovedByATest) {
    const fs::path exe = fs::read_symlink("/proc/self/exe");
    const fs::path previous = fs::current_path();
    fs::current_path(fs::temp_directory_path());
    const std::string real = programDirectory();
    fs::current_path(previous);
    EXPECT_EQ(real, exe.parent_path().string() + "/");

    overrideProgramDirectoryForTests("/tmp/somewhere");
    EXPECT_EQ(programDirectory(), "/tmp/somewhere/");
    overrideProgramDirectoryForTests("");
    EXPECT_EQ(programDirectory(), real);
}

class PlatformShellTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("dravel-shell-" + std::to_string(getpid()));
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }
    fs::path dir_;
    std::unique_ptr<Shell> shell_ = createPlatformShell();
};

TEST_F(PlatformShellTest, MissingDocumentOrProgramIsReportedAsFailure) {
    EXPECT_EQ(shell_->openDocument((dir_ / "schaltplan.pdf").string())->outcome(), false);
    EXPECT_FALSE(shell_->startProgram((dir_ / "kalvor").string(), "NIL"));
}

TEST_F(PlatformShellTest, ProgramGetsExactlyOneArgumentWithoutAShell) {
    const fs::path script = dir_ / "record";
    const fs::path out = dir_ / "args";
    // Written aside and moved into place, so the file is whole once it is there.
    std::ofstream(script) << "#!/bin/sh\nprintf '%s|' \"$#\" \"$@\" > '" << out.string()
                          << ".part' && mv '" << out.string() << ".part' '" << out.string()
                          << "'\n";
    fs::permissions(script, fs::perms::owner_all);
    ASSERT_TRUE(shell_->startProgram(script.string(), "12?45 $(touch x) *"));
    for (int i = 0; i < 200 && !fs::exists(out); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    std::ifstream in(out);
    std::string args((std::istreambuf_iterator<char>(in)), {});
    EXPECT_EQ(args, "1|12?45 $(touch x) *|");
    EXPECT_FALSE(fs::exists(dir_ / "x"));
}

// Puts a stand-in for the desktop's opener first on the search path; it
// answers with the given exit code once the test removes the file "hold".
class SlowOpenerTest : public PlatformShellTest {
protected:
    void SetUp() override {
        PlatformShellTest::SetUp();
        previousPath_ = std::getenv("PATH");
        setenv("PATH", (dir_.string() + ":" + previousPath_).c_str(), 1);
        std::ofstream(document()) << "%PDF";
    }
    void TearDown() override {
        setenv("PATH", previousPath_.c_str(), 1);
        PlatformShellTest::TearDown();
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
        for (int i = 0; i < 500; ++i) {
            if (const auto outcome = opening.outcome()) return outcome;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return std::nullopt;
    }
    fs::path hold() const { return dir_ / "hold"; }
    fs::path document() const { return dir_ / "schaltplan.pdf"; }

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
