#include <gtest/gtest.h>

#include "devices/mixer/AudioMixer.h"
#include "devices/mixer/AudioMixerNames.h"

using namespace dravel::devices;

namespace {

// Runs over the machine's own mixer. On a machine without a sound card the
// component has no device and every list is empty; with cards, each one has
// a name and the selected card's inputs start with its main playback control.
TEST(MixerPlatform, EnumeratesWhatTheMachineHasWithoutFailing) {
    TAudioMixer mixer;
    ASSERT_GE(mixer.deviceCount(), 0);
    if (mixer.deviceCount() == 0) {
        EXPECT_EQ(mixer.mixerId(), -1);
        EXPECT_EQ(mixer.destinations().count(), 0u);
        EXPECT_TRUE(mixer.inputNames().empty());
        EXPECT_EQ(mixer.productNameOf(0), "");
        EXPECT_FALSE(AudioMixerNames(mixer).productName().has_value());
    }
    for (int id = 0; id < mixer.deviceCount(); ++id) {
        mixer.setMixerId(id);
        EXPECT_LE(mixer.productNameOf(id).size(), 31u * 4);
        if (mixer.mixerId() != id) continue;
        EXPECT_EQ(mixer.productName(), mixer.productNameOf(id));
        EXPECT_LE(mixer.destinations().count(), 1u);
        EXPECT_EQ(mixer.inputNames().empty(), mixer.destinations().count() == 0);
    }
    const int selected = mixer.mixerId();
    mixer.setMixerId(mixer.deviceCount());  // names no device
    EXPECT_EQ(mixer.mixerId(), selected);
}

}  // namespace
