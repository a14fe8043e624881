#include "config/SoundSettings.h"

#include "config/ProgIniKeys.h"

namespace dravel::config {

namespace sound = keys::sound;

SoundSettings SoundSettings::read(const IniFile& ini) {
    SoundSettings s;
    // "Play" and "Pfad" are read under the padded section name, as ever.
    s.play = ini.readBool(sound::kSectionPadded, sound::kPlay, false);
    s.path = ini.readString(sound::kSectionPadded, sound::kPath, "");
    s.wait = ini.readBool(sound::kSection, sound::kWait, false);
    s.waitTime = ini.readInteger(sound::kSection, sound::kWaitTime, 0);
    s.switchPin = ini.readBool(sound::kSection, sound::kSwitchPin, false);
    s.switchPinIndex = ini.readInteger(sound::kSection, sound::kSwitchPinIndex, -1);
    return s;
}

void SoundSettings::write(IniFile& ini) const {
    ini.writeString(sound::kSection, sound::kPath, path);
    ini.writeBool(sound::kSection, sound::kPlay, play);
    ini.writeBool(sound::kSection, sound::kWait, wait);
    ini.writeInteger(sound::kSection, sound::kWaitTime, waitTime);
    ini.writeBool(sound::kSection, sound::kSwitchPin, switchPin);
    ini.writeInteger(sound::kSection, sound::kSwitchPinIndex, switchPinIndex);
}

}  // namespace dravel::config
