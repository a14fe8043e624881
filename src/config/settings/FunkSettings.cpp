#include "config/settings/FunkSettings.h"

#include "config/settings/ProgIniKeys.h"

namespace dravel::config {

namespace funk = keys::funk;

namespace {

template <typename Read>
FunkSettings readWith(const IniFile& ini, Read read) {
    FunkSettings s;
    s.onOff = read(ini, funk::kOnOff);
    s.card = read(ini, funk::kCard);
    s.input = read(ini, funk::kInput);
    s.start = read(ini, funk::kStart);
    s.startTime = read(ini, funk::kStartTime);
    s.endTime = read(ini, funk::kEndTime);
    s.end = read(ini, funk::kEnd);
    s.pin = read(ini, funk::kPin);
    s.endVolumeMode = read(ini, funk::kEndVolumeMode);
    s.startVolume = read(ini, funk::kStartVolume);
    s.endVolume = read(ini, funk::kEndVolume);
    return s;
}

}  // namespace

FunkSettings FunkSettings::read(const IniFile& ini) {
    return readWith(ini, [](const IniFile& i, const auto& key) { return readForDialog(i, key); });
}

FunkSettings FunkSettings::readAsAlarmProgram(const IniFile& ini) {
    return readWith(ini, [](const IniFile& i, const auto& key) { return readForSummary(i, key); });
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
