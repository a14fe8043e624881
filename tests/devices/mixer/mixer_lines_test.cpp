#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "MixerTestDevices.h"

using namespace dravel::devices;
using namespace dravel::devices::mixertest;
using testing::ElementsAre;
using testing::IsEmpty;

namespace {

std::vector<std::string> namesOf(const TMixerConnections& connections) {
    std::vector<std::string> names;
    for (const auto& c : connections) names.push_back(c.name());
    return names;
}

class MixerLines : public testing::Test {
protected:
    SimulatedDevice& addCard(const std::string& name = "Karte") {
        sim.system->devices.push_back(soundCard(name));
        return sim.system->devices.back();
    }
    SimulatedMixer sim;
};

TEST_F(MixerLines, DestinationsWithTheirSourcesAndControlsInTheMixersOrder) {
    addCard();
    auto mixer = sim.create();
    ASSERT_EQ(mixer->destinations().count(), 2u);
    const TMixerDestination& speakers = *mixer->destinations().item(0);
    EXPECT_EQ(speakers.name(), "Lautsprecher");
    EXPECT_EQ(speakers.line().lineId, SimulatedMixerDriver::destinationLineId(0));
    EXPECT_THAT(namesOf(speakers.connections()), ElementsAre("CD-Player", "Line-In", "Mikrofon"));
    EXPECT_EQ(speakers.controls().count(), 2u);
    EXPECT_EQ(speakers.connections().item(2)->controls().count(), 1u);
    EXPECT_EQ(speakers.connections().item(1)->line().source, 1u);
    const TMixerDestination& recording = *mixer->destinations().item(1);
    EXPECT_EQ(recording.name(), "Aufnahme");
    EXPECT_THAT(namesOf(recording.connections()), ElementsAre("Stereomix"));
    EXPECT_THAT(mixer->inputNames(),
                ElementsAre("Lautsprecher", "CD-Player", "Line-In", "Mikrofon"));
}

TEST_F(MixerLines, QueriesFollowTheBuildingOrder) {
    SimulatedDevice& card = addCard();
    card.destinations = {{line("Lautsprecher", 1), {line("CD-Player", 1)}}};
    auto mixer = sim.create();
    const std::string dest = std::to_string(SimulatedMixerDriver::destinationLineId(0));
    const std::string src = std::to_string(SimulatedMixerDriver::sourceLineId(0, 0));
    EXPECT_THAT(sim.calls(),
                ElementsAre("count", "open 0 window", "caps 0", "destination 1 0", "source 1 0 0",
                            "controls 1 " + src + " 1", "controls 1 " + dest + " 1"));
}

TEST_F(MixerLines, AskingBeyondTheEndOfAListYieldsNothing) {
    addCard();
    auto mixer = sim.create();
    EXPECT_EQ(mixer->destinations().item(2), nullptr);
    const auto& speakers = *mixer->destinations().item(0);
    EXPECT_EQ(speakers.connections().item(3), nullptr);
    EXPECT_EQ(speakers.controls().item(2), nullptr);
    EXPECT_EQ(speakers.controls().item(1)->name, "Lautsprecher control");
}

TEST_F(MixerLines, AFailedDestinationQueryIsSkippedAndLaterDestinationsMoveUp) {
    SimulatedDevice& card = addCard();
    card.destinations[0].line.failsLineQuery = true;
    auto mixer = sim.create();
    ASSERT_EQ(mixer->destinations().count(), 1u);
    const auto& first = *mixer->destinations().item(0);
    EXPECT_EQ(first.name(), "Aufnahme");
    // Its sources are asked for under its own destination number.
    EXPECT_THAT(namesOf(first.connections()), ElementsAre("Stereomix"));
    EXPECT_THAT(mixer->inputNames(), ElementsAre("Aufnahme", "Stereomix"));
}

TEST_F(MixerLines, AFailedSourceQueryIsSkipped) {
    SimulatedDevice& card = addCard();
    card.destinations[0].sources[1].failsLineQuery = true;
    auto mixer = sim.create();
    EXPECT_THAT(mixer->inputNames(), ElementsAre("Lautsprecher", "CD-Player", "Mikrofon"));
}

TEST_F(MixerLines, AFailedControlQueryLeavesThatLineWithoutControls) {
    SimulatedDevice& card = addCard();
    card.destinations[0].line.failsControlQuery = true;
    card.destinations[0].sources[0].failsControlQuery = true;
    auto mixer = sim.create();
    const auto& speakers = *mixer->destinations().item(0);
    EXPECT_EQ(speakers.controls().count(), 0u);
    EXPECT_EQ(speakers.connections().item(0)->controls().count(), 0u);
    EXPECT_EQ(speakers.connections().item(1)->controls().count(), 2u);
    EXPECT_EQ(speakers.connections().count(), 3u);
}

TEST_F(MixerLines, MoreAnnouncedDestinationsThanTheDriverReportsAreSkipped) {
    SimulatedDevice& card = addCard();
    card.announcedDestinations = 4;
    auto mixer = sim.create();
    EXPECT_EQ(mixer->numberOfLine(), 4);
    EXPECT_EQ(mixer->destinations().count(), 2u);
    EXPECT_EQ(std::count_if(sim.calls().begin(), sim.calls().end(),
                            [](const std::string& c) { return c.rfind("destination", 0) == 0; }),
              4);
}

TEST_F(MixerLines, ADestinationWithoutSourcesAndALineWithoutControls) {
    SimulatedDevice& card = addCard();
    card.destinations = {{line("Lautsprecher", 0), {}}};
    auto mixer = sim.create();
    const auto& speakers = *mixer->destinations().item(0);
    EXPECT_EQ(speakers.connections().count(), 0u);
    EXPECT_EQ(speakers.controls().count(), 0u);
    EXPECT_EQ(speakers.line().controls, 0u);
    EXPECT_THAT(mixer->inputNames(), ElementsAre("Lautsprecher"));
}

TEST_F(MixerLines, ADeviceWithoutDestinationsHasNoInputs) {
    SimulatedDevice& card = addCard("Nur Aufnahme");
    card.destinations.clear();
    auto mixer = sim.create();
    EXPECT_EQ(mixer->mixerId(), 0);
    EXPECT_EQ(mixer->productName(), "Nur Aufnahme");
    EXPECT_EQ(mixer->destinations().item(0), nullptr);
    EXPECT_THAT(mixer->inputNames(), IsEmpty());
}

TEST_F(MixerLines, NamesFillingTheirArraysAreKeptWhole) {
    const std::string name64(64, 'L');
    const std::string name31 = "Realtek High Definition Audio 1";
    ASSERT_EQ(name31.size(), 31u);
    SimulatedDevice& card = addCard(name31);
    card.destinations[0].line.name = name64;
    card.destinations[0].sources[0].name = std::string(63, 'S') + "!";
    auto mixer = sim.create();
    EXPECT_EQ(mixer->productName(), name31);
    EXPECT_EQ(mixer->productNameOf(0), name31);
    EXPECT_EQ(mixer->inputNames()[0], name64);
    EXPECT_EQ(mixer->inputNames()[1].size(), 64u);
}

TEST_F(MixerLines, LongerNamesAreCutToTheArraysAndEndAtAZeroByte) {
    SimulatedDevice& card = addCard(std::string(40, 'P'));
    card.destinations[0].line.name = std::string(64, 'a') + "zu lang";
    card.destinations[0].sources[0].name = std::string("CD\0Rest", 7);
    // Characters, not bytes: 70 umlauts are 140 bytes of UTF-8.
    std::string umlauts;
    for (int i = 0; i < 70; ++i) umlauts += "ä";
    card.destinations[0].sources[1].name = umlauts;
    auto mixer = sim.create();
    EXPECT_EQ(mixer->productName(), std::string(31, 'P'));
    EXPECT_EQ(mixer->productNameOf(0), std::string(31, 'P'));
    const auto names = mixer->inputNames();
    EXPECT_EQ(names[0], std::string(64, 'a'));
    EXPECT_EQ(names[1], "CD");
    EXPECT_EQ(names[2].size(), 128u);
}

}  // namespace
