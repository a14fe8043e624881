// The course of one alarm: when each row's bars run, and what is found wrong.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "config/SettingsFileTest.h"
#include "config/conditions/ConditionList.h"
#include "config/extras/AlarmCourse.h"
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

void pin(CourseSettings& s, int index, int wait, int duration, int startMode = 0) {
    s.pins.pins[index] = {"", wait, duration, true, startMode};
}

void sound(CourseSettings& s, int wait, std::optional<double> length, int switchedPin = -1) {
    s.sound = {true, "C:\\Kalvor\\gong.wav", wait > 0, wait, switchedPin >= 0, switchedPin};
    s.soundLength = {length, length ? "" : "die Datei ist nicht vorhanden"};
}

void radio(CourseSettings& s, int start, int startTime, int end, int endTime, int followed = -1) {
    s.funk.onOff = true;
    s.funk.start = start;
    s.funk.startTime = startTime;
    s.funk.end = end;
    s.funk.endTime = endTime;
    s.funk.pin = followed;
    s.funk.startVolume = 52428;  // 80 %
    s.funk.endVolumeMode = 1;
}

struct Case {
    const char* name;
    std::function<void(CourseSettings&)> setUp;
    int choice;
    Row row;
    std::vector<std::string> bars;  // barTimes of the row's bars, in order
    std::string note;               // a part of the row's note ("" = none)
    std::string finding;            // a part of the only finding ("" = no finding)
};

const Case kCases[] = {
    {"pin with wait and duration",
     [](auto& s) { pin(s, 0, 10, 60); },
     0,
     kPin3,
     {"10 s – 70 s (1:10 min)"},
     "",
     ""},
    {"inactive pin", [](auto&) {}, 0, kPin4, {}, "deaktiviert", ""},
    {"code pin, matching code",
     [](auto& s) { pin(s, 1, 99, 30, 1); },
     2,
     kPin4,
     {"0 s – 30 s"},
     "",
     ""},
    {"code pin, other code",
     [](auto& s) { pin(s, 1, 0, 30, 1); },
     1,
     kPin4,
     {},
     "nicht bei diesem",
     ""},
    {"code pin, no code",
     [](auto& s) { pin(s, 2, 0, 30, 1); },
     0,
     kPin7,
     {},
     "nicht bei diesem",
     ""},
    {"one code switches two pins",
     [](auto& s) { pin(s, 2, 0, 45, 1); },
     1,
     kPin7,
     {"0 s – 45 s"},
     "",
     ""},
    {"sound with wait", [](auto& s) { sound(s, 5, 2.5); }, 0, kSound, {"5 s – 7,5 s"}, "", ""},
    {"sound switches its pin",
     [](auto& s) { sound(s, 5, 2.5, 1); },
     0,
     kPin4,
     {"5 s – 7,5 s"},
     "deaktiviert",
     ""},
    {"no sound", [](auto&) {}, 0, kSound, {}, "keine Sounddatei", ""},
    {"radio at start, for seconds",
     [](auto& s) { radio(s, 0, 0, 1, 20); },
     0,
     kRadio,
     {"0 s – 20 s"},
     "",
     ""},
    {"radio after seconds, to program end",
     [](auto& s) {
         pin(s, 0, 0, 40);
         radio(s, 1, 15, 0, 0);
     },
     0,
     kRadio,
     {"15 s – 40 s"},
     "",
     ""},
    {"radio with a pin, to its end",
     [](auto& s) {
         pin(s, 0, 10, 60);
         radio(s, 2, 0, 2, 0, 0);
     },
     0,
     kRadio,
     {"10 s – 70 s (1:10 min)"},
     "",
     ""},
    {"radio to the end of a program left open",
     [](auto& s) {
         radio(s, 1, 15, 0, 0);
         s.options.autoEnd = false;
     },
     0,
     kRadio,
     {"ab 15 s, ohne Ende"},
     "",
     ""},
    {"program ends after the last action",
     [](auto& s) {
         pin(s, 0, 10, 60);
         sound(s, 0, 1.5);
     },
     0,
     kEnd,
     {"bei 70 s (1:10 min)"},
     "",
     ""},
    {"program stays open",
     [](auto& s) { s.options.autoEnd = false; },
     0,
     kEnd,
     {},
     "bleibt offen",
     ""},
    {"pin with duration 0",
     [](auto& s) { pin(s, 0, 10, 0); },
     0,
     kPin3,
     {"bei 10 s"},
     "",
     "„Dauer“ ist 0 – die Ansteuerung erfolgt nach 10 Sekunden für eine Zeit von 0 Sekunden"},
    {"radio follows an inactive pin",
     [](auto& s) { radio(s, 2, 0, 0, 0, 1); },
     0,
     kRadio,
     {},
     "startet bei diesem Alarm nie",
     "folgt Pin 4 (DTR), der deaktiviert ist"},
    {"radio follows no pin",
     [](auto& s) { radio(s, 2, 0, 1, 5, -1); },
     0,
     kRadio,
     {},
     "startet bei diesem Alarm nie",
     "folgt keinem Pin ([Funk] „Pin“ ist nicht gewählt)"},
    {"radio follows a pin this alarm does not switch",
     [](auto& s) {
         pin(s, 1, 0, 30, 1);
         radio(s, 2, 0, 2, 0, 1);
     },
     1,
     kRadio,
     {},
     "startet bei diesem Alarm nie",
     "bei diesem Alarm nicht"},
    {"radio ends with no pin",
     [](auto& s) {
         radio(s, 0, 0, 2, 0, -1);
         s.options.autoEnd = true;
     },
     0,
     kEnd,
     {},
     "bleibt offen",
     "die Regelung endet nicht von selbst"},
    {"sound pin is also a timed pin",
     [](auto& s) {
         pin(s, 0, 0, 10);
         sound(s, 0, 3, 0);
     },
     0,
     kPin3,
     {"0 s – 10 s", "0 s – 3 s"},
     "",
     "Die Spielzeit des Sounds hat ebenfalls Einfluss auf die Ansteuerungszeit"},
    {"sound file cannot be read",
     [](auto& s) { sound(s, 0, std::nullopt); },
     0,
     kSound,
     {"ab 0 s, Ende unbekannt"},
     "",
     "kann nicht gelesen werden: die Datei ist nicht vorhanden"},
    {"deactivation window running",
     [](auto& s) { s.silentUntil = floor<seconds>(sys_days(2026y / December / 7) + 21h + 30min); },
     0,
     kPin3,
     {},
     "deaktiviert",
     "läuft gerade, bis 07.12.2026 22:30 Uhr"},
    {"push-button without signal source at first",
     [](auto& s) {
         pin(s, 0, 10, 20);
         s.options.externStop = true;
     },
     0,
     kPin3,
     {"10 s – 30 s"},
     "",
     "von 0 s bis 10 s ist kein Ausgang angesteuert"},
    {"push-button after the outputs of an open program",
     [](auto& s) {
         pin(s, 0, 0, 20);
         s.options.externStop = true;
         s.options.autoEnd = false;
     },
     0,
     kEnd,
     {},
     "bleibt offen",
     "ab 20 s ist kein Ausgang angesteuert"},
    {"push-button with outputs on throughout",
     [](auto& s) {
         pin(s, 0, 0, 20);
         pin(s, 2, 20, 5);
         sound(s, 0, 1.25, 1);
         s.options.externStop = true;
     },
     0,
     kPin4,
     {"0 s – 1,25 s"},
     "deaktiviert",
     ""},
};

