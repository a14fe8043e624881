#include <gtest/gtest.h>

#include <functional>
#include <random>

#include "devices/version/FileVersion.h"
#include "devices/version/VersionTestFiles.h"

namespace dravel::devices {
namespace {

using namespace testing;

const FourPartVersion kVersion3456{{3, 4, 5, 6}};

TEST(ElfVersionNote, FoundThroughNoteSegmentOrSectionTableOrNone) {
    for (const char* name :
         {"elf64_version_3_4_5_6", "elf32_version_3_4_5_6", "elf64_section_note_3_4_5_6"}) {
        EXPECT_EQ(readElfVersionNote(readFixture(name)), kVersion3456) << name;
    }
    EXPECT_EQ(readElfVersionNote(readFixture("elf64_no_note")), std::nullopt);
    EXPECT_EQ(readElfVersionNote(readFixture("pe64_version_1_6_1_2.exe")), std::nullopt);
    EXPECT_EQ(readElfVersionNote({}), std::nullopt);
}

// The 64-bit fixture with its note's place, for precise damage.
struct ElfFixture {
    Bytes bytes = readFixture("elf64_version_3_4_5_6");
    std::size_t owner = find(bytes, bytesOf(std::string_view("Dravel\0", 8)));
    std::size_t noteHeader = owner - 12;
    std::size_t description = owner + 8;
};

std::optional<FourPartVersion> versionAfter(const std::function<void(ElfFixture&)>& damage) {
    ElfFixture fixture;
    damage(fixture);
    return readElfVersionNote(exactCopy(fixture.bytes));
}

TEST(ElfVersionNote, RejectsDamagedHeadersAndNotes) {
    using F = ElfFixture&;
    const std::pair<const char*, std::function<void(F)>> damages[] = {
        {"big endian", [](F f) { f.bytes[5] = std::byte{2}; }},
        {"unknown class", [](F f) { f.bytes[4] = std::byte{3}; }},
        {"tables outside",
         [](F f) {
             put<4>(f.bytes, 32, 0xFFFFFFF0);  // program headers
             put<4>(f.bytes, 40, 0xFFFFFFF0);  // section headers
         }},
        {"entries too small",
         [](F f) {
             put<2>(f.bytes, 54, 8);
             put<2>(f.bytes, 58, 8);
         }},
        {"part too large", [](F f) { put<4>(f.bytes, f.description + 8, 0x10000); }},
        {"huge name", [](F f) { put<4>(f.bytes, f.noteHeader, 0xFFFFFFFF); }},
        {"huge description", [](F f) { put<4>(f.bytes, f.noteHeader + 4, 0xFFFFFFFC); }},
        {"other type", [](F f) { put<4>(f.bytes, f.noteHeader + 8, 2); }},
        {"other owner", [](F f) { f.bytes[f.owner] = std::byte{'d'}; }},
    };
    for (const auto& [what, damage] : damages) {
        EXPECT_EQ(versionAfter(damage), std::nullopt) << what;
    }
}

TEST(ElfVersionNote, SectionTableStandsInForADamagedSegmentTable) {
    EXPECT_EQ(versionAfter([](ElfFixture& f) { put<4>(f.bytes, 32, 0xFFFFFFF0); }), kVersion3456);
}

TEST(ElfVersionNote, ReadsTheLargestPartsAsTheyAre) {
    EXPECT_EQ(versionAfter([](ElfFixture& f) {
                  put<4>(f.bytes, f.description, 0xFFFF);
                  put<4>(f.bytes, f.description + 4, 0);
              }),
              (FourPartVersion{{65535, 0, 5, 6}}));
}

TEST(ElfVersionNote, TruncatedCopiesGiveNoVersionUntilTheNoteIsWhole) {
    const ElfFixture elf;
    ASSERT_NO_FATAL_FAILURE(
        expectCutCopiesRead(readElfVersionNote, elf.bytes, elf.description + 16, kVersion3456));
}

TEST(ElfVersionNote, SurvivesThousandsOfRandomMutations) {
    std::mt19937 random(7031);
    expectMutationsSurvived(readElfVersionNote, "elf64_version_3_4_5_6", random);
    expectMutationsSurvived(readElfVersionNote, "elf32_version_3_4_5_6", random);
}

}  // namespace
}  // namespace dravel::devices
