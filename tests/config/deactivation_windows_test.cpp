#include <gtest/gtest.h>

#include "SettingsFileTest.h"
#include "config/extras/DeactivationWindows.h"

using namespace dravel::config;
using namespace std::chrono;

namespace {

sys_seconds utc(year_month_day day, int hour, int minute, int second = 0) {
    return sys_days(day) + hours(hour) + minutes(minute) + seconds(second);
}

// The instant a German clock shows this reading (its first occurrence).
sys_seconds german(year_month_day day, int hour, int minute) {
    return firstInstantAt(local_days(day) + hours(hour) + minutes(minute));
}

TEST(GermanTime, ChangesAt0100UtcOnTheLastSundaysOfMarchAndOctober) {
    const std::pair<sys_seconds, bool> cases[] = {
        {utc(2024y / March / 31, 0, 59, 59), false},  {utc(2024y / March / 31, 1, 0), true},
        {utc(2024y / October / 27, 0, 59, 59), true}, {utc(2024y / October / 27, 1, 0), false},
        {utc(2026y / March / 29, 1, 0), true},        {utc(2026y / March / 22, 12, 0), false},
        {utc(2026y / October / 25, 0, 30), true},     {utc(2026y / October / 25, 1, 30), false},
        {utc(2027y / March / 28, 1, 0), true},        {utc(2027y / October / 31, 1, 0), false},
        {utc(2028y / January / 1, 0, 0), false},      {utc(2028y / July / 1, 0, 0), true},
    };
    for (const auto& [instant, summer] : cases)
        EXPECT_EQ(isGermanSummerTime(instant), summer) << formatGermanDateTime(instant);
}

TEST(GermanTime, ReadingsInTheSkippedAndTheDoubledHour) {
    const std::pair<sys_seconds, sys_seconds> cases[] = {
        {german(2027y / March / 28, 1, 59), utc(2027y / March / 28, 0, 59)},
        {german(2027y / March / 28, 2, 0), utc(2027y / March / 28, 1, 0)},  // skipped: 03:00 MESZ
        {german(2027y / March / 28, 2, 30), utc(2027y / March / 28, 1, 0)},
        {german(2027y / March / 28, 3, 0), utc(2027y / March / 28, 1, 0)},
        {german(2027y / October / 31, 2, 30), utc(2027y / October / 31, 0, 30)},  // first time
        {german(2027y / October / 31, 3, 0), utc(2027y / October / 31, 2, 0)},
        {german(2027y / July / 1, 12, 0), utc(2027y / July / 1, 10, 0)},
        {german(2027y / December / 1, 12, 0), utc(2027y / December / 1, 11, 0)},
    };
    for (const auto& [instant, expected] : cases)
        EXPECT_EQ(instant, expected) << formatGermanDateTime(expected);
    EXPECT_EQ(formatGermanDateTime(utc(2027y / October / 31, 1, 30)), "31.10.2027 02:30");
    EXPECT_EQ(formatGermanDateTime(utc(2027y / October / 31, 0, 30)), "31.10.2027 02:30");
}

DeactivationSchedule schedule(int kind, std::string time, int duration) {
    DeactivationSchedule s;
    s.kind = kind;
    s.time = std::move(time);
    s.durationMinutes = duration;
    return s;
}

DeactivationSchedule weekly(int weekday, std::string time, int duration) {
    auto s = schedule(1, std::move(time), duration);
    s.weekday1 = weekday;
    return s;
}

DeactivationSchedule nthWeekday(int n, int weekday, std::string time, int duration) {
    auto s = schedule(2, std::move(time), duration);
    s.weekdayInMonth = n;
    s.weekday2 = weekday;
    return s;
}

DeactivationSchedule dayOfMonth(int day, std::string time, int duration) {
    auto s = schedule(3, std::move(time), duration);
    s.dayOfMonth = day - 1;
    return s;
}

std::vector<std::string> described(const DeactivationPlan& plan, std::size_t count) {
    std::vector<std::string> lines;
    for (std::size_t i = 0; i < count && i < plan.windows.size(); ++i) {
        const auto& w = plan.windows[i];
        lines.push_back(w.weekday + " " + formatGermanDateTime(w.start) + " - " +
                        formatGermanDateTime(w.end) + (w.note.empty() ? "" : " | " + w.note));
    }
    return lines;
}

struct WindowCase {
    const char* name;
    DeactivationSchedule schedule;
    sys_seconds now;
    std::vector<std::string> first;
};

TEST(DeactivationWindows, NextWindowsAcrossMonthEndsLeapYearsMidnightAndClockChanges) {
    const std::string skipped = "Beginn fällt in die übersprungene Stunde: beginnt um 03:00 Uhr";
    const WindowCase cases[] = {
        {"weekly",
         weekly(0, "22:00", 90),
         german(2026y / December / 7, 10, 0),
         {"Montag 07.12.2026 22:00 - 07.12.2026 23:30",
          "Montag 14.12.2026 22:00 - 14.12.2026 23:30"}},
        {"weekly, today's has ended",
         weekly(0, "22:00", 90),
         german(2026y / December / 7, 23, 30),
         {"Montag 14.12.2026 22:00 - 14.12.2026 23:30"}},
        {"across midnight, running",
         schedule(4, "23:00", 120),
         german(2026y / December / 8, 0, 30),
         {"Montag 07.12.2026 23:00 - 08.12.2026 01:00 | läuft gerade",
          "Dienstag 08.12.2026 23:00 - 09.12.2026 01:00"}},
        {"across the year's end",
         nthWeekday(0, 5, "23:00", 120),
         german(2026y / December / 6, 1, 0),
         {"Samstag 02.01.2027 23:00 - 03.01.2027 01:00",
          "Samstag 06.02.2027 23:00 - 07.02.2027 01:00"}},
        {"fourth Sunday",
         nthWeekday(3, 6, "08:00", 30),
         german(2027y / February / 1, 0, 0),
         {"Sonntag 28.02.2027 08:00 - 28.02.2027 08:30",
          "Sonntag 28.03.2027 08:00 - 28.03.2027 08:30"}},
        {"day 31 skips short months",
         dayOfMonth(31, "06:00", 30),
         german(2027y / January / 31, 7, 0),
         {"Mittwoch 31.03.2027 06:00 - 31.03.2027 06:30",
          "Montag 31.05.2027 06:00 - 31.05.2027 06:30",
          "Samstag 31.07.2027 06:00 - 31.07.2027 06:30"}},
        {"29 February of a leap year",
         dayOfMonth(29, "12:00", 60),
         german(2028y / January / 30, 0, 0),
         {"Dienstag 29.02.2028 12:00 - 29.02.2028 13:00",
          "Mittwoch 29.03.2028 12:00 - 29.03.2028 13:00"}},
        {"no 29 February in 2027",
         dayOfMonth(29, "12:00", 60),
         german(2027y / January / 30, 0, 0),
         {"Montag 29.03.2027 12:00 - 29.03.2027 13:00"}},
        {"month end, daily",
         schedule(4, "23:30", 60),
         german(2027y / February / 28, 12, 0),
         {"Sonntag 28.02.2027 23:30 - 01.03.2027 00:30"}},
        {"start in the skipped hour",
         schedule(4, "02:30", 60),
         german(2027y / March / 27, 12, 0),
         {"Sonntag 28.03.2027 03:00 - 28.03.2027 04:00 | " + skipped,
          "Montag 29.03.2027 02:30 - 29.03.2027 03:30"}},
        {"spring change inside",
         weekly(6, "01:30", 60),
         german(2027y / March / 27, 12, 0),
         {"Sonntag 28.03.2027 01:30 - 28.03.2027 03:30 | Umstellung auf Sommerzeit im Zeitraum",
          "Sonntag 04.04.2027 01:30 - 04.04.2027 02:30"}},
        {"doubled hour in autumn",
         weekly(6, "02:30", 30),
         german(2027y / October / 30, 12, 0),
         {"Sonntag 31.10.2027 02:30 - 31.10.2027 02:00 | Uhrzeit kommt zweimal vor: gilt ab dem "
          "ersten Mal; Umstellung auf Winterzeit im Zeitraum",
          "Sonntag 07.11.2027 02:30 - 07.11.2027 03:00"}},
        {"autumn change inside",
         weekly(6, "01:00", 180),
         german(2027y / October / 30, 12, 0),
         {"Sonntag 31.10.2027 01:00 - 31.10.2027 03:00 | Umstellung auf Winterzeit im Zeitraum"}},
        {"no duration",
         schedule(4, "12:00", 0),
         german(2027y / May / 3, 12, 0),
         {"Montag 03.05.2027 12:00 - 03.05.2027 12:00",
          "Dienstag 04.05.2027 12:00 - 04.05.2027 12:00"}},
    };
    for (const WindowCase& c : cases) {
        const DeactivationPlan plan = planDeactivations(c.schedule, c.now);
        EXPECT_EQ(plan.windows.size(), kPlannedWindows) << c.name;
        EXPECT_EQ(described(plan, c.first.size()), c.first) << c.name;
        for (std::size_t i = 1; i < plan.windows.size(); ++i)
            EXPECT_LT(plan.windows[i - 1].start, plan.windows[i].start) << c.name;
    }
}

TEST(DeactivationWindows, NotesOfTheWholePlan) {
    const sys_seconds now = german(2027y / May / 3, 12, 0);
    const std::pair<DeactivationSchedule, std::vector<std::string>> cases[] = {
        {schedule(0, "12:00", 10), {"Es findet keine Deaktivierung des Programms statt."}},
        {schedule(5, "12:00", 10), {"Unbekannte Art der Deaktivierung (5)"}},
        {schedule(-1, "12:00", 10), {"Unbekannte Art der Deaktivierung (-1)"}},
        {weekly(-1, "12:00", 10), {"Kein Wochentag gewählt: es findet keine Deaktivierung statt."}},
        {nthWeekday(0, 7, "12:00", 10),
         {"Kein Wochentag gewählt: es findet keine Deaktivierung statt."}},
        {nthWeekday(-1, 0, "12:00", 10),
         {"Keine Woche im Monat gewählt: es findet keine Deaktivierung statt."}},
        {dayOfMonth(0, "12:00", 10),
         {"Kein Tag im Monat gewählt: es findet keine Deaktivierung statt."}},
        {schedule(4, "  :  ", 10), {"'  :  ' ist keine gültige Uhrzeit"}},
    };
    for (const auto& [s, notes] : cases) {
        const DeactivationPlan plan = planDeactivations(s, now);
        EXPECT_EQ(plan.notes, notes);
        EXPECT_TRUE(plan.windows.empty());
    }
    EXPECT_EQ(planDeactivations(dayOfMonth(31, "12:00", 10), now).notes,
              std::vector<std::string>{"Monate ohne einen 31. Tag werden übersprungen: in ihnen "
                                       "findet keine Deaktivierung statt."});
    EXPECT_EQ(planDeactivations(schedule(4, "12:00", -5), now).notes,
              std::vector<std::string>{"Dauer 0 Minuten: Beginn und Ende fallen zusammen, das "
                                       "Programm wird praktisch nicht deaktiviert."});
    const auto fifth = planDeactivations(nthWeekday(4, 4, "12:00", 10), now);
    EXPECT_EQ(described(fifth, 2),
              (std::vector<std::string>{"Freitag 30.07.2027 12:00 - 30.07.2027 12:10",
                                        "Freitag 29.10.2027 12:00 - 29.10.2027 12:10"}));
}

using DeactivationScheduleFile = SettingsFileTest;

TEST_F(DeactivationScheduleFile, ReadsTheKeysWithTheSummarysDefaults) {
    store("[Funktionsprobe]\nArt=2\n");
    const auto defaults = load<DeactivationSchedule>();
    EXPECT_EQ(defaults.weekday1, 1);
    EXPECT_EQ(defaults.weekday2, 1);
    EXPECT_EQ(defaults.weekdayInMonth, 0);
    EXPECT_EQ(defaults.dayOfMonth, 1);
    EXPECT_EQ(defaults.time, "00:00");
    EXPECT_EQ(defaults.durationMinutes, 0);
    store(
        "[funktionsprobe]\nArt=3\nWochentag1=4\nWochentag im Monat=2\nWochentag2=6\n"
        "Tag im Monat=30\nUhrzeit=22:15\nDauer=0x10\n");
    const auto s = load<DeactivationSchedule>();
    EXPECT_EQ((std::vector<int>{s.kind, s.weekday1, s.weekdayInMonth, s.weekday2, s.dayOfMonth,
                                s.durationMinutes}),
              (std::vector<int>{3, 4, 2, 6, 30, 16}));
    EXPECT_EQ(s.time, "22:15");
}

}  // namespace