void PrintTo(const Case& c, std::ostream* out) {
    *out << c.name;
}

class Course : public ::testing::TestWithParam<Case> {};

TEST_P(Course, RowAndFindings) {
    const Case& c = GetParam();
    CourseSettings settings;
    c.setUp(settings);
    const auto choices = alarmChoices(kList);
    const AlarmCourse course = buildAlarmCourse(settings, choices.at(c.choice));
    ASSERT_EQ(course.rows.size(), 6u);
    const CourseRow& row = course.rows[c.row];
    std::vector<std::string> times;
    for (const CourseBar& bar : row.bars) times.push_back(barTimes(bar));
    EXPECT_EQ(times, c.bars);
    if (c.note.empty()) {
        EXPECT_EQ(row.note, "");
    }
    EXPECT_NE(row.note.find(c.note), std::string::npos) << row.note;
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

TEST(FormatSeconds, WholeFractionsAndMinutes) {
    const std::pair<double, const char*> cases[] = {{0, "0 s"},
                                                    {1.5, "1,5 s"},
                                                    {1.2339, "1,234 s"},
                                                    {59.9999, "60 s (1:00 min)"},
                                                    {1800, "1800 s (30:00 min)"}};
    for (const auto& [seconds, text] : cases) EXPECT_EQ(formatSeconds(seconds), text) << seconds;
}

// The files are read with the alarm program's defaults, and the list as it is on disk.
class CourseSourceFile : public SettingsFileTest {};

TEST_F(CourseSourceFile, ReadsBothFilesAsTheAlarmProgramDoes) {
    const std::string directory = (dir_ / "").string();
    store(
        "[Funk]\r\nOnOff=1\r\nStart=0\r\nEnde=0\r\n[Sound]\r\nPlay=1\r\nPfad=a.wav\r\n"
        "[Funktionsprobe]\r\nArt=4\r\nUhrzeit=10:00\r\nDauer=30\r\n");
    writeConditionList(directory, kList);
    std::string asked;
    const auto length = [&](const std::string& path) {
        asked = path;
        return SoundLength{4.0, ""};
    };
    const auto now = floor<seconds>(sys_days(2026y / December / 7) + 9h + 10min);  // 10:10 MEZ
    const dravel::config::CourseSource source = readCourseSource(directory, length, now);
    EXPECT_EQ(asked, "a.wav");
    EXPECT_EQ(source.list, kList);
    const AlarmCourse course = buildAlarmCourse(source.settings, alarmChoices(source.list)[0]);
    EXPECT_EQ(course.rows[kRadio].bars.at(0).label, "100 % → Endlautstärke nicht gewählt");
    EXPECT_EQ(course.rows[kEnd].note.substr(0, 12), "bleibt offen");
    ASSERT_TRUE(source.settings.silentUntil);
    EXPECT_EQ(formatGermanDateTime(*source.settings.silentUntil), "07.12.2026 10:30");
}

}  // namespace
