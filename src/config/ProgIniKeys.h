#pragma once

// Section and key names of Prog.ini, in one place. The alarm program reads the
// same names; names match without regard to case and surrounding blanks, so
// the readers' other spellings (kept as they were) reach the written values.
namespace dravel::config::keys {

namespace comport {
inline constexpr const char* kSection = "ComPort";
inline constexpr const char* kPort = "Port";
inline constexpr const char* kExtern = "Extern";
}  // namespace comport

namespace pin {
// Sections "Pin0", "Pin1", "Pin2": "Pin" followed by the pin index.
inline constexpr const char* kSectionPrefix = "Pin";
inline constexpr const char* kActive = "Ausgang Aktiv";
inline constexpr const char* kRemark = "Bemerkung";
inline constexpr const char* kWait = "Warten";
inline constexpr const char* kWaitAsRead = "warten";
inline constexpr const char* kDuration = "Dauer";
inline constexpr const char* kStart = "Start";
}  // namespace pin

namespace sound {
inline constexpr const char* kSection = "Sound";
inline constexpr const char* kSectionPadded = "Sound  ";
inline constexpr const char* kSectionLower = "sound";
inline constexpr const char* kPlay = "Play";
inline constexpr const char* kPath = "Pfad";
inline constexpr const char* kWait = "Wait";
inline constexpr const char* kWaitTime = "Wait Time";
inline constexpr const char* kSwitchPin = "Ansteuern";
inline constexpr const char* kSwitchPinIndex = "Ansteuern Pin";
}  // namespace sound

namespace prog {
inline constexpr const char* kSection = "Prog";
inline constexpr const char* kTray = "Tray";
inline constexpr const char* kAutoEnd = "Ende";
inline constexpr const char* kMultiStart = "Mehrfach";
}  // namespace prog

namespace funk {
inline constexpr const char* kSection = "Funk";
inline constexpr const char* kSectionLower = "funk";
inline constexpr const char* kOnOff = "OnOff";
inline constexpr const char* kOnOffLower = "onoff";
inline constexpr const char* kCard = "Soundkarte";
inline constexpr const char* kInput = "Eingang";
inline constexpr const char* kStart = "Start";
inline constexpr const char* kStartLower = "start";
inline constexpr const char* kStartTime = "Start Zeit";
inline constexpr const char* kStartTimeLower = "start zeit";
inline constexpr const char* kEnd = "Ende";
inline constexpr const char* kEndTime = "Ende Zeit";
inline constexpr const char* kEndTimeLower = "ende zeit";
inline constexpr const char* kPin = "Pin";
inline constexpr const char* kEndVolumeMode = "EndLautstärke";
inline constexpr const char* kEndVolumeModeAsRead = "Endlautstärke";
inline constexpr const char* kStartVolume = "StartVolume";
inline constexpr const char* kStartVolumeAsRead = "Startvolume";
inline constexpr const char* kEndVolume = "EndVolume";
}  // namespace funk

namespace schedule {
inline constexpr const char* kSection = "Funktionsprobe";
inline constexpr const char* kKind = "Art";
inline constexpr const char* kWeekday1 = "Wochentag1";
inline constexpr const char* kWeekday2 = "Wochentag2";
inline constexpr const char* kWeekdayInMonth = "Wochentag im Monat";
inline constexpr const char* kWeekdayInMonthAsRead = "Wochentag Im Monat";
inline constexpr const char* kDayOfMonth = "Tag im Monat";
inline constexpr const char* kTime = "Uhrzeit";
inline constexpr const char* kDuration = "Dauer";
}  // namespace schedule

}  // namespace dravel::config::keys
