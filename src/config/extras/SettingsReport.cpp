#include "config/extras/SettingsReport.h"

#include "config/settings/PinSettings.h"
#include "config/storage/IniFile.h"
#include "config/summary/LineBreak.h"
#include "config/summary/Summary.h"

namespace dravel::config {
namespace {

std::vector<std::string> panelLines(std::string_view text) {
    std::vector<std::string> lines;
    for (std::size_t start = 0;;) {
        const std::size_t end = text.find(kLineBreak, start);
        lines.emplace_back(text.substr(start, end - start));
        if (end == std::string_view::npos) return lines;
        start = end + kLineBreak.size();
    }
}

std::string joinedLines(std::string_view panelText) {
    std::string text;
    for (const std::string& line : panelLines(panelText)) text += (text.empty() ? "" : "\n") + line;
    return text;
}

// The schedule sentence needs no sound card.
class NoMixer final : public MixerNames {
public:
    void selectDevice(int) override {}
    std::optional<std::string> productName() const override { return std::nullopt; }
    std::vector<std::string> inputNames() const override { return {}; }
};

template <std::size_t N>
std::string caption(const std::string& field, const std::array<std::string_view, N>& captions) {
    const auto index = conditionFieldIndex(field);
    return index ? std::string(captions[static_cast<std::size_t>(*index)]) : field;
}

std::vector<ReportCondition> reportConditions(const std::vector<ConditionEntry>& entries) {
    std::vector<ReportCondition> rows;
    rows.reserve(entries.size());
    for (const ConditionEntry& e : entries) rows.push_back(reportCondition(e));
    return rows;
}

}  // namespace

std::vector<ReportPanel> summaryPanels(const SummaryTexts& s) {
    std::vector<ReportPanel> panels = {
        {"Sound: Datei", panelLines(s.soundFile)},
        {"ComPort Ansteuerung durch Sound", panelLines(s.soundPin)},
        {"Lautstärke", panelLines(s.volume)},
        {"Programm", panelLines(s.programInfo)},
        {"Funktionsproben", panelLines(s.schedule ? *s.schedule : *s.scheduleError)},
        {"ComPort", panelLines(s.portInfo)},
    };
    for (std::size_t pin = 0; pin < s.pins.size(); ++pin)
        panels.push_back({std::string(kPinCaptions[pin]), panelLines(s.pins[pin])});
    return panels;
}

ReportCondition reportCondition(const ConditionEntry& e) {
    return {caption(e.pin, kPinCaptions), caption(e.kind, kConditionKindItems), e.code,
            e.description, e.audioPath};
}

SettingsReport buildSettingsReport(const std::string& programDirectory, MixerNames& mixer,
                                   const PlayableCheck& playable, sys_seconds now,
                                   const SoundLengthReader& soundLength) {
    const IniFile settings(settingsFilePath(programDirectory));
    SettingsReport report;
    report.createdAt = now;
    report.created = formatGermanDateTime(now);
    report.programDirectory = programDirectory;
    report.panels = summaryPanels(buildSummary(settings, mixer));
    const ConditionListReadResult list = readConditionList(programDirectory);
    report.conditions = reportConditions(list.entries);
    report.findings = checkReadList(list, ComPortSettings::read(settings).pins, playable);
    report.deactivations = planDeactivations(DeactivationSchedule::read(settings), now);
    if (soundLength) {
        const CourseSource source{readCourseSettings(settings, soundLength, now), list.entries,
                                  list.error};
        report.courses = buildAlarmCourses(source, alarmKindChoices(list.entries));
    }
    return report;
}

std::string scheduleSentence(const IniFile& settings) {
    NoMixer mixer;
    const SummaryTexts texts = buildSummary(settings, mixer);
    return joinedLines(texts.schedule ? *texts.schedule : *texts.scheduleError);
}

}  // namespace dravel::config
