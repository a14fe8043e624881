#include "SummaryTestSupport.h"
#include "config/TimeOfDay.h"

using namespace dravel::config;
using namespace dravel::config::summarytest;

namespace {

TEST(TimeOfDay, ReadsWhatTheTimeFieldAndThePlatformAccept) {
    EXPECT_EQ(parseTimeOfDay("22:00"), 22 * 3600);
    EXPECT_EQ(parseTimeOfDay("07:05"), 7 * 3600 + 5 * 60);
    EXPECT_EQ(parseTimeOfDay("7:5"), 7 * 3600 + 5 * 60);
    EXPECT_EQ(parseTimeOfDay(" 23 : 59 : 30 "), 23 * 3600 + 59 * 60 + 30);
    EXPECT_EQ(parseTimeOfDay("12"), 12 * 3600);
    EXPECT_EQ(parseTimeOfDay("00:00"), 0);
}

TEST(TimeOfDay, RejectsWhatIsNoTimeOfDay) {
    for (const char* text : {"", "  :  ", "__:__", "24:00", "12:60", "12:00:60", "12:", ":30",
                             "12:30x", "1230000000:00", "-1:00", "12.30"})
        EXPECT_FALSE(parseTimeOfDay(text).has_value()) << '"' << text << '"';
}

TEST(TimeOfDay, AddsMinutesAroundTheClock) {
    EXPECT_EQ(formatHoursMinutes(addMinutes(22 * 3600, 90)), "23:30");
    EXPECT_EQ(formatHoursMinutes(addMinutes(23 * 3600, 120)), "01:00");
    EXPECT_EQ(formatHoursMinutes(addMinutes(0, 24 * 60)), "00:00");
    EXPECT_EQ(formatHoursMinutes(addMinutes(0, -30)), "23:30");
    EXPECT_EQ(formatHoursMinutes(addMinutes(23 * 3600 + 59 * 60 + 59, 0)), "23:59");
    EXPECT_EQ(formatHoursMinutes(addMinutes(3600, 2147483647LL)),
              formatHoursMinutes(addMinutes(3600, 2147483647LL % 1440)));
}

using SummarySchedule = SummaryTest;

TEST_F(SummarySchedule, WeeklyWindow) {
    const auto t = summarize("[Funktionsprobe]\nArt=1\nWochentag1=0\nUhrzeit=22:00\nDauer=90\n");
    EXPECT_EQ(t.schedule, "Das Programm wird jeden Montag," + BR +
                              "in der Zeit von 22:00 - 23:30 Uhr deaktiviert");
}

TEST_F(SummarySchedule, MonthlyByWeekdayPastMidnight) {
    const auto t = summarize(
        "[Funktionsprobe]\nArt=2\nWochentag im Monat=0\nWochentag2=5\nUhrzeit=23:00\nDauer=120\n");
    EXPECT_EQ(t.schedule, "Das Programm wird jeden 1. Samstag," + BR +
                              "in der Zeit von 23:00 - 01:00 Uhr deaktiviert");
}

TEST_F(SummarySchedule, MonthlyByDayAndDaily) {
    auto t = summarize("[Funktionsprobe]\nArt=3\nTag im Monat=14\nUhrzeit=06:15\nDauer=15\n");
    EXPECT_EQ(t.schedule, "Das Programm wird jeden 15. im Monat," + BR +
                              "in der Zeit von 06:15 - 06:30 Uhr deaktiviert");
    t = summarize("[Funktionsprobe]\nArt=4\nUhrzeit=19:30\nDauer=45\n");
    EXPECT_EQ(t.schedule,
              "Das Programm wird täglich," + BR + "in der Zeit von 19:30 - 20:15 Uhr deaktiviert");
}

TEST_F(SummarySchedule, DefaultsOfTheSummary) {
    auto t = summarize("[Funktionsprobe]\nArt=3\n");
    EXPECT_EQ(t.schedule, "Das Programm wird jeden 2. im Monat," + BR +
                              "in der Zeit von 00:00 - 00:00 Uhr deaktiviert");
    t = summarize("[Funktionsprobe]\nArt=1\n");
    EXPECT_EQ(t.schedule->rfind("Das Programm wird jeden Dienstag,", 0), 0u);
    t = summarize("[Funktionsprobe]\nArt=2\n");
    EXPECT_EQ(t.schedule->rfind("Das Programm wird jeden 1. Dienstag,", 0), 0u);
}

TEST_F(SummarySchedule, TheStoredTimeIsShownAsStored) {
    const auto t = summarize("[Funktionsprobe]\nArt=4\nUhrzeit=7:5\nDauer=60\n");
    EXPECT_EQ(t.schedule,
              "Das Programm wird täglich," + BR + "in der Zeit von 7:5 - 08:05 Uhr deaktiviert");
}

TEST_F(SummarySchedule, AnInvalidTimeStopsBeforeTheSchedulePanel) {
    for (const char* stored : {"", "__:__", "25:00"}) {
        const auto t = summarize(std::string("[Funk]\nOnOff=1\n[Funktionsprobe]\nArt=1\nUhrzeit=") +
                                 stored + "\nDauer=30\n");
        EXPECT_FALSE(t.schedule.has_value());
        EXPECT_EQ(t.scheduleError, std::string("'") + stored + "' ist keine gültige Uhrzeit");
        EXPECT_EQ(t.volume.rfind("Für die Soundkarte \"Karte A\"", 0), 0u);
    }
}

TEST_F(SummarySchedule, NoWindowNeedsNoValidTime) {
    const auto t = summarize("[Funktionsprobe]\nArt=0\nUhrzeit=kaputt\n");
    EXPECT_EQ(t.schedule, "Es findet keine Deaktivierung des Programms statt.");
    EXPECT_FALSE(t.scheduleError.has_value());
}

TEST_F(SummarySchedule, WeekdaysOutsideTheWeekAreNamedAsSuch) {
    for (const char* weekday : {"-1", "7", "100"}) {
        const auto t =
            summarize(std::string("[Funktionsprobe]\nArt=1\nWochentag1=") + weekday + "\n");
        EXPECT_EQ(t.schedule->rfind("Das Programm wird jeden (kein gültiger Wochentag),", 0), 0u)
            << weekday;
    }
    const auto t = summarize("[Funktionsprobe]\nArt=2\nWochentag2=-1\nWochentag Im Monat=3\n");
    EXPECT_EQ(t.schedule->rfind("Das Programm wird jeden 4. (kein gültiger Wochentag),", 0), 0u);
    EXPECT_EQ(summarize("[Funktionsprobe]\nArt=1\nWochentag1=6\n")
                  .schedule->rfind("Das Programm wird jeden Sonntag,", 0),
              0u);
}

TEST_F(SummarySchedule, AnUnknownKindIsNamedWithoutTimeWindow) {
    for (const char* kind : {"5", "-1"}) {
        const auto t = summarize(std::string("[Funktionsprobe]\nArt=") + kind + "\nUhrzeit=\n");
        EXPECT_EQ(t.schedule, std::string("Unbekannte Art der Deaktivierung (") + kind + ")");
        EXPECT_FALSE(t.scheduleError.has_value());
    }
}

}  // namespace
