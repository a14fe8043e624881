#include "SummaryTestSupport.h"
#include "config/settings/TimeOfDay.h"

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

std::string window(const std::string& from, const std::string& to) {
    return "," + BR + "in der Zeit von " + from + " - " + to + " Uhr deaktiviert";
}

TEST_F(SummarySchedule, SentencesByKindWithTheSummarysDefaults) {
    const std::string every = "Das Programm wird jeden ";
    const std::string noWeekday = "(kein gültiger Wochentag)";
    const std::pair<std::string, std::string> cases[] = {
        {"Art=1\nWochentag1=0\nUhrzeit=22:00\nDauer=90\n",
         every + "Montag" + window("22:00", "23:30")},
        {"Art=2\nWochentag im Monat=0\nWochentag2=5\nUhrzeit=23:00\nDauer=120\n",
         every + "1. Samstag" + window("23:00", "01:00")},
        {"Art=3\nTag im Monat=14\nUhrzeit=06:15\nDauer=15\n",
         every + "15. im Monat" + window("06:15", "06:30")},
        {"Art=4\nUhrzeit=19:30\nDauer=45\n",
         "Das Programm wird täglich" + window("19:30", "20:15")},
        // The stored time is shown as stored.
        {"Art=4\nUhrzeit=7:5\nDauer=60\n", "Das Programm wird täglich" + window("7:5", "08:05")},
        {"Art=1\n", every + "Dienstag" + window("00:00", "00:00")},
        {"Art=2\n", every + "1. Dienstag" + window("00:00", "00:00")},
        {"Art=3\n", every + "2. im Monat" + window("00:00", "00:00")},
        {"Art=1\nWochentag1=6\n", every + "Sonntag" + window("00:00", "00:00")},
        {"Art=1\nWochentag1=-1\n", every + noWeekday + window("00:00", "00:00")},
        {"Art=1\nWochentag1=7\n", every + noWeekday + window("00:00", "00:00")},
        {"Art=1\nWochentag1=100\n", every + noWeekday + window("00:00", "00:00")},
        {"Art=2\nWochentag2=-1\nWochentag Im Monat=3\n",
         every + "4. " + noWeekday + window("00:00", "00:00")},
        // The largest stored index still counts on instead of wrapping round.
        {"Art=2\nWochentag im Monat=2147483647\nWochentag2=0\n",
         every + "2147483648. Montag" + window("00:00", "00:00")},
        {"Art=3\nTag im Monat=2147483647\n",
         every + "2147483648. im Monat" + window("00:00", "00:00")},
        // Without a window no valid time is needed.
        {"Art=0\nUhrzeit=kaputt\n", "Es findet keine Deaktivierung des Programms statt."},
        {"Art=5\nUhrzeit=\n", "Unbekannte Art der Deaktivierung (5)"},
        {"Art=-1\nUhrzeit=\n", "Unbekannte Art der Deaktivierung (-1)"},
    };
    for (const auto& [keys, sentence] : cases) {
        const auto t = summarize("[Funktionsprobe]\n" + keys);
        EXPECT_EQ(t.schedule, sentence) << keys;
        EXPECT_FALSE(t.scheduleError.has_value()) << keys;
    }
}

TEST_F(SummarySchedule, AnInvalidTimeStopsBeforeTheSchedulePanel) {
    // A NUL byte would end the message box text; it shows as a blank.
    const std::pair<std::string, std::string> cases[] = {
        {"", ""}, {"__:__", "__:__"}, {"25:00", "25:00"}, {std::string("1\0:00", 5), "1 :00"}};
    for (const auto& [stored, shown] : cases) {
        const auto t = summarize("[Funk]\nOnOff=1\n[Funktionsprobe]\nArt=1\nUhrzeit=" + stored +
                                 "\nDauer=30\n");
        EXPECT_FALSE(t.schedule.has_value());
        EXPECT_EQ(t.scheduleError, "'" + shown + "' ist keine gültige Uhrzeit");
        EXPECT_EQ(t.scheduleError->find('\0'), std::string::npos);
        EXPECT_EQ(t.volume.rfind("Für die Soundkarte \"Karte A\"", 0), 0u);
    }
}

}  // namespace
