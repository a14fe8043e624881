#include "config/extras/AlarmCourse.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <utility>

#include "config/conditions/AlarmCode.h"
#include "config/extras/DeactivationWindows.h"
#include "config/settings/VolumeScale.h"
#include "config/storage/IniFile.h"

namespace dravel::config {
namespace {

constexpr double kForever = std::numeric_limits<double>::infinity();

// The kinds as the selector names them.
constexpr std::array<const char*, 3> kKindShortNames = {"5-Ton", "POSAC", "FMS"};

struct ListedEntry {
    int pin;
    int kind;
    const ConditionEntry* entry;
};

// The entries the alarm program can act on: a pin and a kind it knows.
std::vector<ListedEntry> listedEntries(const std::vector<ConditionEntry>& list) {
    std::vector<ListedEntry> found;
    for (const ConditionEntry& e : list) {
        const auto pin = conditionFieldIndex(e.pin);
        const auto kind = conditionFieldIndex(e.kind);
        if (pin && kind) found.push_back({*pin, *kind, &e});
    }
    return found;
}

// "12345 – Tor", or the code alone when the entry has no description.
std::string entryText(const ConditionEntry& e) {
    return e.description.empty() ? e.code : e.code + " – " + e.description;
}

AlarmChoice withoutCode() {
    return {kAlarmWithoutCode, {}};
}

std::string quoted(const std::string& text) {
    return "„" + text + "“";
}

std::string joined(const std::vector<std::string>& parts, const std::string& separator) {
    std::string text;
    for (const std::string& part : parts) text += (text.empty() ? "" : separator) + part;
    return text;
}

// "Pin 3 (TXD) („Sirene“)": the pin as the main window names it, with its description.
std::string pinName(int pin, const PinRecord& record) {
    std::string name(kPinCaptions[static_cast<std::size_t>(pin)]);
    return record.description.empty() ? name : name + " (" + quoted(record.description) + ")";
}

bool validPin(int pin) {
    return pin >= 0 && pin < kPinCount;
}

double whole(int seconds) {
    return std::max(seconds, 0);
}

std::string endVolumeText(const FunkSettings& funk) {
    switch (funk.endVolumeMode) {
        case 0:
            return "wie vor Programmstart";
        case 1:
            return "stumm (MUTE)";
        case 2:
            return std::to_string(storedToPercent(funk.endVolume)) + " %";
        default:
            return "Endlautstärke nicht gewählt";
    }
}

class CourseBuilder {
public:
    CourseBuilder(const CourseSettings& settings, const AlarmChoice& alarm)
        : s_(settings), alarm_(alarm) {}

    AlarmCourse build() {
        course_.alarm = alarm_.caption;
        if (s_.silentUntil) noteSilence();
        for (int pin = 0; pin < kPinCount; ++pin) course_.rows.push_back(pinRow(pin));
        course_.rows.push_back(soundRow());
        noteSoundPinOverlap();
        course_.rows.push_back(radioRow());
        course_.rows.push_back(programEndRow());
        noteExternGaps();
        course_.span = span();
        return std::move(course_);
    }

private:
    enum Row { kSoundRow = kPinCount, kRadioRow, kProgramEndRow };

    void find(std::string text) { course_.findings.push_back(std::move(text)); }

    void noteSilence() {
        find("Die Funktionsprobe ([Funktionsprobe]) läuft gerade, bis " +
             formatGermanDateTime(*s_.silentUntil) +
             " Uhr: ein Alarm bis dahin bliebe still – kein Pin, kein Sound, keine "
             "Funk-Lautstärke.");
    }

    // --- Pins ---------------------------------------------------------------------------

