#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "common/TestPlatform.h"
#include "devices/system/ProgramDirectory.h"
#include "devices/system/Shell.h"

namespace fs = std::filesystem;
using namespace dravel::devices;
using testplatform::executableName;

TEST(ProgramDirectory, IsTheExecutablesDirectoryNotTheWorkingDirectoryUnlessMovedByATest) {
    const fs::path exe = testplatform::runningExecutable();
    const fs::path previous = fs::current_path();
    fs::current_path(fs::temp_directory_path());
    const std::string real = programDirectory();
    fs::current_path(previous);
    EXPECT_EQ(fs::path(real), exe.parent_path() / "");

    overrideProgramDirectoryForTests("/tmp/somewhere");
    EXPECT_EQ(programDirectory(), "/tmp/somewhere/");
    overrideProgramDirectoryForTests("");
    EXPECT_EQ(programDirectory(), real);
}

class PlatformShellTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("dravel-shell-" + std::to_string(testplatform::processId()));
        fs::create_directories(dir_);
    }
    void TearDown() override { testplatform::removeTree(dir_); }
    fs::path dir_;
    std::unique_ptr<Shell> shell_ = createPlatformShell();
};

TEST_F(PlatformShellTest, MissingDocumentOrProgramIsReportedAsFailure) {
    EXPECT_EQ(shell_->openDocument((dir_ / "schaltplan.pdf").string())->outcome(), false);
    EXPECT_FALSE(shell_->startProgram((dir_ / "kalvor").string(), "NIL"));
}

TEST_F(PlatformShellTest, ProgramGetsExactlyOneArgumentWithoutAShell) {
    const fs::path program = dir_ / executableName("record");
    fs::copy_file(DRAVEL_KALVOR_STANDIN, program);
    const fs::path out = dir_ / "kalvor-args.txt";
    ASSERT_TRUE(shell_->startProgram(program.string(), "12?45 $(touch x) *"));
    for (int i = 0; i < 500 && !fs::exists(out); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    std::ifstream in(out);
    std::string args((std::istreambuf_iterator<char>(in)), {});
    EXPECT_EQ(args, "1\t12?45 $(touch x) *\n");
    EXPECT_FALSE(fs::exists(dir_ / "x"));
}
