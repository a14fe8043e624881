#include "config/settings/FunkSettings.h"

#include "config/settings/ProgIniKeys.h"

namespace dravel::config {

namespace funk = keys::funk;

FunkSettings FunkSettings::read(const IniFile& ini) {
    FunkSettings s;
    s.onOff = readForDialog(ini, funk::kOnOff);
    s.card = readForDialog(ini, funk::kCard);
    s.input = readForDialog(ini, funk::kInput);
    s.start = readForDialog(ini, funk::kStart);
    s.startTime = readForDialog(ini, funk::kStartTime);
    s.endTime = readForDialog(ini, funk::kEndTime);
    s.end = readForDialog(ini, funk::kEnd);
    s.pin = readForDialog(ini, funk::kPin);
    s.endVolumeMode = readForDialog(ini, funk::kEndVolumeMode);
    s.startVolume = readForDialog(ini, funk::kStartVolume);
    s.endVolume = readForDialog(ini, funk::kEndVolume);
    return s;
}

void FunkSettings::write(IniFile& ini) const {
    writeSetting(ini, funk::kOnOff, onOff);
    writeSetting(ini, funk::kCard, card);
    writeSetting(ini, funk::kInput, input);
    writeSetting(ini, funk::kStart, start);
    writeSetting(ini, funk::kEnd, end);
    writeSetting(ini, funk::kStartTime, startTime);
    writeSetting(ini, funk::kEndTime, endTime);
    writeSetting(ini, funk::kPin, pin);
    writeSetting(ini, funk::kEndVolumeMode, endVolumeMode);
    writeSetting(ini, funk::kStartVolume, startVolume);
    writeSetting(ini, funk::kEndVolume, endVolume);
}

}  // namespace dravel::config
