#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#endif

#include "devices/version/FileVersion.h"
#include "devices/version/VersionTestFiles.h"

namespace dravel::devices {
namespace {

using namespace testing;
namespace fs = std::filesystem;

// Windows itself reads only Windows executables.
#ifdef _WIN32
constexpr bool kReadsOurElfExecutables = false;
#else
constexpr bool kReadsOurElfExecutables = true;
#endif

TEST(FileVersionText, ReadsExecutablesUnderUtf8Names) {
    EXPECT_EQ(FileVersionText(fixturePath("pe64_version_1_6_1_2.exe")), "1.6.1.2");
    EXPECT_EQ(FileVersionText(fixturePath("pe32_version_2_10_0_7.exe")), "2.10.0.7");
    if (kReadsOurElfExecutables) {
        EXPECT_EQ(FileVersionText(fixturePath("elf64_version_3_4_5_6")), "3.4.5.6");
    }
    const fs::path directory = fs::path(::testing::TempDir()) / "Prüfung äöü";
    fs::create_directories(directory);
    fs::copy_file(fixturePath("pe64_version_1_6_1_2.exe"), directory / "Kalvor.exe",
                  fs::copy_options::overwrite_existing);
    EXPECT_EQ(FileVersionText((directory / "Kalvor.exe").string()), "1.6.1.2");
    fs::remove_all(directory);
    // Parts are unsigned decimals without leading zeros.
    EXPECT_EQ(toText(FourPartVersion{{65535, 0, 100, 32768}}), "65535.0.100.32768");
}

TEST(FileVersionText, NoVersionSpecificationForFilesWithoutOne) {
    const fs::path directory = fs::path(::testing::TempDir()) / "version_text_without";
    fs::create_directories(directory);
    std::ofstream(directory / "empty");
    std::ofstream(directory / "text") << "MZ is not enough for a Windows executable";
    for (const std::string& name :
         {fixturePath("pe64_no_resources.exe"), fixturePath("pe64_other_resources.exe"),
          fixturePath("elf64_no_note"), (directory / "missing").string(),
          (directory / "empty").string(), (directory / "text").string(), directory.string()}) {
        EXPECT_EQ(FileVersionText(name), "No version specification") << name;
    }
    fs::remove_all(directory);
}

TEST(FileVersionText, EmptyOrBlankNameQueriesTheRunningProgram) {
    EXPECT_EQ(FileVersionText(""), DRAVEL_EXPECTED_VERSION);
    EXPECT_EQ(FileVersionText("  \t "), DRAVEL_EXPECTED_VERSION);
}

#ifdef DRAVEL_TEMPLATE_PE
TEST(FileVersionText, WindowsResourceTemplateCarriesTheProjectVersion) {
    EXPECT_EQ(FileVersionText(DRAVEL_TEMPLATE_PE), DRAVEL_EXPECTED_VERSION);
}
#endif

// Run by CTest with the path of the built program in DRAVEL_EXECUTABLE.
TEST(DravelExecutable, CarriesTheProjectVersion) {
    const char* program = std::getenv("DRAVEL_EXECUTABLE");
    if (program == nullptr) {
        GTEST_SKIP() << "DRAVEL_EXECUTABLE not set";
    }
    EXPECT_EQ(FileVersionText(program), DRAVEL_EXPECTED_VERSION);
}

#ifdef _WIN32
// Explorer's "Details": the resource, its string block and its translation entry all German.
TEST(DravelExecutable, VersionResourceIsGermanThroughout) {
    const char* program = std::getenv("DRAVEL_EXECUTABLE");
    wchar_t own[MAX_PATH];
    GetModuleFileNameW(nullptr, own, MAX_PATH);
    const std::wstring file = program ? fs::path(program).wstring() : std::wstring(own);
    std::vector<char> info(GetFileVersionInfoSizeW(file.c_str(), nullptr));
    ASSERT_TRUE(GetFileVersionInfoW(file.c_str(), 0, DWORD(info.size()), info.data()));
    WORD* language = nullptr;
    wchar_t* text = nullptr;
    UINT size = 0;
    ASSERT_TRUE(
        VerQueryValueW(info.data(), L"\\VarFileInfo\\Translation", (void**)&language, &size));
    EXPECT_EQ((std::vector<WORD>{language[0], language[1]}), (std::vector<WORD>{0x0407, 1252}));
    for (const wchar_t* key : {L"\\StringFileInfo\\040704E4\\CompanyName",
                               L"\\StringFileInfo\\040704E4\\LegalCopyright"})
        EXPECT_TRUE(VerQueryValueW(info.data(), key, (void**)&text, &size) && size > 1);
    const HMODULE image = LoadLibraryExW(file.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    WORD resourceLanguage = 0;  // the resource's own, as Windows enumerates it
    EnumResourceLanguagesW(
        image, MAKEINTRESOURCEW(16), MAKEINTRESOURCEW(1),
        [](HMODULE, LPCWSTR, LPCWSTR, WORD found, LONG_PTR to) {
            *reinterpret_cast<WORD*>(to) = found;
            return TRUE;
        },
        reinterpret_cast<LONG_PTR>(&resourceLanguage));
    EXPECT_EQ(resourceLanguage, 0x0407);
    FreeLibrary(image);
}
#endif

}  // namespace
}  // namespace dravel::devices
