#include "config/extras/WiringCheck.h"

#include "config/settings/PinSettings.h"
#include "config/settings/ProgIniKeys.h"
#include "config/settings/ProgramOptions.h"

namespace dravel::config {
namespace {

// Worded as the summary reads the pin: any start mode but 0 waits for alarm codes.
std::string pinUse(const PinRecord& pin) {
    if (!pin.active) return "nicht aktiv";
    if (pin.startMode != PinRecord::AfterWait) return "aktiv, bei Kennungen der Bedingungsliste";
    if (pin.wait == 0) return "aktiv, sofort nach Programmstart";
    return "aktiv, " + std::to_string(pin.wait) + " Sekunden nach Programmstart";
}

std::string stopButtonUse(int signalSource) {
    if (signalSource < 0 || signalSource >= kPinCount) return "Signalquelle: keine gewählt";
    return "Signalquelle: " + std::string(kPinCaptions[static_cast<std::size_t>(signalSource)]);
}

}  // namespace

WiringPlan WiringPlan::read(const IniFile& ini) {
    WiringPlan plan;
    const ComPortSettings pins = ComPortSettings::read(ini);
    for (int n = 0; n < kPinCount; ++n) {
        const PinRecord& pin = pins.pins[static_cast<std::size_t>(n)];
        plan.steps.push_back({std::string(kPinCaptions[static_cast<std::size_t>(n)]),
                              pin.description, pinUse(pin), n, pin.active});
    }
    if (ProgramOptions::read(ini).externStop)
        plan.steps.push_back({std::string(kStopButtonCaption), "", "", kStopButtonStep});
    plan.port = readForSummary(ini, keys::comport::kPort);
    return plan;
}

std::string resultText(CheckResult result) {
    switch (result) {
        case CheckResult::Passed:
            return "In Ordnung";
        case CheckResult::Failed:
            return "Fehler";
        case CheckResult::None:
            break;
    }
    return {};
}

std::string recordedText(const RecordedResult& recorded) {
    if (recorded.result == CheckResult::None) return {};
    return resultText(recorded.result) + ", " + formatGermanClock(recorded.recorded);
}

void StopButtonCheck::cancel() {
    if (running()) phase_ = Phase::Idle;
}

// Windows' own serial driver reports the ring only when it ends, so a report
// with the line already off means it went on and off again all the same.
void StopButtonCheck::ringReported(bool on) {
    if (running()) phase_ = on ? Phase::Pressed : Phase::Passed;
}

void StopButtonCheck::timeUp() {
    if (running()) phase_ = Phase::Failed;
}

CheckResult StopButtonCheck::result() const {
    if (phase_ == Phase::Passed) return CheckResult::Passed;
    if (phase_ == Phase::Failed) return CheckResult::Failed;
    return CheckResult::None;
}

std::string StopButtonCheck::statusText() const {
    switch (phase_) {
        case Phase::Waiting:
            return "Taster jetzt drücken und loslassen";
        case Phase::Pressed:
            return "Taster gedrückt, loslassen";
        case Phase::Passed:
        case Phase::Failed:
            return resultText(result());
        case Phase::Idle:
            break;
    }
    return {};
}

WiringReport buildWiringReport(const WiringPlan& plan, const WiringOutcome& outcome,
                               const std::string& programDirectory, sys_seconds now) {
    WiringReport report;
    report.created = formatGermanDateTime(now);
    report.createdAt = now;
    report.programDirectory = programDirectory;
    report.port = outcome.port;
    for (std::size_t i = 0; i < plan.steps.size(); ++i) {
        const WiringStep& step = plan.steps[i];
        const RecordedResult recorded =
            i < outcome.results.size() ? outcome.results[i] : RecordedResult{};
        const bool hasResult = recorded.result != CheckResult::None;
        report.rows.push_back(
            {step.caption, step.remark,
             step.pin == kStopButtonStep ? stopButtonUse(outcome.signalSource) : step.use,
             resultText(recorded.result), hasResult ? formatGermanClock(recorded.recorded) : ""});
    }
    report.checkedBy = outcome.checkedBy;
    report.remark = outcome.remark;
    return report;
}

}  // namespace dravel::config
