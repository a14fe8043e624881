#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

#include "common/TestPlatform.h"
#include "config/storage/IniFile.h"

namespace dravel::config {

// A test with a Prog.ini of its own in a fresh directory: store() puts bytes
// there, stored() reads them back, load()/save() go through a settings group.
class SettingsFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = std::filesystem::temp_directory_path() /
               ("dravel_settings_" + std::to_string(std::random_device{}()));
        std::filesystem::create_directories(dir_);
    }
    void TearDown() override { testplatform::removeTree(dir_); }

    std::string path() const { return (dir_ / "Prog.ini").string(); }
    void store(const std::string& bytes) const { std::ofstream(path(), std::ios::binary) << bytes; }
    std::string stored() const {
        std::ifstream in(path(), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    template <typename Group>
    Group load() const {
        return Group::read(IniFile(path()));
    }
    template <typename Group>
    void save(const Group& group) const {
        IniFile ini(path());
        group.write(ini);
        ini.commit("Test");
    }

    std::filesystem::path dir_;
};

}  // namespace dravel::config
