#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <future>
#include <random>
#include <set>
#include <string>

#include "config/conditions/ConditionList.h"
#include "config/storage/AtomicFile.h"
#include "config/storage/IniFile.h"
#include "support/FileBytes.h"
#include "support/ScopedHook.h"

// Both files the program writes, against planted links, foreign owners,
// leftovers of interrupted saves, and things that are no regular files.
namespace dravel::config {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

using dravel::testing::readBytes;
using dravel::testing::writeBytes;

// One of the two files, with a save that changes it and the way its reader
// reports a failure.
struct SavedFile {
    const char* name;
    std::function<void(const std::string& dir)> save;         // throws on a refused save
    std::function<std::string(const std::string& dir)> read;  // the failure message, or ""
};

void PrintTo(const SavedFile& file, std::ostream* out) {
    *out << file.name;
}

const SavedFile kProgIni{"Prog.ini",
                         [](const std::string& dir) {
                             IniFile ini(settingsFilePath(dir));
                             ini.writeString("Sound", "Pfad", "neu.wav");
                             ini.commit();
                         },
                         [](const std::string& dir) -> std::string {
                             try {
                                 IniFile ini(settingsFilePath(dir));
                                 return "";
                             } catch (const std::runtime_error& e) {
                                 return e.what();
                             }
                         }};

const SavedFile kConditionList{
    "Alarmierung.dat",
    [](const std::string& dir) {
        writeConditionList(dir, {{"1", "0", "Neu", "12345", ""}});
    },
    [](const std::string& dir) { return readConditionList(dir).error.value_or(""); }};

class FileSafety : public ::testing::TestWithParam<SavedFile> {
protected:
    void SetUp() override {
        root_ =
            fs::temp_directory_path() / ("dravel-safety-" + std::to_string(std::random_device{}()));
        fs::create_directories(root_ / "prog");
        dir_ = (root_ / "prog").string() + "/";
        file_ = root_ / "prog" / GetParam().name;
    }
    void TearDown() override { fs::remove_all(root_); }
    void save() const { GetParam().save(dir_); }
    std::string readFailure() const { return GetParam().read(dir_); }
    std::set<std::string> namesInProgramDirectory() const {
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(root_ / "prog"))
            names.insert(entry.path().filename().string());
        return names;
    }

    fs::path root_;
    std::string dir_;
    fs::path file_;
};

TEST_P(FileSafety, ALinkPlantedUnderTheTemporaryNameIsNotWrittenThrough) {
    const fs::path outside = root_ / "outside";
    writeBytes(outside, "nicht anfassen");
    EXPECT_EQ(replaceTemporaryDigits(std::nullopt), std::nullopt) << "fixed before the test";
    const dravel::testing::ScopedHook<std::optional<int>> digits(replaceTemporaryDigits, 123456);
    fs::path planted = file_;
    planted += ".tmp123456";
    fs::create_symlink(outside, planted);

    save();
    EXPECT_EQ(readBytes(outside), "nicht anfassen");
    EXPECT_FALSE(fs::is_symlink(file_));
    EXPECT_EQ(namesInProgramDirectory(), std::set<std::string>{GetParam().name});
    EXPECT_EQ(replaceTemporaryDigits(123456), 123456) << "the guard could not put it back";
}

// A missing file gets a complete copy of an interrupted save back, but never a link planted
// under such a name.
TEST_P(FileSafety, ALinkPlantedAsACompleteCopyIsNeverTakenForTheFile) {
    const fs::path outside = root_ / "outside";
    writeBytes(outside, "nicht anfassen");
    fs::path planted = file_;
    planted += ".new123456";
    fs::create_symlink(outside, planted);

    EXPECT_EQ(readFailure(), "");
    EXPECT_FALSE(fs::exists(fs::symlink_status(file_)));
    save();
    EXPECT_FALSE(fs::is_symlink(file_));
    EXPECT_EQ(readBytes(outside), "nicht anfassen");
    EXPECT_EQ(namesInProgramDirectory(), std::set<std::string>{GetParam().name});
}

