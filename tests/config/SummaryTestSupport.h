#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "config/settings/MixerNames.h"
#include "config/storage/Cp1252.h"
#include "config/storage/IniFile.h"
#include "config/summary/Summary.h"

namespace dravel::config::summarytest {

// Panel line break.
inline const std::string BR = "\n\r";

struct Card {
    std::string name;
    std::vector<std::string> inputs;
    bool opens = true;
};

// Sound cards as the mixer component would name them.
class FakeMixerNames : public MixerNames {
public:
    std::vector<Card> cards;
    int selected = -1;
    std::vector<int> selections;

    void selectDevice(int id) override {
        selections.push_back(id);
        if (id < 0 || id >= static_cast<int>(cards.size())) return;
        selected = cards[static_cast<std::size_t>(id)].opens ? id : -1;
    }
    std::optional<std::string> productName() const override {
        if (selected < 0) return std::nullopt;
        return cards[static_cast<std::size_t>(selected)].name;
    }
    std::vector<std::string> inputNames() const override {
        if (selected < 0) return {};
        return cards[static_cast<std::size_t>(selected)].inputs;
    }
};

// Writes Prog.ini (given in UTF-8, stored in Windows-1252 as the program
// stores it) into a fresh directory and builds the summary from it.
class SummaryTest : public testing::Test {
protected:
    SummaryTest() {
        std::random_device random;
        do {
            dir_ = std::filesystem::temp_directory_path() /
                   ("dravel-summary-" + std::to_string(random()) + std::to_string(random()));
        } while (!std::filesystem::create_directory(dir_));
        mixer.cards = {{"Karte A", {"Lautsprecher", "CD-Player", "Line-In"}}};
        mixer.selected = 0;
    }
    ~SummaryTest() override { std::filesystem::remove_all(dir_); }

    std::string path() const { return (dir_ / "Prog.ini").string(); }

    void writeFile(const std::string& utf8) {
        std::ofstream(path(), std::ios::binary) << utf8ToCp1252(utf8);
    }

    SummaryTexts summarize(const std::string& utf8Ini) {
        writeFile(utf8Ini);
        return buildSummary(IniFile(path()), mixer);
    }

    FakeMixerNames mixer;

private:
    std::filesystem::path dir_;
};

}  // namespace dravel::config::summarytest
