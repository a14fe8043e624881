#include "config/extras/DeactivationWindows.h"

#include <algorithm>
#include <optional>

#include "config/settings/TimeOfDay.h"

namespace dravel::config {
namespace {

using namespace std::chrono;

// Far enough for twelve windows of any schedule that has them at all.
constexpr days kSearchAhead{20 * 366};
// A window that started this long ago may still be running.
constexpr int kLongestLookBackDays = 400;

int weekdayIndex(local_days day) {
    return static_cast<int>(weekday(day).iso_encoding()) - 1;  // Montag = 0
}

bool validWeekday(int index) {
    return index >= 0 && index < static_cast<int>(kGermanWeekdays.size());
}

class Planner {
public:
    Planner(const DeactivationSchedule& schedule, sys_seconds now)
        : s_(schedule), now_(now), duration_(std::max(schedule.durationMinutes, 0)) {}

    DeactivationPlan plan(std::size_t count) {
        const auto start = parseTimeOfDay(s_.time);
        if (!explainSchedule(start)) return std::move(plan_);
        const auto today = floor<days>(toGermanTime(now_));
        const days lookBack{std::min(duration_ / (24 * 60) + 1, kLongestLookBackDays)};
        for (local_days day = today - lookBack;
             day <= today + kSearchAhead && plan_.windows.size() < count; day += days{1}) {
            if (chosen(year_month_day(day))) addWindow(day, seconds{*start});
        }
        return std::move(plan_);
    }

private:
    // Notes what holds for all windows; false when there are none.
    bool explainSchedule(const std::optional<SecondsOfDay>& start) {
        if (s_.kind == 0) return refuse("Es findet keine Deaktivierung des Programms statt.");
        if (s_.kind < 0 || s_.kind > 4)
            return refuse("Unbekannte Art der Deaktivierung (" + std::to_string(s_.kind) + ")");
        if ((s_.kind == 1 && !validWeekday(s_.weekday1)) ||
            (s_.kind == 2 && !validWeekday(s_.weekday2)))
            return refuse("Kein Wochentag gewählt: es findet keine Deaktivierung statt.");
        if (s_.kind == 2 && s_.weekdayInMonth < 0)
            return refuse("Keine Woche im Monat gewählt: es findet keine Deaktivierung statt.");
        if (s_.kind == 3 && (s_.dayOfMonth < 0 || s_.dayOfMonth > 30))
            return refuse("Kein Tag im Monat gewählt: es findet keine Deaktivierung statt.");
        if (!start) return refuse("'" + s_.time + "' ist keine gültige Uhrzeit");
        if (s_.kind == 3 && s_.dayOfMonth >= 28)
            note("Monate ohne einen " + std::to_string(s_.dayOfMonth + 1) +
                 ". Tag werden übersprungen: in ihnen findet keine Deaktivierung statt.");
        if (s_.kind == 2 && s_.weekdayInMonth >= 4)
            note("Monate ohne einen " + std::to_string(s_.weekdayInMonth + 1) +
                 ". Wochentag dieser Art werden übersprungen.");
        if (duration_ == 0)
            note(
                "Dauer 0 Minuten: Beginn und Ende fallen zusammen, das Programm wird "
                "praktisch nicht deaktiviert.");
        return true;
    }

    bool refuse(std::string reason) {
        note(std::move(reason));
        return false;
    }
    void note(std::string text) { plan_.notes.push_back(std::move(text)); }

    bool chosen(const year_month_day& date) const {
        const int day = static_cast<int>(unsigned(date.day()));
        switch (s_.kind) {
            case 1:
                return weekdayIndex(local_days(date)) == s_.weekday1;
            case 2:
                return weekdayIndex(local_days(date)) == s_.weekday2 &&
                       (day - 1) / 7 == s_.weekdayInMonth;
            case 3:
                return day == s_.dayOfMonth + 1;
            default:
                return true;
        }
    }

    void addWindow(local_days day, seconds startOfDay) {
        const local_seconds wall = day + startOfDay;
        const sys_seconds start = firstInstantAt(wall);
        const sys_seconds end = start + minutes{duration_};
        if (end <= now_ && start < now_) return;
        const auto weekdayName = kGermanWeekdays[static_cast<std::size_t>(weekdayIndex(day))];
        plan_.windows.push_back(
            {start, end, std::string(weekdayName), windowNote(wall, start, end)});
    }

    std::string windowNote(local_seconds wall, sys_seconds start, sys_seconds end) const {
        std::vector<std::string> parts;
        if (start <= now_ && now_ < end) parts.push_back("läuft gerade");
        if (toGermanTime(start) != wall)
            parts.push_back("Beginn fällt in die übersprungene Stunde: beginnt um 03:00 Uhr");
        else if (toGermanTime(start + 1h) == wall)
            parts.push_back("Uhrzeit kommt zweimal vor: gilt ab dem ersten Mal");
        const bool summerAtStart = isGermanSummerTime(start);
        if (summerAtStart != isGermanSummerTime(end))
            parts.push_back(summerAtStart ? "Umstellung auf Winterzeit im Zeitraum"
                                          : "Umstellung auf Sommerzeit im Zeitraum");
        std::string text;
        for (const std::string& part : parts) text += (text.empty() ? "" : "; ") + part;
        return text;
    }

    const DeactivationSchedule& s_;
    sys_seconds now_;
    int duration_;
    DeactivationPlan plan_;
};

}  // namespace

DeactivationPlan planDeactivations(const DeactivationSchedule& schedule, sys_seconds now,
                                   std::size_t count) {
    return Planner(schedule, now).plan(count);
}

}  // namespace dravel::config
