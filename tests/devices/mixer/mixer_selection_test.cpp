#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "MixerTestDevices.h"
#include "devices/mixer/AudioMixerNames.h"

using namespace dravel::devices;
using namespace dravel::devices::mixertest;
using testing::ElementsAre;
using testing::IsEmpty;

namespace {

class MixerSelection : public testing::Test {
protected:
    void addCards(std::initializer_list<const char*> names) {
        for (const char* name : names) sim.system->devices.push_back(soundCard(name));
    }
    SimulatedMixer sim;
};

TEST_F(MixerSelection, CreationCountsOnceAndOpensDeviceZero) {
    addCards({"Karte A", "Karte B"});
    auto mixer = sim.create();
    EXPECT_EQ(mixer->deviceCount(), 2);
    EXPECT_EQ(mixer->mixerId(), 0);
    EXPECT_EQ(mixer->productName(), "Karte A");
    EXPECT_EQ(mixer->destinations().count(), 2u);
    EXPECT_EQ(std::count(sim.calls().begin(), sim.calls().end(), "count"), 1);
    EXPECT_EQ(sim.calls()[1], "open 0 window");
}

TEST_F(MixerSelection, WithoutDevicesNothingIsOpenAndEveryListIsEmpty) {
    auto mixer = sim.create();
    EXPECT_EQ(mixer->deviceCount(), 0);
    EXPECT_EQ(mixer->mixerId(), -1);
    EXPECT_EQ(mixer->destinations().count(), 0u);
    EXPECT_EQ(mixer->destinations().item(0), nullptr);
    EXPECT_THAT(mixer->inputNames(), IsEmpty());
    EXPECT_EQ(mixer->productNameOf(0), "");
    mixer->setMixerId(0);  // what the owning window does at creation
    EXPECT_EQ(mixer->mixerId(), -1);
    EXPECT_THAT(sim.calls(), ElementsAre("count"));
}

TEST_F(MixerSelection, SettingTheSameIdAgainClosesAndReopensIt) {
    addCards({"Karte A"});
    auto mixer = sim.create();
    sim.calls().clear();
    mixer->setMixerId(0);
    ASSERT_GE(sim.calls().size(), 3u);
    EXPECT_EQ(sim.calls()[0], "close 1");
    EXPECT_EQ(sim.calls()[1], "open 0 window");
    EXPECT_EQ(sim.calls()[2], "caps 0");
    EXPECT_EQ(mixer->mixerId(), 0);
    EXPECT_EQ(sim.system->openHandles, std::set<MixerHandle>{2});
}

TEST_F(MixerSelection, AnIdThatNamesNoDeviceChangesNothing) {
    addCards({"Karte A"});
    auto mixer = sim.create();
    const auto namesBefore = mixer->inputNames();
    sim.calls().clear();
    for (int id : {1, -1, 7, -100}) {
        mixer->setMixerId(id);
        EXPECT_EQ(mixer->mixerId(), 0) << id;
    }
    EXPECT_THAT(sim.calls(), IsEmpty());
    EXPECT_EQ(mixer->productName(), "Karte A");
    EXPECT_EQ(mixer->inputNames(), namesBefore);
    EXPECT_EQ(sim.system->openHandles.size(), 1u);
}

TEST_F(MixerSelection, SelectingAnotherDeviceReplacesNameAndLines) {
    addCards({"Karte A", "Karte B"});
    sim.system->devices[1].destinations = {{line("Kopfhörer"), {line("Radio")}}};
    auto mixer = sim.create();
    mixer->setMixerId(1);
    EXPECT_EQ(mixer->mixerId(), 1);
    EXPECT_EQ(mixer->productName(), "Karte B");
    EXPECT_THAT(mixer->inputNames(), ElementsAre("Kopfhörer", "Radio"));
    EXPECT_EQ(sim.system->openHandles, std::set<MixerHandle>{2});
}

TEST_F(MixerSelection, ProductNamesOfAllDevicesNeedNoOpenDevice) {
    addCards({"Karte A", "Karte B"});
    auto mixer = sim.create();
    sim.calls().clear();
    EXPECT_EQ(mixer->productNameOf(0), "Karte A");
    EXPECT_EQ(mixer->productNameOf(1), "Karte B");
    EXPECT_EQ(mixer->productNameOf(2), "");
    EXPECT_EQ(mixer->productNameOf(-1), "");
    EXPECT_THAT(sim.calls(), ElementsAre("caps 0", "caps 1"));
    EXPECT_EQ(mixer->mixerId(), 0);
}

TEST_F(MixerSelection, ManufacturerAndVersionComeFromTheCapabilities) {
    addCards({"Karte A", "Karte B"});
    sim.system->devices[1].manufacturerId = 42;
    sim.system->devices[1].productId = 7;
    sim.system->devices[1].driverVersion = 0x0501;
    auto mixer = sim.create();
    EXPECT_EQ(mixer->manufacturer(), "Microsoft");
    mixer->setMixerId(1);
    EXPECT_EQ(mixer->manufacturer(), "42 = Unknown");
    EXPECT_EQ(mixer->productId(), 7);
    EXPECT_EQ(mixer->driverVersion(), 0x0501u);
    EXPECT_EQ(mixer->numberOfLine(), 2);
}

struct OpenFailureCase {
    int failingOpens;
    bool refusesNotices;
    std::vector<std::string> attempts;
    bool opens;
};

class MixerOpenAttempts : public MixerSelection,
                          public testing::WithParamInterface<OpenFailureCase> {};

TEST_P(MixerOpenAttempts, TriesTwiceWithNoticesThenWithout) {
    addCards({"Karte A", "Karte B"});
    sim.system->devices[1].failingOpens = GetParam().failingOpens;
    sim.system->devices[1].refusesNotices = GetParam().refusesNotices;
    auto mixer = sim.create();
    sim.calls().clear();
    mixer->setMixerId(1);
    std::vector<std::string> opens;
    for (const auto& call : sim.calls())
        if (call.rfind("open", 0) == 0) opens.push_back(call);
    EXPECT_EQ(opens, GetParam().attempts);
    EXPECT_EQ(sim.calls().front(), "close 1");
    EXPECT_EQ(mixer->mixerId(), GetParam().opens ? 1 : -1);
    EXPECT_EQ(mixer->inputNames().empty(), !GetParam().opens);
}

INSTANTIATE_TEST_SUITE_P(
    Failures, MixerOpenAttempts,
    testing::Values(
        OpenFailureCase{0, false, {"open 1 window"}, true},
        OpenFailureCase{1, false, {"open 1 window", "open 1 window"}, true},
        OpenFailureCase{2, false, {"open 1 window", "open 1 window", "open 1 none"}, true},
        OpenFailureCase{3, false, {"open 1 window", "open 1 window", "open 1 none"}, false},
        OpenFailureCase{0, true, {"open 1 window", "open 1 window", "open 1 none"}, true}));

TEST_F(MixerSelection, AFailedOpenLeavesNoDeviceButKeepsTheFormerCapabilities) {
    addCards({"Karte A", "Karte B"});
    sim.system->devices[1].failingOpens = 3;
    auto mixer = sim.create();
    mixer->setMixerId(1);
    EXPECT_EQ(mixer->mixerId(), -1);
    EXPECT_EQ(mixer->destinations().count(), 0u);
    EXPECT_THAT(mixer->inputNames(), IsEmpty());
    EXPECT_EQ(mixer->productName(), "Karte A");
    EXPECT_EQ(mixer->numberOfLine(), 2);
    EXPECT_THAT(sim.system->openHandles, IsEmpty());
    EXPECT_EQ(std::count(sim.calls().begin(), sim.calls().end(), "caps 1"), 0);

    // From there a valid id opens without closing anything first; the failures
    // were passing, so device 1 opens now.
    sim.calls().clear();
    mixer->setMixerId(1);
    EXPECT_EQ(sim.calls().front(), "open 1 window");
    EXPECT_EQ(mixer->mixerId(), 1);
    EXPECT_EQ(mixer->productName(), "Karte B");
}

TEST_F(MixerSelection, UnreadableCapabilitiesShowNoNameAndNoLines) {
    addCards({"Karte A", "Karte B"});
    sim.system->devices[1].failsCaps = true;
    auto mixer = sim.create();
    mixer->setMixerId(1);
    EXPECT_EQ(mixer->mixerId(), 1);
    EXPECT_EQ(mixer->productName(), "");
    EXPECT_EQ(mixer->destinations().count(), 0u);
    EXPECT_EQ(mixer->productNameOf(1), "");
}

TEST_F(MixerSelection, DestructionClosesTheOpenDevice) {
    addCards({"Karte A"});
    {
        auto mixer = sim.create();
        EXPECT_EQ(sim.system->openHandles.size(), 1u);
    }
    EXPECT_THAT(sim.system->openHandles, IsEmpty());
    EXPECT_EQ(sim.calls().back(), "close 1");
}

TEST_F(MixerSelection, ADevicePluggedInLaterIsSeenOnlyByANewComponent) {
    addCards({"Karte A"});
    auto mixer = sim.create();
    addCards({"USB-Headset"});
    mixer->setMixerId(1);
    EXPECT_EQ(mixer->deviceCount(), 1);
    EXPECT_EQ(mixer->mixerId(), 0);
    EXPECT_EQ(mixer->productNameOf(1), "");
    auto later = sim.create();
    EXPECT_EQ(later->deviceCount(), 2);
    later->setMixerId(1);
    EXPECT_EQ(later->productName(), "USB-Headset");
}

TEST_F(MixerSelection, TheSummarysViewNamesOnlyAnOpenDevice) {
    addCards({"Karte A", "Karte B"});
    sim.system->devices[1].failingOpens = 3;
    auto mixer = sim.create();
    AudioMixerNames names(*mixer);
    EXPECT_EQ(names.productName(), "Karte A");
    EXPECT_THAT(names.inputNames(),
                ElementsAre("Lautsprecher", "CD-Player", "Line-In", "Mikrofon"));
    names.selectDevice(1);
    EXPECT_EQ(mixer->mixerId(), -1);
    EXPECT_EQ(mixer->productName(), "Karte A");
    EXPECT_EQ(names.productName(), std::nullopt);
    EXPECT_THAT(names.inputNames(), IsEmpty());
}

}  // namespace