    CourseRow pinRow(int pin) {
        const PinRecord& p = s_.pins.pins[static_cast<std::size_t>(pin)];
        CourseRow row{
            std::string(kPinCaptions[static_cast<std::size_t>(pin)]), p.description, "", {}};
        if (!p.active) {
            row.note = "deaktiviert („Ausgang Aktiv“ aus)";
            return row;
        }
        const std::string section = "[" + pinSection(pin) + "] ";
        const std::string duration = "„Dauer“ " + std::to_string(p.duration) + " s";
        CourseBar bar{BarStyle::Pin, 0, 0, BarEnd::At, "", ""};
        std::string when;
        if (p.startMode == PinRecord::AfterWait) {
            bar.start = whole(p.wait);
            bar.source = section + "„Warten“ " + std::to_string(p.wait) + " s, " + duration;
            when = p.wait > 0 ? "nach " + std::to_string(p.wait) + " Sekunden"
                              : "sofort nach Programmstart";
        } else {
            const auto& entries = alarm_.entries[static_cast<std::size_t>(pin)];
            if (entries.empty()) {
                row.note = "nur bei Kennungen der Bedingungsliste – nicht bei diesem Alarm";
                return row;
            }
            bar.source = section + "„Start“ bei Kennungen der Bedingungsliste (" +
                         joined(entries, "; ") + "), " + duration;
            when = "mit der Kennung";
        }
        bar.end = bar.start + whole(p.duration);
        bar.label = "Dauer " + formatSeconds(whole(p.duration));
        if (p.duration <= 0)
            find(pinName(pin, p) + ": „Dauer“ ist " + std::to_string(p.duration) +
                 " – die Ansteuerung erfolgt " + when +
                 " für eine Zeit von 0 Sekunden, der Pin wird also nicht geschaltet.");
        row.bars.push_back(std::move(bar));
        return row;
    }

    // The pin's bar by its own times in this course; none when it is not switched.
    const CourseBar* timedBar(int pin) const {
        if (!validPin(pin)) return nullptr;
        for (const CourseBar& bar : course_.rows[static_cast<std::size_t>(pin)].bars)
            if (bar.style == BarStyle::Pin) return &bar;
        return nullptr;
    }

    // --- Sound --------------------------------------------------------------------------

    CourseRow soundRow() {
        const SoundSettings& sound = s_.sound;
        CourseRow row{"Sound", "", "", {}};
        if (!sound.play) {
            row.note = "es wird keine Sounddatei abgespielt („Play“ aus)";
            return row;
        }
        row.remark = audioFileName(sound.path);
        CourseBar bar{BarStyle::Sound,
                      sound.wait ? whole(sound.waitTime) : 0,
                      0,
                      BarEnd::At,
                      "",
                      "[Sound] „Pfad“ " + quoted(sound.path) +
                          (sound.wait ? ", „Wait Time“ " + std::to_string(sound.waitTime) + " s"
                                      : ", sofort nach Programmstart")};
        if (s_.soundLength.seconds) {
            bar.end = bar.start + *s_.soundLength.seconds;
            bar.label = "Spielzeit " + formatSeconds(*s_.soundLength.seconds);
        } else {
            bar.endKind = BarEnd::Unknown;
            bar.label = "Spielzeit unbekannt: " + s_.soundLength.reason;
            find("Die Sounddatei " + quoted(sound.path) + " ([Sound] „Pfad“) kann nicht gelesen " +
                 "werden: " + s_.soundLength.reason +
                 ". Ihre Spielzeit ist unbekannt, ebenso das Programmende" +
                 (sound.switchPin ? " und das Ende des Pins, den der Sound schaltet." : "."));
        }
        if (sound.switchPin && validPin(sound.switchPinIndex)) {
            CourseBar pinBar = bar;
            pinBar.style = BarStyle::SoundPin;
            pinBar.label = "für die Abspielzeit des Sounds";
            pinBar.source = "[Sound] „Ansteuern“, „Ansteuern Pin“ " +
                            std::to_string(sound.switchPinIndex) + " (" + bar.source + ")";
            course_.rows[static_cast<std::size_t>(sound.switchPinIndex)].bars.push_back(pinBar);
        }
        row.bars.push_back(std::move(bar));
        return row;
    }

    void noteSoundPinOverlap() {
        const int pin = s_.sound.switchPinIndex;
        if (!s_.sound.play || !s_.sound.switchPin || !timedBar(pin)) return;
        const CourseRow& row = course_.rows[static_cast<std::size_t>(pin)];
        find(pinName(pin, s_.pins.pins[static_cast<std::size_t>(pin)]) +
             " wird vom Sound ([Sound] „Ansteuern Pin“) und nach seinen eigenen Zeiten "
             "(„Warten“, „Dauer“) geschaltet. Die Spielzeit des Sounds hat ebenfalls Einfluss auf "
             "die Ansteuerungszeit: beide laufen parallel, der Pin ist an, solange eines von "
             "beiden läuft (eigene Zeiten " +
             barTimes(row.bars[0]) + ", Sound " + barTimes(row.bars[1]) + ").");
    }

    // --- Radio volume -------------------------------------------------------------------

