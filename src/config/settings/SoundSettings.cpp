#include "config/settings/SoundSettings.h"

#include "config/settings/ProgIniKeys.h"

namespace dravel::config {

namespace sound = keys::sound;

SoundSettings SoundSettings::read(const IniFile& ini) {
    SoundSettings s;
    s.play = readForDialog(ini, sound::kPlay);
    s.path = readForDialog(ini, sound::kPath);
    s.wait = readForDialog(ini, sound::kWait);
    s.waitTime = readForDialog(ini, sound::kWaitTime);
    s.switchPin = readForDialog(ini, sound::kSwitchPin);
    s.switchPinIndex = readForDialog(ini, sound::kSwitchPinIndex);
    return s;
}

void SoundSettings::write(IniFile& ini) const {
    writeSetting(ini, sound::kPath, path);
    writeSetting(ini, sound::kPlay, play);
    writeSetting(ini, sound::kWait, wait);
    writeSetting(ini, sound::kWaitTime, waitTime);
    writeSetting(ini, sound::kSwitchPin, switchPin);
    writeSetting(ini, sound::kSwitchPinIndex, switchPinIndex);
}

}  // namespace dravel::config
