#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <typeinfo>

#include "common/TestPlatform.h"
#include "common/WaitUntil.h"
#include "devices/system/ProgramDirectory.h"
#include "devices/system/Shell.h"

namespace fs = std::filesystem;
using namespace dravel::devices;
using testplatform::executableName;

TEST(SystemInstances, ProgramDirectoryAndShellAreThePlatformsUnlessATestPutsItsOwnIn) {
    const fs::path exe = testplatform::runningExecutable();
    const fs::path previous = fs::current_path();
    fs::current_path(fs::temp_directory_path());
    const std::string real = programDirectory();
    fs::current_path(previous);
    EXPECT_EQ(fs::path(real), exe.parent_path() / "");

    EXPECT_EQ(replaceProgramDirectory("/tmp/somewhere"), "");
    EXPECT_EQ(programDirectory(), "/tmp/somewhere/");
    EXPECT_EQ(replaceProgramDirectory(""), "/tmp/somewhere/");
    EXPECT_EQ(programDirectory(), real);

    // The shell likewise: the stand-in comes back, and null puts the platform's shell back.
    class Silent : public Shell {
        std::unique_ptr<DocumentOpening> openDocument(const std::string&) override {
            return DocumentOpening::finished(false);
        }
        bool startProgram(const std::string&, const std::string&) override { return false; }
    };
    auto standIn = std::make_unique<Silent>();
    Shell* const standInAddress = standIn.get();
    std::unique_ptr<Shell> platform = replaceShell(std::move(standIn));
    ASSERT_NE(platform, nullptr);
    EXPECT_EQ(&shell(), standInAddress);
    EXPECT_EQ(replaceShell(nullptr).get(), standInAddress);
    const Shell& now = shell();
    const Shell& before = *platform;
    EXPECT_NE(&now, standInAddress);
    EXPECT_EQ(typeid(now), typeid(before));
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
    // The stand-in ends its record with a line break; until then the file may be partly written.
    std::string args;
    EXPECT_TRUE(testplatform::waitUntil([&] {
        std::ifstream in(out, std::ios::binary);
        args.assign(std::istreambuf_iterator<char>(in), {});
        return args.ends_with('\n');
    }));
    EXPECT_EQ(args, "1\t12?45 $(touch x) *\n");
    EXPECT_FALSE(fs::exists(dir_ / "x"));
    // After its record the stand-in may still be ending, and Windows deletes no running program:
    // the folder goes only once it has.
    EXPECT_TRUE(testplatform::waitUntil([&] {
        std::error_code ec;
        fs::remove(program, ec);
        return !fs::exists(program, ec);
    }));
}