    // Why the pin the volume follows does not switch in this course.
    std::string missingPin(int pin) const {
        if (!validPin(pin)) return "keinem Pin ([Funk] „Pin“ ist nicht gewählt)";
        const PinRecord& p = s_.pins.pins[static_cast<std::size_t>(pin)];
        if (!p.active) return pinName(pin, p) + ", der deaktiviert ist („Ausgang Aktiv“ aus)";
        return pinName(pin, p) +
               ", der nur bei Kennungen der Bedingungsliste schaltet und bei diesem Alarm nicht";
    }

    CourseRow radioRow() {
        const FunkSettings& funk = s_.funk;
        CourseRow row{"Funk-Lautstärke", "", "", {}};
        if (!funk.onOff) {
            row.note = "die Lautstärkenregelung ist deaktiviert ([Funk] „OnOff“ aus)";
            return row;
        }
        const std::string percent = std::to_string(storedToPercent(funk.startVolume)) + " %";
        CourseBar bar{BarStyle::Radio, 0, 0, BarEnd::At, percent + " → " + endVolumeText(funk), ""};
        std::string start;
        switch (funk.start) {
            case 0:
                start = "„Start“ sofort bei Programmstart";
                break;
            case 1:
                bar.start = whole(funk.startTime);
                start = "„Start Zeit“ " + std::to_string(funk.startTime) + " s nach Programmstart";
                break;
            case 2:
                if (const CourseBar* followed = timedBar(funk.pin)) {
                    bar.start = followed->start;
                    start = "„Start“ mit Aktivierung des " + std::string(kPinCaptions[funk.pin]);
                    break;
                }
                row.note = "startet bei diesem Alarm nie";
                find("Funk-Lautstärke: [Funk] „Start“ „Wie ComPort Ausgang“ folgt " +
                     missingPin(funk.pin) + " – die Regelung startet bei diesem Alarm nie.");
                return row;
            default:
                row.note = "„Start“ ist nicht gewählt: die Regelung startet nie";
                find("Funk-Lautstärke: [Funk] „Start“ ist nicht gewählt (" +
                     std::to_string(funk.start) + ") – die Regelung startet nie.");
                return row;
        }
        bar.source = "[Funk] " + start + ", " + endOf(bar) + ", „StartVolume“ " + percent +
                     ", „EndLautstärke“ " + endVolumeText(funk);
        row.bars.push_back(std::move(bar));
        return row;
    }

    // Sets the end of the volume bar by "Ende" and says where it comes from. The end at
    // program end is set once the program's end is known.
    std::string endOf(CourseBar& bar) {
        const FunkSettings& funk = s_.funk;
        switch (funk.end) {
            case 0:
                endsWithProgram_ = true;
                return "„Ende“ bei Programmende";
            case 1:
                bar.end = bar.start + whole(funk.endTime);
                return "„Ende Zeit“ " + std::to_string(funk.endTime) + " s nach Aktivierung";
            case 2:
                if (const CourseBar* followed = timedBar(funk.pin)) {
                    bar.end = std::max(bar.start, followed->end);
                    return "„Ende“ mit Abschalten des " + std::string(kPinCaptions[funk.pin]);
                }
                bar.endKind = BarEnd::Never;
                find("Funk-Lautstärke: [Funk] „Ende“ „Wie ComPort Ausgang“ folgt " +
                     missingPin(funk.pin) + " – die Regelung endet nicht von selbst.");
                return "„Ende“ mit Abschalten eines Pins, der nicht schaltet";
            default:
                bar.endKind = BarEnd::Unknown;
                find("Funk-Lautstärke: [Funk] „Ende“ ist nicht gewählt (" +
                     std::to_string(funk.end) + ") – wann die Regelung endet, ist offen.");
                return "„Ende“ nicht gewählt";
        }
    }

    // --- Program end --------------------------------------------------------------------

    // The bars the program waits for before it ends by itself.
    std::vector<const CourseBar*> timers() const {
        std::vector<const CourseBar*> found;
        for (std::size_t r = 0; r <= kRadioRow; ++r)
            for (const CourseBar& bar : course_.rows[r].bars)
                if (!(r == kRadioRow && endsWithProgram_)) found.push_back(&bar);
        return found;
    }

