#include "config/summary/Summary.h"

#include <algorithm>
#include <string_view>

#include "config/settings/PinSettings.h"
#include "config/settings/ProgIniKeys.h"
#include "config/settings/ScheduleSettings.h"
#include "config/settings/TimeOfDay.h"
#include "config/settings/VolumeScale.h"
#include "config/summary/LineBreak.h"

namespace dravel::config {
namespace {

namespace k = keys;

constexpr const char* kNoSoundPin = "Es wird kein Pin für die Laufzeit des Sounds angesteuert";

// Names that are looked up by a stored index; an index outside the table
// gives the fallback instead of reading past it.
template <typename Name, std::size_t N>
std::string nameAt(const std::array<Name, N>& names, int index, std::string fallback) {
    if (index < 0 || index >= static_cast<int>(N)) return fallback;
    return std::string(names[static_cast<std::size_t>(index)]);
}

// Shown where the schedule dialog left no weekday (-1) or a hand-edited file
// names none of the seven.
constexpr const char* kNoWeekday = "(kein gültiger Wochentag)";

// A message ends at a NUL byte once it is an exception's text; a blank in
// its place keeps the rest of what the file holds visible.
std::string visibleNul(std::string text) {
    std::replace(text.begin(), text.end(), '\0', ' ');
    return text;
}

// "Pin 4 (DTR) angesteuert"; an index outside the pins ends the sentence at
// "Pin ".
std::string soundPinEnding(int pin) {
    return nameAt(kPinCaptions, pin, "Pin ") + (pin >= 0 && pin < kPinCount ? " angesteuert" : "");
}

std::string quoted(const std::string& text) {
    return "\"" + text + "\"";
}

class SummaryBuilder {
public:
    SummaryBuilder(const IniFile& settings, MixerNames& mixer) : ini_(settings), mixer_(mixer) {}

    SummaryTexts build() {
        fillSoundPanel();
        fillPortPanel();
        for (int pin = 0; pin < 3; ++pin)
            texts_.pins[static_cast<std::size_t>(pin)] = pinPanel(pin);
        texts_.programInfo = programPanel();
        texts_.volume = volumePanel();
        fillSchedulePanel();
        return std::move(texts_);
    }

private:
    std::string port() const { return readForSummary(ini_, k::comport::kPort); }

    void fillSoundPanel() {
        using namespace k::sound;
        if (!readForSummary(ini_, kPlay)) {
            texts_.soundFile = "Es wird keine Sounddatei abgespielt";
            texts_.soundPin = kNoSoundPin;
            return;
        }
        texts_.playButtonVisible = true;
        const std::string path = readForSummary(ini_, kPath);
        texts_.soundPath = path;
        texts_.soundFile = "Die Datei " + quoted(path) + " wird";
        if (readForSummary(ini_, kWait)) {
            texts_.soundFile += " nach " + std::to_string(readForSummary(ini_, kWaitTime)) +
                                " Sekunden Wartezeit abgespielt";
        } else {
            texts_.soundFile += " sofort nach Programmstart abgespielt";
        }
        if (readForSummary(ini_, kSwitchPin)) {
            texts_.soundPin = "Für die Laufzeit des Sounds wird über den " +
                              std::string(kLineBreak) + port() + " der " +
                              soundPinEnding(readForSummary(ini_, kSwitchPinIndex));
        } else {
            texts_.soundPin = kNoSoundPin;
        }
    }

    void fillPortPanel() {
        texts_.portName = port();
        texts_.portInfo = "Der Aktuelle ComPort ist " + texts_.portName;
    }

    std::string pinPanel(int pin) const {
        using namespace k::pin;
        const std::string section = pinSection(pin);
        if (!readForSummary(ini_, section, kActive))
            return "Die Ansteuerung für diesen Pin ist deaktiviert";
        std::string text =
            "Beschreibung / Info des Pins: " + readForSummary(ini_, section, kRemark);
        text += std::string(kLineBreak) + std::string(kLineBreak) + "Die Ansteuerung erfolgt ";
        if (readForSummary(ini_, section, kStart) != 0) {
            text += "in Abhängigkeit von FMS, ZVEI oder POSAC Kennungen ";
        } else if (const int wait = readForSummary(ini_, section, kWait); wait != 0) {
            text += "nach " + std::to_string(wait) + " Sekunden";
        } else {
            text += "sofort nach Programmstart ";
        }
        text += kLineBreak;
        text += "für eine Zeit von " + std::to_string(readForSummary(ini_, section, kDuration)) +
                " Sekunden ";
        if (pinSwitchedBySound(ini_, pin)) {
            text += kLineBreak;
            text += "Die Spielzeit des Sounds hat ebenfalls Einfluss auf die Ansteuerungszeit";
        }
        return text;
    }

    std::string programPanel() const {
        const std::string paragraph = std::string(kLineBreak) + std::string(kLineBreak);
        auto choose = [&](const FlagKey& key, const char* yes, const char* no) {
            return std::string(readForSummary(ini_, key) ? yes : no);
        };
        using namespace k::prog;
        return choose(kTray, "Das Programm wird nach dem Start in die SysTray verschoben",
                      "Das Programm bleibt nach dem Start auf dem Desktop") +
               paragraph +
               choose(kAutoEnd, "Es wird nach dem Ende aller Aktionen automatisch beendet",
                      "Es bleibt nach abschluss aller Aktionen offen") +
               paragraph +
               choose(kMultiStart, "Mehrfachstart für weitere ComPorts ist aktiv",
                      "Startwiederholsperre bei Aktiven Programm ist aktiv") +
               paragraph +
               choose(k::comport::kExtern, "Über den Pin 9 (Ring) kann es Extern beendet werden.",
                      "Das Externe beenden ist Deaktiviert");
    }

