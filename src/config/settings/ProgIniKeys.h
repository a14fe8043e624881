#pragma once

#include "config/settings/SettingKey.h"

// The keys of Prog.ini by settings group, each with the default its settings
// window reads and the default the summary reads. The alarm program spells
// some names otherwise when it reads them ("sound", "Sound  ", "warten",
// "Endlautstärke", "Wochentag Im Monat"); sections and keys match without
// regard to case and surrounding blanks, so one spelling serves both.
namespace dravel::config::keys {

namespace comport {
inline constexpr std::string_view kSection = "ComPort";
// The COM port window never reads the port; it preselects the one the
// summary last named.
inline constexpr TextKey kPort{kSection, "Port", "COM1", "COM1"};
inline constexpr FlagKey kExtern{kSection, "Extern", false, false};
}  // namespace comport

namespace pin {
// Sections "Pin0", "Pin1", "Pin2": "Pin" followed by the pin index; the
// section of each key below is that prefix.
inline constexpr std::string_view kSectionPrefix = "Pin";
inline constexpr FlagKey kActive{kSectionPrefix, "Ausgang Aktiv", false, false};
inline constexpr TextKey kRemark{kSectionPrefix, "Bemerkung", "", ""};
inline constexpr NumberKey kWait{kSectionPrefix, "Warten", 0, 0};
inline constexpr NumberKey kDuration{kSectionPrefix, "Dauer", 0, 0};
inline constexpr NumberKey kStart{kSectionPrefix, "Start", 0, 0};  // 0 after the wait time
}  // namespace pin

namespace sound {
inline constexpr std::string_view kSection = "Sound";
inline constexpr FlagKey kPlay{kSection, "Play", false, false};
inline constexpr TextKey kPath{kSection, "Pfad", "", ""};
inline constexpr FlagKey kWait{kSection, "Wait", false, false};
inline constexpr NumberKey kWaitTime{kSection, "Wait Time", 0, 0};
inline constexpr FlagKey kSwitchPin{kSection, "Ansteuern", false, false};
inline constexpr NumberKey kSwitchPinIndex{kSection, "Ansteuern Pin", -1, -1};
}  // namespace sound

namespace prog {
inline constexpr std::string_view kSection = "Prog";
inline constexpr FlagKey kTray{kSection, "Tray", false, false};
inline constexpr FlagKey kAutoEnd{kSection, "Ende", true, false};
inline constexpr FlagKey kMultiStart{kSection, "Mehrfach", false, false};
}  // namespace prog

namespace funk {
inline constexpr std::string_view kSection = "Funk";
inline constexpr FlagKey kOnOff{kSection, "OnOff", false, false};
inline constexpr NumberKey kCard{kSection, "Soundkarte", -1, 0};
inline constexpr NumberKey kInput{kSection, "Eingang", -1, 0};
inline constexpr NumberKey kStart{kSection, "Start", -1, -1};
inline constexpr NumberKey kStartTime{kSection, "Start Zeit", 0, 0};
inline constexpr NumberKey kEnd{kSection, "Ende", -1, -1};
inline constexpr NumberKey kEndTime{kSection, "Ende Zeit", 0, 0};
inline constexpr NumberKey kPin{kSection, "Pin", -1, -1};
inline constexpr NumberKey kEndVolumeMode{kSection, "EndLautstärke", -1, -1};
inline constexpr NumberKey kStartVolume{kSection, "StartVolume", 0, 65535};
inline constexpr NumberKey kEndVolume{kSection, "EndVolume", 0, 65535};
}  // namespace funk

namespace schedule {
inline constexpr std::string_view kSection = "Funktionsprobe";
inline constexpr NumberKey kKind{kSection, "Art", 0, 0};
inline constexpr NumberKey kWeekday1{kSection, "Wochentag1", -1, 1};
inline constexpr NumberKey kWeekday2{kSection, "Wochentag2", -1, 1};
inline constexpr NumberKey kWeekdayInMonth{kSection, "Wochentag im Monat", -1, 0};
inline constexpr NumberKey kDayOfMonth{kSection, "Tag im Monat", -1, 1};
inline constexpr TextKey kTime{kSection, "Uhrzeit", "__:__", "00:00"};
// The window keeps the minutes as typed; the summary reads them as a number.
inline constexpr SettingKey<std::string_view, int> kDuration{kSection, "Dauer", "", 0};
}  // namespace schedule

}  // namespace dravel::config::keys