    CourseRow programEndRow() {
        CourseRow row{"Programmende", "", "", {}};
        BarEnd end = BarEnd::At;
        double at = 0;
        for (const CourseBar* bar : timers()) {
            if (bar->endKind == BarEnd::At) at = std::max(at, bar->end);
            if (bar->endKind == BarEnd::Never) end = BarEnd::Never;
            if (bar->endKind == BarEnd::Unknown && end == BarEnd::At) end = BarEnd::Unknown;
        }
        if (!s_.options.autoEnd) {
            row.note = "bleibt offen ([Prog] „Ende“ aus): es muss von Hand geschlossen werden";
            end = BarEnd::Never;
        } else if (end == BarEnd::Never) {
            row.note = "bleibt offen: eine Aktion endet nie von selbst";
        } else if (end == BarEnd::Unknown) {
            row.note = "Ende nach unbekannter Zeit: eine Aktion hat keine bekannte Länge";
        } else {
            row.bars.push_back({BarStyle::ProgramEnd, at, at, BarEnd::At, "Ende",
                                "[Prog] „Ende“ an: automatisch beenden, wenn alle Aktionen "
                                "abgelaufen sind"});
        }
        programEnd_ = end;
        programEndAt_ = at;
        if (endsWithProgram_ && !course_.rows[kRadioRow].bars.empty()) {
            CourseBar& radio = course_.rows[kRadioRow].bars.front();
            radio.endKind = end;
            radio.end = std::max(radio.start, at);
        }
        return row;
    }

    // --- The push-button ----------------------------------------------------------------

    struct Span {
        double from;
        double to;
    };

    // The moments from the start to the program's end at which no output is switched on.
    std::vector<Span> unpoweredSpans() const {
        std::vector<Span> on;
        for (std::size_t r = 0; r < kPinCount; ++r)
            for (const CourseBar& bar : course_.rows[r].bars) {
                const double to = bar.endKind == BarEnd::At ? bar.end : kForever;
                if (to > bar.start) on.push_back({bar.start, to});
            }
        std::sort(on.begin(), on.end(),
                  [](const Span& a, const Span& b) { return a.from < b.from; });
        std::vector<Span> gaps;
        double covered = 0;
        for (const Span& s : on) {
            if (s.from > covered) gaps.push_back({covered, s.from});
            covered = std::max(covered, s.to);
        }
        const double horizon = programEnd_ == BarEnd::At ? programEndAt_ : kForever;
        if (programEnd_ != BarEnd::Unknown && covered < horizon) gaps.push_back({covered, horizon});
        return gaps;
    }

    void noteExternGaps() {
        if (!s_.options.externStop) return;
        std::vector<std::string> texts;
        for (const Span& gap : unpoweredSpans())
            texts.push_back(gap.to == kForever ? "ab " + formatSeconds(gap.from)
                                               : "von " + formatSeconds(gap.from) + " bis " +
                                                     formatSeconds(gap.to));
        if (texts.empty()) return;
        find("[ComPort] „Extern“ (Stoppen über Taster an Pin 9 (Ring)) ist an, aber " +
             joined(texts, " und ") +
             " ist kein Ausgang angesteuert: der Taster hat dann keine Signalquelle und kann "
             "das Programm nicht beenden.");
    }

    double span() const {
        double latest = 0;
        for (const CourseRow& row : course_.rows)
            for (const CourseBar& bar : row.bars)
                latest = std::max({latest, bar.start, bar.endKind == BarEnd::At ? bar.end : 0.0});
        return latest;
    }

