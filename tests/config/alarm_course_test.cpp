// The course of one alarm: when each row's bars run, and what is found wrong.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "config/SettingsFileTest.h"
#include "config/conditions/ConditionList.h"
#include "config/extras/AlarmCourse.h"
#include "config/storage/Cp1252.h"
#include "config/storage/IniFile.h"

using namespace dravel::config;
using namespace std::chrono;

namespace {

// Choice 1: "5-Ton 12345 – Tor" (Pin 3 and Pin 7), 2: "FMS 6123456780 – RTW" (Pin 4).
const std::vector<ConditionEntry> kList = {
    {"0", "0", "Tor", "12345", ""},
    {"1", "2", "RTW", "6123456780", ""},
    {"2", "0", "Sirene", "12345", ""},
    {"7", "0", "kaputt", "54321", ""},
};

enum Row { kPin3, kPin4, kPin7, kSound, kRadio, kEnd };

// Prog.ini sections, as the windows write them.
std::string pin(int index, int wait, int duration, int start = 0) {
    return "[Pin" + std::to_string(index) + "]\nAusgang Aktiv=1\nWarten=" + std::to_string(wait) +
           "\nDauer=" + std::to_string(duration) + "\nStart=" + std::to_string(start) + "\n";
}
// The stand-in reads the playing time from the path: "2.5" plays 2.5 s.
std::string sound(int wait, const std::string& path, int switched = -1) {
    return "[Sound]\nPlay=1\nPfad=" + path + "\nWait=" + (wait > 0 ? "1" : "0") +
           "\nWait Time=" + std::to_string(wait) + "\nAnsteuern=" + (switched >= 0 ? "1" : "0") +
           "\nAnsteuern Pin=" + std::to_string(switched) + "\n";
}
std::string radio(int start, int startTime, int end, int endTime, int followed = -1) {
    return "[Funk]\nOnOff=1\nStart=" + std::to_string(start) +
           "\nStart Zeit=" + std::to_string(startTime) + "\nEnde=" + std::to_string(end) +
           "\nEnde Zeit=" + std::to_string(endTime) + "\nPin=" + std::to_string(followed) +
           "\nStartVolume=52428\nEndLautstärke=1\n";
}
const std::string kEnds = "[Prog]\nEnde=1\n";
const std::string kExtern = "[ComPort]\nExtern=1\n";
const std::string kDailyTest = "[Funktionsprobe]\nArt=4\nUhrzeit=22:00\nDauer=30\n";
// Monday 22:10 German time, in the daily test window.
const sys_seconds kNow = floor<seconds>(sys_days(2026y / December / 7) + 21h + 10min);

struct Case {
    const char* name;
    std::string settings;
    int choice;
    Row row;
    std::vector<std::string> bars;  // barTimes of the row's bars, in order
    std::string shown;              // a part of the row's note and bar labels
    std::string finding;            // a part of the only finding ("" = no finding)
};

void PrintTo(const Case& c, std::ostream* out) {
    *out << c.name;
}

// One case a line or two, so the table reads as one.
// clang-format off
const Case kCases[] = {
    {"pin with wait and duration", pin(0, 10, 60), 0, kPin3, {"10 s – 70 s (1:10 min)"}, "Dauer 60 s", ""},
    {"inactive pin", "", 0, kPin4, {}, "deaktiviert", ""},
    {"code pin, matching code", pin(1, 99, 30, 1), 2, kPin4, {"0 s – 30 s"}, "", ""},
    {"code pin, other code", pin(1, 0, 30, 1), 1, kPin4, {}, "nicht bei diesem", ""},
    {"code pin, no code", pin(2, 0, 30, 1), 0, kPin7, {}, "nicht bei diesem", ""},
    {"one code switches two pins", pin(2, 0, 45, 1), 1, kPin7, {"0 s – 45 s"}, "", ""},
    {"sound with wait", sound(5, "2.5"), 0, kSound, {"5 s – 7,5 s"}, "Spielzeit 2,5 s", ""},
    {"sound switches its pin", sound(5, "2.5", 1), 0, kPin4, {"5 s – 7,5 s"}, "deaktiviert", ""},
    {"no sound", "", 0, kSound, {}, "keine Sounddatei", ""},
    {"radio at start, for seconds", radio(0, 0, 1, 20), 0, kRadio, {"0 s – 20 s"}, "80 % → stumm (MUTE)", ""},
    {"radio volume missing is full", "[Funk]\nOnOff=1\nStart=0\nEnde=1\n", 0, kRadio, {"bei 0 s"}, "100 %", ""},
    {"radio after seconds, to program end", pin(0, 0, 40) + radio(1, 15, 0, 0) + kEnds, 0, kRadio,
     {"15 s – 40 s"}, "", ""},
    {"radio with a pin, to its end", pin(0, 10, 60) + radio(2, 0, 2, 0, 0), 0, kRadio, {"10 s – 70 s (1:10 min)"}, "", ""},
    {"radio to the end of a program left open", radio(1, 15, 0, 0), 0, kRadio, {"ab 15 s, ohne Ende"}, "", ""},
    {"program ends after the last action", pin(0, 10, 60) + sound(0, "1.5") + kEnds, 0, kEnd,
     {"bei 70 s (1:10 min)"}, "Ende", ""},
    {"program stays open", pin(0, 10, 60), 0, kEnd, {}, "bleibt offen", ""},
    {"pin with duration 0", pin(0, 10, 0), 0, kPin3, {"bei 10 s"}, "",
     "„Dauer“ ist 0 – die Ansteuerung erfolgt nach 10 Sekunden für eine Zeit von 0 Sekunden"},
    {"radio follows an inactive pin", radio(2, 0, 0, 0, 1), 0, kRadio, {}, "startet bei diesem Alarm nie",
     "folgt Pin 4 (DTR), der deaktiviert ist"},
    {"radio follows no pin", radio(2, 0, 1, 5, -1), 0, kRadio, {}, "", "folgt keinem Pin ([Funk] „Pin“ ist nicht gewählt)"},
    {"radio follows a pin this alarm does not switch", pin(1, 0, 30, 1) + radio(2, 0, 2, 0, 1), 1, kRadio, {}, "",
     "bei diesem Alarm nicht"},
    {"radio ends with no pin", radio(0, 0, 2, 0, -1) + kEnds, 0, kEnd, {}, "bleibt offen",
     "die Regelung endet nicht von selbst"},
    {"sound pin is also a timed pin", pin(0, 0, 10) + sound(0, "3", 0), 0, kPin3, {"0 s – 10 s", "0 s – 3 s"}, "",
     "Die Spielzeit des Sounds hat ebenfalls Einfluss auf die Ansteuerungszeit"},
    {"sound file cannot be read", sound(0, "fehlt.wav"), 0, kSound, {"ab 0 s, Ende unbekannt"}, "",
     "kann nicht gelesen werden: die Datei ist nicht vorhanden"},
    {"deactivation window running", kDailyTest, 0, kPin3, {}, "", "läuft gerade, bis 07.12.2026 22:30 Uhr"},
    {"push-button without signal source at first", pin(0, 10, 20) + kExtern + kEnds, 0, kPin3, {"10 s – 30 s"}, "",
     "aber von 0 s bis 10 s ist kein Ausgang angesteuert"},
    {"push-button after the outputs of an open program", pin(0, 0, 20) + kExtern, 0, kEnd, {}, "bleibt offen",
     "aber ab 20 s ist kein Ausgang angesteuert"},
    {"push-button with outputs on throughout", pin(0, 0, 20) + pin(2, 20, 5) + sound(0, "1.25", 1) + kExtern + kEnds,
     0, kPin4, {"0 s – 1,25 s"}, "", ""},
};
// clang-format on

class Course : public SettingsFileTest, public ::testing::WithParamInterface<Case> {};

TEST_P(Course, RowAndFindings) {
    const Case& c = GetParam();
    store(utf8ToCp1252(c.settings));  // the file is Windows-1252
    const SoundLengthReader length = [](const std::string& path) {
        return path == "fehlt.wav" ? SoundLength{std::nullopt, "die Datei ist nicht vorhanden"}
                                   : SoundLength{std::stod(path), ""};
    };
    const CourseSettings settings = readCourseSettings(IniFile(path()), length, kNow);
    const AlarmCourse course = buildAlarmCourse(settings, alarmChoices(kList).at(c.choice));
    ASSERT_EQ(course.rows.size(), 6u);
    const CourseRow& row = course.rows[c.row];
    std::vector<std::string> times;
    std::string shown = row.note;
    for (const CourseBar& bar : row.bars) {
        times.push_back(barTimes(bar));
        shown += " | " + bar.label;
    }
    EXPECT_EQ(times, c.bars);
    EXPECT_NE(shown.find(c.shown), std::string::npos) << shown;
    if (c.finding.empty()) {
        EXPECT_TRUE(course.findings.empty()) << course.findings.front();
    } else {
        ASSERT_EQ(course.findings.size(), 1u) << course.findings.front();
        EXPECT_NE(course.findings[0].find(c.finding), std::string::npos) << course.findings[0];
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, Course, ::testing::ValuesIn(kCases), [](const auto& info) {
    std::string name;
    for (const char* p = info.param.name; *p; ++p)
        if (std::isalnum(static_cast<unsigned char>(*p))) name += *p;
    return name;
});

TEST(AlarmChoices, CaptionsAndPinsByCodeAndByKind) {
    const auto codes = alarmChoices(kList);
    ASSERT_EQ(codes.size(), 4u);  // the entry with pin 7 is left out
    EXPECT_EQ(codes[0].caption, "Alarm ohne Kennung");
    EXPECT_EQ(codes[1].caption, "5-Ton 12345 – Tor");
    EXPECT_EQ(codes[2].caption, "FMS 6123456780 – RTW");
    EXPECT_EQ(codes[3].entries[2], std::vector<std::string>{"12345 – Sirene"});
    EXPECT_EQ(codes[3].entries[0], std::vector<std::string>{"12345 – Tor"});
    const auto kinds = alarmKindChoices(kList);
    ASSERT_EQ(kinds.size(), 3u);  // no POSAC entry
    EXPECT_EQ(kinds[1].caption, "5-Ton-Alarm, jede Kennung der Liste");
    EXPECT_EQ(kinds[2].entries[1], std::vector<std::string>{"6123456780 – RTW"});
}

}  // namespace
