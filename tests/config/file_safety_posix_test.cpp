#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <future>

#include "config/SavedFiles.h"
#include "support/ScopedHook.h"

// Both files the program writes, against planted links, foreign owners,
// leftovers of interrupted saves, and things that are no regular files.
namespace dravel::config::savedfiles {
namespace {

class FileSafety : public ::testing::TestWithParam<SavedFile> {
protected:
    void save() const { GetParam().save(temp_.dir, "Neu"); }  // throws on a refused save
    std::string readFailure() const { return GetParam().failure(temp_.dir); }
    void expectOnlyTheFile() const {
        EXPECT_EQ(temp_.names(), std::set<std::string>{GetParam().name});
    }
    // A link to a file outside the folder, planted under the file's name and the suffix.
    void plantLinkOutside(const std::string& suffix) const {
        writeBytes(outside_, "nicht anfassen");
        fs::create_symlink(outside_, temp_.folder / (GetParam().name + suffix));
    }

    TempFolder temp_{"dravel-safety-", "prog"};
    const fs::path file_ = temp_.folder / GetParam().name;
    const fs::path outside_ = temp_.root / "outside";
};

TEST_P(FileSafety, ALinkPlantedUnderTheTemporaryNameIsNotWrittenThrough) {
    EXPECT_EQ(replaceTemporaryDigits(std::nullopt), std::nullopt) << "fixed before the test";
    const dravel::testing::ScopedHook<std::optional<int>> digits(replaceTemporaryDigits, 123456);
    plantLinkOutside(".tmp123456");

    save();
    EXPECT_EQ(readBytes(outside_), "nicht anfassen");
    EXPECT_FALSE(fs::is_symlink(file_));
    expectOnlyTheFile();
    EXPECT_EQ(replaceTemporaryDigits(123456), 123456) << "the guard could not put it back";
}

// A missing file gets a complete copy of an interrupted save back, but never a link planted
// under such a name.
TEST_P(FileSafety, ALinkPlantedAsACompleteCopyIsNeverTakenForTheFile) {
    plantLinkOutside(".new123456");

    EXPECT_EQ(readFailure(), "");
    EXPECT_FALSE(fs::exists(fs::symlink_status(file_)));
    save();
    EXPECT_FALSE(fs::is_symlink(file_));
    EXPECT_EQ(readBytes(outside_), "nicht anfassen");
    expectOnlyTheFile();
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
    fs::create_directories(temp_.root / "elsewhere");
    const fs::path target = temp_.root / "elsewhere" / "real";
    writeBytes(target, "");
    fs::create_symlink("../elsewhere/real", file_);

    save();
    ASSERT_TRUE(fs::is_symlink(file_));
    EXPECT_EQ(fs::read_symlink(file_), "../elsewhere/real");
    EXPECT_NE(fs::file_size(target), 0u);
    EXPECT_EQ(readFailure(), "");
}

TEST_P(FileSafety, ADanglingLinkIsRefusedAndNothingIsCreated) {
    fs::create_symlink(temp_.root / "missing", file_);
    EXPECT_ANY_THROW(save());
    EXPECT_TRUE(fs::is_symlink(file_));
    EXPECT_FALSE(fs::exists(temp_.root / "missing"));
    expectOnlyTheFile();
}

TEST_P(FileSafety, LeftoversOfInterruptedSavesAreRemovedByTheNextSave) {
    const std::string name = GetParam().name;
    for (const char* suffix : {".tmp7", ".tmp004711", ".tmp123456", ".new000001"})
        writeBytes(temp_.folder / (name + suffix), std::string(4096, 'x'));
    // Not leftovers of this file: other names stay.
    const std::set<std::string> others = {
        name + ".tmp",         name + ".tmp1234567",  name + ".tmpabc",
        "Other.ini.tmp000001", name + ".bak",         name + ".new12345",
        name + ".new1234567",  "Other.ini.new000001", name + ".new"};
    for (const std::string& other : others) writeBytes(temp_.folder / other, "bleibt");

    save();
    std::set<std::string> expected = others;
    expected.insert(name);
    EXPECT_EQ(temp_.names(), expected);
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
    const std::string expected = GetParam().name == kProgIni.name
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
                         [](const auto& info) { return nameOf(info.param); });

}  // namespace
}  // namespace dravel::config::savedfiles
