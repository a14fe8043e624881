#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

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
    EXPECT_FALSE(shell_->openDocument((dir_ / "schaltplan.pdf").string()));
    EXPECT_FALSE(shell_->startProgram((dir_ / "kalvor").string(), "NIL"));
}

TEST_F(PlatformShellTest, ProgramGetsExactlyOneArgumentWithoutAShell) {
    const fs::path script = dir_ / "record";
    const fs::path out = dir_ / "args";
    std::ofstream(script) << "#!/bin/sh\nprintf '%s|' \"$#\" \"$@\" > '" << out.string() << "'\n";
    fs::permissions(script, fs::perms::owner_all);
    ASSERT_TRUE(shell_->startProgram(script.string(), "12?45 $(touch x) *"));
    for (int i = 0; i < 200 && !fs::exists(out); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    std::ifstream in(out);
    std::string args((std::istreambuf_iterator<char>(in)), {});
    EXPECT_EQ(args, "1|12?45 $(touch x) *|");
    EXPECT_FALSE(fs::exists(dir_ / "x"));
}
