#include "config/settings/PinSettings.h"

#include "config/settings/ProgIniKeys.h"
#include "config/settings/SoundSettings.h"
#include "config/storage/Cp1252.h"

namespace dravel::config {

namespace pin = keys::pin;
namespace comport = keys::comport;

std::string pinSection(int pinIndex) {
    return std::string(pin::kSectionPrefix) + std::to_string(pinIndex);
}

std::string cutDescription(const std::string& text) {
    return utf8Left(text, kMaxPinDescription);
}

ComPortSettings ComPortSettings::read(const IniFile& ini) {
    ComPortSettings s;
    for (int n = 0; n < kPinCount; ++n) {
        const std::string section = pinSection(n);
        PinRecord& p = s.pins[static_cast<std::size_t>(n)];
        p.active = readForDialog(ini, section, pin::kActive);
        p.description = cutDescription(readForDialog(ini, section, pin::kRemark));
        p.wait = readForDialog(ini, section, pin::kWait);
        p.duration = readForDialog(ini, section, pin::kDuration);
        p.startMode = readForDialog(ini, section, pin::kStart);
    }
    return s;
}

void ComPortSettings::write(IniFile& ini) const {
    for (int n = 0; n < kPinCount; ++n) {
        const std::string section = pinSection(n);
        const PinRecord& p = pins[static_cast<std::size_t>(n)];
        writeSetting(ini, section, pin::kActive, p.active);
        writeSetting(ini, section, pin::kRemark, cutDescription(p.description));
        writeSetting(ini, section, pin::kWait, p.wait);
        writeSetting(ini, section, pin::kDuration, p.duration);
        writeSetting(ini, section, pin::kStart, p.startMode);
    }
    writeSetting(ini, comport::kPort, port);
}

bool pinSwitchedBySound(const IniFile& ini, int pinIndex) {
    const SoundSettings sound = SoundSettings::read(ini);
    return sound.switchPin && sound.play && sound.switchPinIndex == pinIndex;
}

}  // namespace dravel::config