TEST_P(FileSafety, OwnerGroupAndModeAreKept) {
    writeBytes(file_, "");
    if (geteuid() == 0)
        ASSERT_EQ(::chown(file_.c_str(), 1234, 2345), 0);
    else
        std::cout << "not root: only the mode is checked, the owner stays ours\n";
    ASSERT_EQ(::chmod(file_.c_str(), 0640), 0);
    struct stat before;
    ASSERT_EQ(::stat(file_.c_str(), &before), 0);

    save();
    struct stat after;
    ASSERT_EQ(::stat(file_.c_str(), &after), 0);
    EXPECT_EQ(after.st_mode & 07777, 0640u);
    EXPECT_EQ(after.st_uid, before.st_uid);
    EXPECT_EQ(after.st_gid, before.st_gid);
    EXPECT_NE(after.st_ino, before.st_ino) << "not replaced by a new file";
}

TEST_P(FileSafety, ALinkStaysALinkAndItsTargetIsWritten) {
    fs::create_directories(root_ / "elsewhere");
    const fs::path target = root_ / "elsewhere" / "real";
    writeBytes(target, "");
    fs::create_symlink("../elsewhere/real", file_);

    save();
    ASSERT_TRUE(fs::is_symlink(file_));
    EXPECT_EQ(fs::read_symlink(file_), "../elsewhere/real");
    EXPECT_NE(fs::file_size(target), 0u);
    EXPECT_EQ(readFailure(), "");
}

TEST_P(FileSafety, ADanglingLinkIsRefusedAndNothingIsCreated) {
    fs::create_symlink(root_ / "missing", file_);
    EXPECT_ANY_THROW(save());
    EXPECT_TRUE(fs::is_symlink(file_));
    EXPECT_FALSE(fs::exists(root_ / "missing"));
    EXPECT_EQ(namesInProgramDirectory(), std::set<std::string>{GetParam().name});
}

TEST_P(FileSafety, LeftoversOfInterruptedSavesAreRemovedByTheNextSave) {
    const std::string name = GetParam().name;
    for (const char* suffix : {".tmp7", ".tmp004711", ".tmp123456", ".new000001"})
        writeBytes(root_ / "prog" / (name + suffix), std::string(4096, 'x'));
    // Not leftovers of this file: other names stay.
    const std::set<std::string> others = {
        name + ".tmp",         name + ".tmp1234567",  name + ".tmpabc",
        "Other.ini.tmp000001", name + ".bak",         name + ".new12345",
        name + ".new1234567",  "Other.ini.new000001", name + ".new"};
    for (const std::string& other : others) writeBytes(root_ / "prog" / other, "bleibt");

    save();
    std::set<std::string> expected = others;
    expected.insert(name);
    EXPECT_EQ(namesInProgramDirectory(), expected);
}

// A FIFO would block the open for ever; the read runs on a thread of its own
// so that a hang fails the test instead of stopping it.
TEST_P(FileSafety, AFifoIsRefusedWithoutHanging) {
    ASSERT_EQ(::mkfifo(file_.c_str(), 0600), 0);
    auto reading = std::async(std::launch::async, [this] { return readFailure(); });
    if (reading.wait_for(10s) != std::future_status::ready) {
        ::close(::open(file_.c_str(), O_WRONLY | O_NONBLOCK));  // lets the hung open return
        FAIL() << "reading a FIFO hangs";
    }
    EXPECT_NE(reading.get(), "");
    EXPECT_ANY_THROW(save());
    EXPECT_EQ(fs::status(file_).type(), fs::file_type::fifo);
}

TEST_P(FileSafety, DirectoriesAndDevicesAreRefusedWithAMessage) {
    const std::string expected = std::string(GetParam().name) == "Prog.ini"
                                     ? "Aus " + file_.string() + " kann nicht gelesen werden"
                                     : "Dateizugriff verweigert";
    fs::create_directory(file_);
    EXPECT_EQ(readFailure(), expected);
    EXPECT_ANY_THROW(save());
    fs::remove(file_);

    fs::create_symlink("/dev/null", file_);
    EXPECT_EQ(readFailure(), expected);
    EXPECT_ANY_THROW(save());
    EXPECT_TRUE(fs::is_symlink(file_));
}

INSTANTIATE_TEST_SUITE_P(BothFiles, FileSafety, ::testing::Values(kProgIni, kConditionList),
                         [](const auto& info) {
                             return std::string(info.param.name) == "Prog.ini" ? "ProgIni"
                                                                               : "ConditionList";
                         });

}  // namespace
}  // namespace dravel::config
