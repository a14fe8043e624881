#include "config/PinSettings.h"

#include "config/Cp1252.h"
#include "config/ProgIniKeys.h"
#include "config/SoundSettings.h"

namespace dravel::config {

namespace pin = keys::pin;
namespace comport = keys::comport;

std::string pinSection(int pinIndex) {
    return pin::kSectionPrefix + std::to_string(pinIndex);
}

std::string cutDescription(const std::string& text) {
    return utf8Left(text, kMaxPinDescription);
}

ComPortSettings ComPortSettings::read(const IniFile& ini) {
    ComPortSettings s;
    for (int n = 0; n < kPinCount; ++n) {
        const std::string section = pinSection(n);
        PinRecord& p = s.pins[static_cast<std::size_t>(n)];
        p.active = ini.readBool(section, pin::kActive, false);
        p.description = cutDescription(ini.readString(section, pin::kRemark, ""));
        p.wait = ini.readInteger(section, pin::kWait, 0);
        p.duration = ini.readInteger(section, pin::kDuration, 0);
        p.startMode = ini.readInteger(section, pin::kStart, PinRecord::AfterWait);
    }
    return s;
}

void ComPortSettings::write(IniFile& ini) const {
    for (int n = 0; n < kPinCount; ++n) {
        const std::string section = pinSection(n);
        const PinRecord& p = pins[static_cast<std::size_t>(n)];
        ini.writeBool(section, pin::kActive, p.active);
        ini.writeString(section, pin::kRemark, cutDescription(p.description));
        ini.writeInteger(section, pin::kWait, p.wait);
        ini.writeInteger(section, pin::kDuration, p.duration);
        ini.writeInteger(section, pin::kStart, p.startMode);
    }
    ini.writeString(comport::kSection, comport::kPort, port);
}

bool pinSwitchedBySound(const IniFile& ini, int pinIndex) {
    const SoundSettings sound = SoundSettings::read(ini);
    return sound.switchPin && sound.play && sound.switchPinIndex == pinIndex;
}

}  // namespace dravel::config
