#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "config/extras/BerlinTime.h"
#include "config/storage/IniFile.h"

// The guided check of the alarm interface ("Verdrahtung prüfen"): which steps
// the settings call for, the course of the push-button step, and what the
// Prüfprotokoll holds. The window switches the lines and records the results;
// nothing here writes Prog.ini.
namespace dravel::config {

// The pin index of the push-button step, which switches no output of its own.
inline constexpr int kStopButtonStep = -1;
inline constexpr std::string_view kStopButtonCaption = "Taster an Pin 9 (Ring)";

// One row of the check.
struct WiringStep {
    std::string caption;  // "Pin 3 (TXD)" … or the push-button's caption
    std::string remark;   // the pin's "Bemerkung"
    std::string use;      // whether the pin is active and how it starts
    int pin = kStopButtonStep;
    bool active = false;  // the alarm program switches the pin at all
};

// The rows the settings call for: the three output pins, then the push-button
// when the alarm program is to be stopped by it ("Extern"), and the port.
struct WiringPlan {
    std::vector<WiringStep> steps;
    std::string port;  // as the main window names it ("COM1" when none is set)

    static WiringPlan read(const IniFile& ini);
};

enum class CheckResult { None, Passed, Failed };

// "", "In Ordnung", "Fehler"
std::string resultText(CheckResult result);

// A result and the moment it was recorded.
struct RecordedResult {
    CheckResult result = CheckResult::None;
    sys_seconds recorded{};
};

// "In Ordnung, 14:05:33"; empty without a result.
std::string recordedText(const RecordedResult& recorded);

// The push-button step. The window switches on the button's signal source for
// the step, and the user presses the button; the step passes when the port reports Pin 9 (Ring) on
// and then off again, and fails when the time runs out first. It can be
// started again at any time.
class StopButtonCheck {
public:
    enum class Phase { Idle, Waiting, Pressed, Passed, Failed };

    void start() { phase_ = Phase::Waiting; }
    // Stops a running step without a result (another port, the window closes).
    void cancel();
    // The port reported the ring line as it is after a change.
    void ringReported(bool on);
    void timeUp();

    Phase phase() const { return phase_; }
    bool running() const { return phase_ == Phase::Waiting || phase_ == Phase::Pressed; }
    CheckResult result() const;
    // What the step's row shows.
    std::string statusText() const;

private:
    Phase phase_ = Phase::Idle;
};

// What the window hands over for the protocol: one result per step of the
// plan, in its order.
struct WiringOutcome {
    std::string port;
    std::vector<RecordedResult> results;
    int signalSource = -1;  // the output that fed the push-button, -1 for none
    std::string checkedBy;
    std::string remark;
};

struct WiringReportRow {
    std::string caption;
    std::string remark;
    std::string use;
    std::string result;    // "In Ordnung", "Fehler" or empty
    std::string recorded;  // "14:05:33", empty without a result
};

// The Prüfprotokoll as it is printed.
struct WiringReport {
    std::string title = "Prüfprotokoll Alarmschnittstelle";
    std::string created;  // "07.12.2026 14:05"
    sys_seconds createdAt;
    std::string programDirectory;
    std::string port;
    std::vector<WiringReportRow> rows;
    std::string checkedBy;
    std::string remark;
};

WiringReport buildWiringReport(const WiringPlan& plan, const WiringOutcome& outcome,
                               const std::string& programDirectory, sys_seconds now);

}  // namespace dravel::config
