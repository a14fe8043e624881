#pragma once

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "config/conditions/ConditionList.h"
#include "config/extras/BerlinTime.h"
#include "config/settings/FunkSettings.h"
#include "config/settings/PinSettings.h"
#include "config/settings/ProgramOptions.h"
#include "config/settings/SoundSettings.h"
#include "config/storage/IniFile.h"

// The course of one alarm in seconds from the alarm program's start: what
// each pin, the sound and the radio volume do and when the program ends,
// with what would go wrong. Worked out from Prog.ini and Alarmierung.dat
// alone; the windows and the report only draw it.
namespace dravel::config {

// The playing time of a sound file as the sound component reads it, or the
// German reason why it cannot.
struct SoundLength {
    std::optional<double> seconds;
    std::string reason;
};
using SoundLengthReader = std::function<SoundLength(const std::string& utf8Path)>;

// One alarm the course can be worked out for: without a code, one code of
// the list, or any code of one kind.
struct AlarmChoice {
    std::string caption;  // "Alarm ohne Kennung", "5-Ton 12345 – Tor"
    // Per pin, the entries ("12345 – Tor") that switch it for this alarm.
    std::array<std::vector<std::string>, kPinCount> entries;
};

inline constexpr char kAlarmWithoutCode[] = "Alarm ohne Kennung";

// "Alarm ohne Kennung", then one choice per entry of the list whose pin and
// kind are valid. A code switches every pin the list holds it for.
std::vector<AlarmChoice> alarmChoices(const std::vector<ConditionEntry>& list);
// "Alarm ohne Kennung", then one choice per kind the list uses, switching
// every pin any code of that kind switches.
std::vector<AlarmChoice> alarmKindChoices(const std::vector<ConditionEntry>& list);

// How a bar ends: at a known moment, after a time nobody can tell, or never
// (it lasts until the program is closed by hand).
enum class BarEnd { At, Unknown, Never };

enum class BarStyle {
    Pin,        // a pin by its own times
    SoundPin,   // a pin switched while the sound plays
    Sound,      // the sound playing
    Radio,      // the raised radio volume
    ProgramEnd  // the moment the program ends by itself
};

struct CourseBar {
    BarStyle style = BarStyle::Pin;
    double start = 0;
    double end = 0;  // when endKind is At; equal to start for a moment
    BarEnd endKind = BarEnd::At;
    std::string label;   // drawn beside the bar
    std::string source;  // the settings it comes from
    bool operator==(const CourseBar&) const = default;
};

struct CourseRow {
    std::string caption;  // "Pin 3 (TXD)", "Sound", "Funk-Lautstärke", "Programmende"
    std::string remark;   // the pin's "Bemerkung", the sound's file name
    std::string note;     // why the row has no bar, or what it adds
    std::vector<CourseBar> bars;
};

struct AlarmCourse {
    std::string alarm;
    std::vector<CourseRow> rows;  // the three pins, sound, radio, program end
    std::vector<std::string> findings;
    double span = 0;  // seconds the time axis covers: every known moment
};

// Everything the course depends on, as the alarm program reads it.
struct CourseSettings {
    ComPortSettings pins;
    SoundSettings sound;
    FunkSettings funk;
    ProgramOptions options;
    SoundLength soundLength;                 // of sound.path
    std::optional<sys_seconds> silentUntil;  // a deactivation window runs until then
};

AlarmCourse buildAlarmCourse(const CourseSettings& settings, const AlarmChoice& alarm);

struct CourseSource {
    CourseSettings settings;
    std::vector<ConditionEntry> list;
    std::optional<std::string> listError;  // the list was not read whole
};

// What the course needs of Prog.ini; the sound file's length is asked only
// when the sound is played.
CourseSettings readCourseSettings(const IniFile& settings, const SoundLengthReader& soundLength,
                                  sys_seconds now);

// Reads Prog.ini and Alarmierung.dat of the program directory once each.
CourseSource readCourseSource(const std::string& programDirectory,
                              const SoundLengthReader& soundLength, sys_seconds now);

// The course of each choice, findings about the list's reading included.
std::vector<AlarmCourse> buildAlarmCourses(const CourseSource& source,
                                           const std::vector<AlarmChoice>& choices);

// "10 s", "1,5 s", "300 s (5:00 min)".
std::string formatSeconds(double seconds);
// When a bar runs: "10 s – 70 s", "ab 5 s, Länge unbekannt", "ab 0 s, bis zum Schließen".
std::string barTimes(const CourseBar& bar);
// One line per bar for lists and tooltips: row, times, label and source.
std::string describeBar(const CourseRow& row, const CourseBar& bar);

}  // namespace dravel::config
