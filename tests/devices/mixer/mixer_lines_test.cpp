// The lines of the selected device: how they are read, which failures are
// skipped, and the platform's name rules.

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

using MixerLines = MixerTest;

TEST_F(MixerLines, DestinationsWithTheirSourcesAndControlsInTheMixersOrder) {
    addCard();
    auto mixer = create();
    ASSERT_EQ(mixer->destinations().count(), 2u);
    EXPECT_EQ(mixer->destinations().item(2), nullptr);
    const TMixerDestination& speakers = *mixer->destinations().item(0);
    EXPECT_EQ(speakers.name(), "Lautsprecher");
    EXPECT_EQ(speakers.line().lineId, SimulatedMixerDriver::destinationLineId(0));
    EXPECT_THAT(namesOf(speakers.connections()), ElementsAre("CD-Player", "Line-In", "Mikrofon"));
    EXPECT_EQ(speakers.connections().item(3), nullptr);
    EXPECT_EQ(speakers.connections().item(1)->line().source, 1u);
    EXPECT_EQ(speakers.connections().item(2)->controls().count(), 1u);
    EXPECT_EQ(speakers.controls().count(), 2u);
    EXPECT_EQ(speakers.controls().item(1)->name, "Lautsprecher control");
    EXPECT_EQ(speakers.controls().item(2), nullptr);
    const TMixerDestination& recording = *mixer->destinations().item(1);
    EXPECT_EQ(recording.name(), "Aufnahme");
    EXPECT_THAT(namesOf(recording.connections()), ElementsAre("Stereomix"));
    EXPECT_THAT(mixer->inputNames(),
                ElementsAre("Lautsprecher", "CD-Player", "Line-In", "Mikrofon"));
}

TEST_F(MixerLines, QueriesFollowTheBuildingOrder) {
    addCard().destinations = {{line("Lautsprecher", 1), {line("CD-Player", 1)}}};
    auto mixer = create();
    const std::string dest = std::to_string(SimulatedMixerDriver::destinationLineId(0));
    const std::string src = std::to_string(SimulatedMixerDriver::sourceLineId(0, 0));
    EXPECT_THAT(calls(),
                ElementsAre("count", "open 0 window", "caps 0", "destination 1 0", "source 1 0 0",
                            "controls 1 " + src + " 1", "controls 1 " + dest + " 1"));
}

TEST_F(MixerLines, FailedQueriesAreSkipped) {
    SimulatedDevice& card = addCard();
    card.destinations[0].line.failsControlQuery = true;
    card.destinations[0].sources[0].failsControlQuery = true;
    card.destinations[0].sources[1].failsLineQuery = true;
    auto mixer = create();
    const auto& speakers = *mixer->destinations().item(0);
    EXPECT_THAT(mixer->inputNames(), ElementsAre("Lautsprecher", "CD-Player", "Mikrofon"));
    EXPECT_EQ(speakers.controls().count(), 0u);
    EXPECT_EQ(speakers.connections().item(0)->controls().count(), 0u);
    EXPECT_EQ(speakers.connections().item(1)->controls().count(), 1u);

    // A destination left out moves the later ones up; their sources are
    // asked for under their own destination number.
    card.destinations[0].line.failsLineQuery = true;
    mixer = create();
    ASSERT_EQ(mixer->destinations().count(), 1u);
    EXPECT_THAT(mixer->inputNames(), ElementsAre("Aufnahme", "Stereomix"));
}

TEST_F(MixerLines, MoreAnnouncedDestinationsThanTheDriverReportsAreSkipped) {
    addCard().announcedDestinations = 4;
    auto mixer = create();
    EXPECT_EQ(mixer->numberOfLine(), 4);
    EXPECT_EQ(mixer->destinations().count(), 2u);
    EXPECT_EQ(std::count_if(calls().begin(), calls().end(),
                            [](const std::string& c) { return c.starts_with("destination"); }),
              4);
}

TEST_F(MixerLines, DestinationsWithoutSourcesOrControlsAndDevicesWithoutDestinations) {
    SimulatedDevice& card = addCard("Nur Aufnahme");
    card.destinations = {{line("Lautsprecher", 0), {}}};
    auto mixer = create();
    const auto& speakers = *mixer->destinations().item(0);
    EXPECT_EQ(speakers.connections().count(), 0u);
    EXPECT_EQ(speakers.controls().count(), 0u);
    EXPECT_THAT(mixer->inputNames(), ElementsAre("Lautsprecher"));

    card.destinations.clear();
    mixer = create();
    EXPECT_EQ(mixer->mixerId(), 0);
    EXPECT_EQ(mixer->productName(), "Nur Aufnahme");
    EXPECT_EQ(mixer->destinations().item(0), nullptr);
    EXPECT_THAT(mixer->inputNames(), IsEmpty());
}

// Names fill at most their platform arrays (31 and 64 characters, not bytes)
// and end at a zero byte.
TEST_F(MixerLines, NamesAreKeptUpToTheirArraysAndEndAtAZeroByte) {
    const std::string name31 = "Realtek High Definition Audio 1";
    ASSERT_EQ(name31.size(), 31u);
    std::string umlauts;
    for (int i = 0; i < 70; ++i) umlauts += "ä";
    SimulatedDevice& card = addCard(name31);
    card.destinations[0].line.name = std::string(64, 'L');
    card.destinations[0].sources[0].name = std::string(64, 'a') + "zu lang";
    card.destinations[0].sources[1].name = std::string("CD\0Rest", 7);
    card.destinations[0].sources[2].name = umlauts;
    addCard(std::string(40, 'P'));
    auto mixer = create();
    EXPECT_EQ(mixer->productName(), name31);
    EXPECT_EQ(mixer->productNameOf(0), name31);
    EXPECT_EQ(mixer->productNameOf(1), std::string(31, 'P'));
    EXPECT_THAT(mixer->inputNames(), ElementsAre(std::string(64, 'L'), std::string(64, 'a'), "CD",
                                                 umlauts.substr(0, 128)));
    mixer->setMixerId(1);
    EXPECT_EQ(mixer->productName(), std::string(31, 'P'));
}

}  // namespace