    const CourseSettings& s_;
    const AlarmChoice& alarm_;
    AlarmCourse course_;
    bool endsWithProgram_ = false;
    BarEnd programEnd_ = BarEnd::At;
    double programEndAt_ = 0;
};

std::optional<sys_seconds> runningWindowEnd(const IniFile& settings, sys_seconds now) {
    const DeactivationPlan plan = planDeactivations(DeactivationSchedule::read(settings), now, 1);
    if (plan.windows.empty()) return std::nullopt;
    const DeactivationWindow& first = plan.windows.front();
    if (first.start <= now && now < first.end) return first.end;
    return std::nullopt;
}

}  // namespace

std::vector<AlarmChoice> alarmChoices(const std::vector<ConditionEntry>& list) {
    std::vector<AlarmChoice> choices{withoutCode()};
    const auto listed = listedEntries(list);
    for (const ListedEntry& e : listed) {
        AlarmChoice choice{std::string(kKindShortNames[static_cast<std::size_t>(e.kind)]) + " " +
                               entryText(*e.entry),
                           {}};
        for (const ListedEntry& same : listed)
            if (same.kind == e.kind && same.entry->code == e.entry->code)
                choice.entries[static_cast<std::size_t>(same.pin)].push_back(
                    entryText(*same.entry));
        choices.push_back(std::move(choice));
    }
    return choices;
}

std::vector<AlarmChoice> alarmKindChoices(const std::vector<ConditionEntry>& list) {
    std::vector<AlarmChoice> choices{withoutCode()};
    const auto listed = listedEntries(list);
    for (int kind = 0; kind < static_cast<int>(kKindShortNames.size()); ++kind) {
        AlarmChoice choice{std::string(kKindShortNames[static_cast<std::size_t>(kind)]) +
                               "-Alarm, jede Kennung der Liste",
                           {}};
        bool used = false;
        for (const ListedEntry& e : listed)
            if (e.kind == kind) {
                choice.entries[static_cast<std::size_t>(e.pin)].push_back(entryText(*e.entry));
                used = true;
            }
        if (used) choices.push_back(std::move(choice));
    }
    return choices;
}

AlarmCourse buildAlarmCourse(const CourseSettings& settings, const AlarmChoice& alarm) {
    return CourseBuilder(settings, alarm).build();
}

CourseSettings readCourseSettings(const IniFile& ini, const SoundLengthReader& soundLength,
                                  sys_seconds now) {
    CourseSettings s;
    s.pins = ComPortSettings::read(ini);
    s.sound = SoundSettings::read(ini);
    s.funk = FunkSettings::readAsAlarmProgram(ini);
    s.options = ProgramOptions::readAsAlarmProgram(ini);
    if (s.sound.play)
        s.soundLength = s.sound.path.empty()
                            ? SoundLength{std::nullopt, "es ist keine Datei gewählt"}
                            : soundLength(s.sound.path);
    s.silentUntil = runningWindowEnd(ini, now);
    return s;
}

CourseSource readCourseSource(const std::string& programDirectory,
                              const SoundLengthReader& soundLength, sys_seconds now) {
    CourseSource source;
    source.settings =
        readCourseSettings(IniFile(settingsFilePath(programDirectory)), soundLength, now);
    ConditionListReadResult list = readConditionList(programDirectory);
    source.list = std::move(list.entries);
    source.listError = std::move(list.error);
    return source;
}

std::vector<AlarmCourse> buildAlarmCourses(const CourseSource& source,
                                           const std::vector<AlarmChoice>& choices) {
    std::vector<AlarmCourse> courses;
    for (const AlarmChoice& choice : choices) {
        courses.push_back(buildAlarmCourse(source.settings, choice));
        if (source.listError)
            courses.back().findings.push_back(
                "Die Bedingungsliste (Alarmierung.dat) wurde nicht ganz gelesen (" +
                *source.listError + "): Kennungen dahinter fehlen in der Auswahl.");
    }
    return courses;
}

std::string formatSeconds(double seconds) {
    const double rounded = std::round(seconds * 1000) / 1000;
    char number[32];
    if (rounded == std::floor(rounded)) {
        std::snprintf(number, sizeof number, "%.0f", rounded);
    } else {
        std::snprintf(number, sizeof number, "%.3f", rounded);
        std::string text(number);
        text.erase(text.find_last_not_of('0') + 1);
        std::replace(text.begin(), text.end(), '.', ',');
        std::snprintf(number, sizeof number, "%s", text.c_str());
    }
    std::string text = std::string(number) + " s";
    if (rounded >= 60) {
        const long whole = static_cast<long>(rounded);
        char minutes[32];
        std::snprintf(minutes, sizeof minutes, " (%ld:%02ld min)", whole / 60, whole % 60);
        text += minutes;
    }
    return text;
}

std::string barTimes(const CourseBar& bar) {
    switch (bar.endKind) {
        case BarEnd::Unknown:
            return "ab " + formatSeconds(bar.start) + ", Ende unbekannt";
        case BarEnd::Never:
            return "ab " + formatSeconds(bar.start) + ", ohne Ende";
        case BarEnd::At:
            break;
    }
    if (bar.end == bar.start) return "bei " + formatSeconds(bar.start);
    return formatSeconds(bar.start) + " – " + formatSeconds(bar.end);
}

std::string describeBar(const CourseRow& row, const CourseBar& bar) {
    std::string text = row.caption;
    if (!row.remark.empty()) text += " (" + quoted(row.remark) + ")";
    return text + ": " + barTimes(bar) + ", " + bar.label + " – " + bar.source;
}

}  // namespace dravel::config
