// Choosing the mixer device: counting, opening with its retries, invalid ids,
// capabilities, closing, and the summary's view of the component.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "MixerTestDevices.h"
#include "devices/mixer/AudioMixerNames.h"

using namespace dravel::devices;
using namespace dravel::devices::mixertest;
using testing::ElementsAre;
using testing::IsEmpty;

namespace {

class MixerSelection : public MixerTest {
protected:
    void addCards(std::initializer_list<const char*> names) {
        for (const char* name : names) addCard(name);
    }
};

// Devices are counted once, at creation: one plugged in later is seen only
// by a new component.
TEST_F(MixerSelection, CreationCountsOnceAndOpensDeviceZero) {
    addCards({"Karte A"});
    auto mixer = create();
    EXPECT_EQ(mixer->mixerId(), 0);
    EXPECT_EQ(mixer->productName(), "Karte A");
    EXPECT_EQ(mixer->destinations().count(), 2u);
    EXPECT_THAT(std::vector(calls().begin(), calls().begin() + 2),
                ElementsAre("count", "open 0 window"));

    addCards({"USB-Headset"});
    mixer->setMixerId(1);
    EXPECT_EQ(mixer->deviceCount(), 1);
    EXPECT_EQ(mixer->mixerId(), 0);
    EXPECT_EQ(mixer->productNameOf(1), "");
    EXPECT_EQ(std::count(calls().begin(), calls().end(), "count"), 1);
    auto later = create();
    EXPECT_EQ(later->deviceCount(), 2);
    later->setMixerId(1);
    EXPECT_EQ(later->productName(), "USB-Headset");
}

TEST_F(MixerSelection, WithoutDevicesNothingIsOpenAndEveryListIsEmpty) {
    auto mixer = create();
    EXPECT_EQ(mixer->deviceCount(), 0);
    EXPECT_EQ(mixer->mixerId(), -1);
    EXPECT_EQ(mixer->destinations().item(0), nullptr);
    EXPECT_THAT(mixer->inputNames(), IsEmpty());
    EXPECT_EQ(mixer->productNameOf(0), "");
    mixer->setMixerId(0);  // what the owning window does at creation
    EXPECT_EQ(mixer->mixerId(), -1);
    EXPECT_THAT(calls(), ElementsAre("count"));
}

TEST_F(MixerSelection, SettingTheSameIdAgainReopensItAndDestructionClosesIt) {
    addCards({"Karte A"});
    auto mixer = create();
    calls().clear();
    mixer->setMixerId(0);
    ASSERT_GE(calls().size(), 3u);
    EXPECT_THAT(std::vector(calls().begin(), calls().begin() + 3),
                ElementsAre("close 1", "open 0 window", "caps 0"));
    EXPECT_EQ(mixer->mixerId(), 0);
    EXPECT_EQ(system->openHandles, std::set<MixerHandle>{2});
    mixer.reset();
    EXPECT_THAT(system->openHandles, IsEmpty());
    EXPECT_EQ(calls().back(), "close 2");
}

TEST_F(MixerSelection, AnIdThatNamesNoDeviceChangesNothing) {
    addCards({"Karte A"});
    auto mixer = create();
    const auto namesBefore = mixer->inputNames();
    calls().clear();
    for (int id : {1, -1, 7, -100}) {
        mixer->setMixerId(id);
        EXPECT_EQ(mixer->mixerId(), 0) << id;
    }
    EXPECT_THAT(calls(), IsEmpty());
    EXPECT_EQ(mixer->productName(), "Karte A");
    EXPECT_EQ(mixer->inputNames(), namesBefore);
    EXPECT_EQ(system->openHandles.size(), 1u);
}

TEST_F(MixerSelection, TwoCardsAreNamedWithoutOpeningAndSelectedWithTheirOwnLines) {
    addCards({"Karte A", "Karte B"});
    SimulatedDevice& second = system->devices[1];
    second.destinations = {{line("Kopfhörer"), {line("Radio")}}};
    second.manufacturerId = 42;
    second.productId = 7;
    second.driverVersion = 0x0501;
    auto mixer = create();
    EXPECT_EQ(mixer->manufacturer(), "Microsoft");
    EXPECT_EQ(mixer->numberOfLine(), 2);

    calls().clear();
    EXPECT_EQ(mixer->productNameOf(0), "Karte A");
    EXPECT_EQ(mixer->productNameOf(1), "Karte B");
    EXPECT_EQ(mixer->productNameOf(2), "");
    EXPECT_EQ(mixer->productNameOf(-1), "");
    EXPECT_THAT(calls(), ElementsAre("caps 0", "caps 1"));

    mixer->setMixerId(1);
    EXPECT_EQ(mixer->mixerId(), 1);
    EXPECT_EQ(mixer->productName(), "Karte B");
    EXPECT_THAT(mixer->inputNames(), ElementsAre("Kopfhörer", "Radio"));
    EXPECT_EQ(mixer->manufacturer(), "42 = Unknown");
    EXPECT_EQ(mixer->productId(), 7);
    EXPECT_EQ(mixer->driverVersion(), 0x0501u);
    EXPECT_EQ(mixer->numberOfLine(), 1);
    EXPECT_EQ(system->openHandles, std::set<MixerHandle>{2});
}

// The open is asked twice with change notices, then once without.
TEST_F(MixerSelection, ThreeOpenAttempts) {
    struct Case {
        int failingOpens;
        bool refusesNotices;
        std::size_t attempts;
        bool opens;
    };
    const Case cases[] = {
        {0, false, 1, true},  {1, false, 2, true}, {2, false, 3, true},
        {3, false, 3, false}, {0, true, 3, true},
    };
    for (const Case& c : cases) {
        system = std::make_shared<SimulatedMixerSystem>();
        addCards({"Karte A", "Karte B"});
        system->devices[1].failingOpens = c.failingOpens;
        system->devices[1].refusesNotices = c.refusesNotices;
        auto mixer = create();
        calls().clear();
        mixer->setMixerId(1);
        std::vector<std::string> opens;
        for (const auto& call : calls()) {
            if (call.starts_with("open")) opens.push_back(call);
        }
        std::vector<std::string> expected{"open 1 window", "open 1 window", "open 1 none"};
        expected.resize(c.attempts);
        EXPECT_EQ(opens, expected) << c.failingOpens << c.refusesNotices;
        EXPECT_EQ(calls().front(), "close 1");
        EXPECT_EQ(mixer->mixerId(), c.opens ? 1 : -1);
        EXPECT_EQ(mixer->inputNames().empty(), !c.opens);
    }
}

TEST_F(MixerSelection, AFailedOpenLeavesNoDeviceButKeepsTheFormerCapabilities) {
    addCards({"Karte A", "Karte B"});
    system->devices[1].failingOpens = 3;
    auto mixer = create();
    mixer->setMixerId(1);
    EXPECT_EQ(mixer->mixerId(), -1);
    EXPECT_EQ(mixer->destinations().count(), 0u);
    EXPECT_EQ(mixer->productName(), "Karte A");
    EXPECT_EQ(mixer->numberOfLine(), 2);
    EXPECT_THAT(system->openHandles, IsEmpty());
    EXPECT_EQ(std::count(calls().begin(), calls().end(), "caps 1"), 0);

    // From there a valid id opens without closing anything first; the failures
    // were passing, so device 1 opens now.
    calls().clear();
    mixer->setMixerId(1);
    EXPECT_EQ(calls().front(), "open 1 window");
    EXPECT_EQ(mixer->mixerId(), 1);
    EXPECT_EQ(mixer->productName(), "Karte B");
}

TEST_F(MixerSelection, UnreadableCapabilitiesShowNoNameAndNoLines) {
    addCards({"Karte A", "Karte B"});
    system->devices[1].failsCaps = true;
    auto mixer = create();
    mixer->setMixerId(1);
    EXPECT_EQ(mixer->mixerId(), 1);
    EXPECT_EQ(mixer->productName(), "");
    EXPECT_EQ(mixer->destinations().count(), 0u);
    EXPECT_EQ(mixer->productNameOf(1), "");
}

TEST_F(MixerSelection, TheSummarysViewNamesOnlyAnOpenDevice) {
    addCards({"Karte A", "Karte B"});
    system->devices[1].failingOpens = 3;
    auto mixer = create();
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
