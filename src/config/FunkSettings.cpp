#include "config/FunkSettings.h"

#include "config/ProgIniKeys.h"

namespace dravel::config {

namespace funk = keys::funk;

FunkSettings FunkSettings::read(const IniFile& ini) {
    FunkSettings s;
    s.onOff = ini.readBool(funk::kSection, funk::kOnOff, false);
    s.card = ini.readInteger(funk::kSection, funk::kCard, -1);
    s.input = ini.readInteger(funk::kSection, funk::kInput, -1);
    s.start = ini.readInteger(funk::kSection, funk::kStart, -1);
    s.startTime = ini.readInteger(funk::kSection, funk::kStartTime, 0);
    s.endTime = ini.readInteger(funk::kSection, funk::kEndTime, 0);
    s.end = ini.readInteger(funk::kSection, funk::kEnd, -1);
    s.pin = ini.readInteger(funk::kSection, funk::kPin, -1);
    s.endVolumeMode = ini.readInteger(funk::kSection, funk::kEndVolumeMode, -1);
    s.startVolume = ini.readInteger(funk::kSection, funk::kStartVolume, 0);
    s.endVolume = ini.readInteger(funk::kSection, funk::kEndVolume, 0);
    return s;
}

void FunkSettings::write(IniFile& ini) const {
    ini.writeBool(funk::kSection, funk::kOnOff, onOff);
    ini.writeInteger(funk::kSection, funk::kCard, card);
    ini.writeInteger(funk::kSection, funk::kInput, input);
    ini.writeInteger(funk::kSection, funk::kStart, start);
    ini.writeInteger(funk::kSection, funk::kEnd, end);
    ini.writeInteger(funk::kSection, funk::kStartTime, startTime);
    ini.writeInteger(funk::kSection, funk::kEndTime, endTime);
    ini.writeInteger(funk::kSection, funk::kPin, pin);
    ini.writeInteger(funk::kSection, funk::kEndVolumeMode, endVolumeMode);
    ini.writeInteger(funk::kSection, funk::kStartVolume, startVolume);
    ini.writeInteger(funk::kSection, funk::kEndVolume, endVolume);
}

}  // namespace dravel::config