    // With no device open there is no card to name.
    std::string cardName() const {
        return mixer_.productName().value_or("keine Soundkarte vorhanden");
    }

    // An entry outside the input list (also when the card has no destination)
    // names the stored number instead of reading past the list.
    std::string inputName(int entry) const {
        const auto names = mixer_.inputNames();
        if (entry < 0 || entry >= static_cast<int>(names.size()))
            return "Eingang " + std::to_string(entry) + " nicht vorhanden";
        return names[static_cast<std::size_t>(entry)];
    }

    std::string volumePanel() {
        using namespace k::funk;
        if (!readForSummary(ini_, kOnOff))
            return "Die Lautstärkenregelung für den Aufnahmeeingang wurde deaktiviert";
        const std::string pinName = nameAt(kPinCaptions, readForSummary(ini_, kPin), "");
        mixer_.selectDevice(readForSummary(ini_, kCard));
        std::string text = "Für die Soundkarte " + quoted(cardName()) +
                           " wird die Wiedergabelautstärke von " +
                           quoted(inputName(readForSummary(ini_, kInput))) + " wie folgt geregelt:";
        text += std::string(kLineBreak) + std::string(kLineBreak) + "Die Regelung startet ";
        switch (readForSummary(ini_, kStart)) {
            case 0:
                text += "sofort bei Programmstart";
                break;
            case 1:
                text += std::to_string(readForSummary(ini_, kStartTime)) +
                        " Sekunden nach Programmstart";
                break;
            case 2:
                text += "mit Aktivierung des " + pinName;
                break;
            default:
                break;
        }
        text += std::string(kLineBreak) + "und endet ";
        switch (readForSummary(ini_, kEnd)) {
            case 0:
                text += "bei Programmende";
                break;
            case 1:
                text +=
                    std::to_string(readForSummary(ini_, kEndTime)) + " Sekunden nach Aktivierung";
                break;
            case 2:
                text += "mit abschalten des " + pinName;
                break;
            default:
                break;
        }
        text += std::string(kLineBreak) + std::string(kLineBreak) +
                "Die Lautstärke wird nach dem Start auf " +
                std::to_string(storedToPercent(readForSummary(ini_, kStartVolume))) + "% gesetzt." +
                std::string(kLineBreak) + "Am Ende wird ";
        switch (readForSummary(ini_, kEndVolumeMode)) {
            case 0:
                text += "die Lautstärke auf den gleichen Wert wie vor Programmstart gesetzt.";
                break;
            case 1:
                text += "der Ausgang auf MUTE gestellt";
                break;
            case 2:
                text += "die Lautstärke auf " +
                        std::to_string(storedToPercent(readForSummary(ini_, kEndVolume))) +
                        "% gesetzt.";
                break;
            default:
                break;
        }
        return text;
    }

    // The number of a stored index counted from 0; wide enough for any stored value.
    static std::string ordinal(int index) {
        return std::to_string(static_cast<long long>(index) + 1);
    }

    // The recurring part of the schedule sentence; nothing for an unknown kind.
    static std::optional<std::string> scheduleKind(const ScheduleSettings::ForSummary& s) {
        const std::string every = "Das Programm wird jeden ";
        switch (s.kind) {
            case ScheduleSettings::Weekly:
                return every + nameAt(kGermanWeekdays, s.weekday1, kNoWeekday);
            case ScheduleSettings::MonthlyByWeekday:
                return every + ordinal(s.weekdayInMonth) + ". " +
                       nameAt(kGermanWeekdays, s.weekday2, kNoWeekday);
            case ScheduleSettings::MonthlyByDay:
                return every + ordinal(s.dayOfMonth) + ". im Monat";
            case ScheduleSettings::Daily:
                return std::string("Das Programm wird täglich");
            default:
                return std::nullopt;
        }
    }

    void fillSchedulePanel() {
        const auto s = ScheduleSettings::ForSummary::read(ini_);
        if (s.kind == ScheduleSettings::None) {
            texts_.schedule = "Es findet keine Deaktivierung des Programms statt.";
            return;
        }
        const auto recurrence = scheduleKind(s);
        if (!recurrence) {
            // Only a hand-edited file gets here; the alarm program knows no such kind.
            texts_.schedule = "Unbekannte Art der Deaktivierung (" + std::to_string(s.kind) + ")";
            return;
        }
        const auto startTime = parseTimeOfDay(s.time);
        if (!startTime) {
            texts_.scheduleError = "'" + visibleNul(s.time) + "' ist keine gültige Uhrzeit";
            return;
        }
        const SecondsOfDay end = addMinutes(*startTime, s.durationMinutes);
        texts_.schedule = *recurrence + "," + std::string(kLineBreak) + "in der Zeit von " +
                          s.time + " - " + formatHoursMinutes(end) + " Uhr deaktiviert";
    }

    const IniFile& ini_;
    MixerNames& mixer_;
    SummaryTexts texts_;
};

}  // namespace

SummaryTexts buildSummary(const IniFile& settings, MixerNames& mixer) {
    return SummaryBuilder(settings, mixer).build();
}

}  // namespace dravel::config
