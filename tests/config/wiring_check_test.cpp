#include <gtest/gtest.h>

#include "SettingsFileTest.h"
#include "config/extras/WiringCheck.h"

using namespace dravel::config;
using namespace std::chrono;

namespace {

using WiringPlanTest = SettingsFileTest;

// Each row as "caption | remark | use", with " | result | time" where the row has them.
template <class Row>
std::vector<std::string> texts(const std::vector<Row>& rows) {
    std::vector<std::string> out;
    for (const Row& r : rows) {
        out.push_back(r.caption + " | " + r.remark + " | " + r.use);
        if constexpr (requires { r.result; }) out.back() += " | " + r.result + " | " + r.recorded;
    }
    return out;
}

// Every way a pin can start, worded as the summary reads it: any start mode
// but 0 waits for alarm codes.
TEST_F(WiringPlanTest, OneRowPerPinWithRemarkAndUseThenThePushButton) {
    store(
        "[ComPort]\nPort=COM4\nExtern=1\n"
        "[Pin0]\nAusgang Aktiv=1\nBemerkung=Sirene Halle\nWarten=10\nStart=0\n"
        "[Pin1]\nAusgang Aktiv=1\nStart=2\n"
        "[Pin2]\nAusgang Aktiv=0\nBemerkung=Tor\nStart=1\n");
    const WiringPlan plan = load<WiringPlan>();
    EXPECT_EQ(texts(plan.steps),
              (std::vector<std::string>{
                  "Pin 3 (TXD) | Sirene Halle | aktiv, 10 Sekunden nach Programmstart",
                  "Pin 4 (DTR) |  | aktiv, bei Kennungen der Bedingungsliste",
                  "Pin 7 (RTS) | Tor | nicht aktiv", "Taster an Pin 9 (Ring) |  | "}));
    EXPECT_EQ(plan.steps[1].pin, 1);
    EXPECT_TRUE(plan.steps[1].active);
    EXPECT_FALSE(plan.steps[2].active);
    EXPECT_EQ(plan.steps[3].pin, kStopButtonStep);
    EXPECT_EQ(plan.port, "COM4");
}

TEST_F(WiringPlanTest, WithoutSettingsThreeInactivePinsOnCom1AndNoPushButton) {
    const WiringPlan plan = load<WiringPlan>();
    EXPECT_EQ(texts(plan.steps), (std::vector<std::string>{"Pin 3 (TXD) |  | nicht aktiv",
                                                           "Pin 4 (DTR) |  | nicht aktiv",
                                                           "Pin 7 (RTS) |  | nicht aktiv"}));
    EXPECT_EQ(plan.port, "COM1");
    store("[Pin2]\nAusgang Aktiv=1\n");
    EXPECT_EQ(load<WiringPlan>().steps[2].use, "aktiv, sofort nach Programmstart");
}

// Events: s start, + ring on, - ring off, t time up, c cancel.
void play(StopButtonCheck& check, std::string_view events) {
    for (char e : events) {
        if (e == 's')
            check.start();
        else if (e == 't')
            check.timeUp();
        else if (e == 'c')
            check.cancel();
        else
            check.ringReported(e == '+');
    }
}

TEST(StopButtonCheckTest, PassesOnlyWhenRingGoesOffWhileRunning) {
    const struct {
        const char* events;
        CheckResult result;
        const char* status;
    } cases[] = {
        {"+-", CheckResult::None, ""},  // a ring before the start counts for nothing
        {"s", CheckResult::None, "Taster jetzt drücken und loslassen"},
        {"s+", CheckResult::None, "Taster gedrückt, loslassen"},
        {"s+-t", CheckResult::Passed, "In Ordnung"},   // the time running out later changes nothing
        {"s-", CheckResult::Passed, "In Ordnung"},     // drivers that report only the ring's end
        {"st+-", CheckResult::Failed, "Fehler"},       // a late press does not turn a failure
        {"s+t", CheckResult::Failed, "Fehler"},        // held but never let go
        {"sts+-", CheckResult::Passed, "In Ordnung"},  // a retry
        {"s+c", CheckResult::None, ""},
    };
    for (const auto& c : cases) {
        StopButtonCheck check;
        play(check, c.events);
        EXPECT_EQ(check.result(), c.result) << c.events;
        EXPECT_EQ(check.statusText(), c.status) << c.events;
    }
}

TEST(WiringReportTest, RowsCarryResultAndTheGermanTimeTheyWereRecorded) {
    WiringPlan plan;
    plan.steps = {{"Pin 3 (TXD)", "Sirene", "nicht aktiv", 0},
                  {"Pin 4 (DTR)", "", "aktiv, sofort nach Programmstart", 1},
                  {"Pin 7 (RTS)", "", "nicht aktiv", 2},
                  {"Taster an Pin 9 (Ring)", "", "", kStopButtonStep}};
    const sys_seconds summer = sys_days(2026y / July / 1) + 8h + 7min + 9s;   // 10:07:09 MESZ
    const sys_seconds winter = sys_days(2026y / December / 7) + 23h + 30min;  // 00:30 next day
    WiringOutcome outcome{"COM7",
                          {{CheckResult::Passed, summer}, {}, {CheckResult::Failed, winter}},
                          1,
                          "Hans Muster",
                          "Relais K2 getauscht"};
    const WiringReport report =
        buildWiringReport(plan, outcome, "C:\\Kalvor\\", sys_days(2026y / December / 7) + 9h);

    EXPECT_EQ(report.created, "07.12.2026 10:00");
    EXPECT_EQ(report.programDirectory + report.port + report.checkedBy + report.remark,
              "C:\\Kalvor\\COM7Hans MusterRelais K2 getauscht");
    // No time without a result; no result for a step the window gave none.
    EXPECT_EQ(
        texts(report.rows),
        (std::vector<std::string>{"Pin 3 (TXD) | Sirene | nicht aktiv | In Ordnung | 10:07:09",
                                  "Pin 4 (DTR) |  | aktiv, sofort nach Programmstart |  | ",
                                  "Pin 7 (RTS) |  | nicht aktiv | Fehler | 00:30:00",
                                  "Taster an Pin 9 (Ring) |  | Signalquelle: Pin 4 (DTR) |  | "}));
    outcome.signalSource = -1;
    EXPECT_EQ(buildWiringReport(plan, outcome, "", summer).rows[3].use,
              "Signalquelle: keine gewählt");
}

}  // namespace
