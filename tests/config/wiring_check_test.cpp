#include <gtest/gtest.h>

#include "SettingsFileTest.h"
#include "config/WiringCheck.h"

using namespace dravel::config;
using namespace std::chrono;

namespace {

using WiringPlanTest = SettingsFileTest;

std::vector<std::string> field(const WiringPlan& plan, std::string WiringStep::*member) {
    std::vector<std::string> values;
    for (const WiringStep& step : plan.steps) values.push_back(step.*member);
    return values;
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
    EXPECT_EQ(field(plan, &WiringStep::caption),
              (std::vector<std::string>{"Pin 3 (TXD)", "Pin 4 (DTR)", "Pin 7 (RTS)",
                                        "Taster an Pin 9 (Ring)"}));
    EXPECT_EQ(field(plan, &WiringStep::remark),
              (std::vector<std::string>{"Sirene Halle", "", "Tor", ""}));
    EXPECT_EQ(
        field(plan, &WiringStep::use),
        (std::vector<std::string>{"aktiv, 10 Sekunden nach Programmstart",
                                  "aktiv, bei Kennungen der Bedingungsliste", "nicht aktiv", ""}));
    EXPECT_EQ(plan.steps[1].pin, 1);
    EXPECT_TRUE(plan.steps[1].active);
    EXPECT_FALSE(plan.steps[2].active);
    EXPECT_EQ(plan.steps[3].pin, kStopButtonStep);
    EXPECT_EQ(plan.port, "COM4");
}

TEST_F(WiringPlanTest, WithoutSettingsThreeInactivePinsOnCom1AndNoPushButton) {
    const WiringPlan plan = load<WiringPlan>();
    ASSERT_EQ(plan.steps.size(), 3u);
    EXPECT_EQ(field(plan, &WiringStep::use),
              (std::vector<std::string>{"nicht aktiv", "nicht aktiv", "nicht aktiv"}));
    EXPECT_EQ(plan.port, "COM1");
    store("[Pin2]\nAusgang Aktiv=1\n");
    EXPECT_EQ(load<WiringPlan>().steps[2].use, "aktiv, sofort nach Programmstart");
}

// Events: s start, + ring on, - ring off, t time up, c cancel.
struct ButtonCase {
    const char* events;
    CheckResult result;
    const char* status;
};

TEST(StopButtonCheckTest, PassesOnlyWhenRingGoesOffWhileRunning) {
    const ButtonCase cases[] = {
        {"+-", CheckResult::None, ""},  // a ring before the start counts for nothing
        {"s", CheckResult::None, "Taster drücken …"},
        {"s+", CheckResult::None, "Taster gedrückt, loslassen"},
        {"s+-t", CheckResult::Passed, "In Ordnung"},   // the time running out later changes nothing
        {"s-", CheckResult::Passed, "In Ordnung"},     // drivers that report only the ring's end
        {"st+-", CheckResult::Failed, "Fehler"},       // a late press does not turn a failure
        {"s+t", CheckResult::Failed, "Fehler"},        // held but never let go
        {"sts+-", CheckResult::Passed, "In Ordnung"},  // a retry
        {"s+c", CheckResult::None, ""},
    };
    for (const ButtonCase& c : cases) {
        StopButtonCheck check;
        for (const char* e = c.events; *e; ++e) switch (*e) {
                case 's':
                    check.start();
                    break;
                case '+':
                    check.ringReported(true);
                    break;
                case '-':
                    check.ringReported(false);
                    break;
                case 't':
                    check.timeUp();
                    break;
                default:
                    check.cancel();
            }
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

    EXPECT_EQ(report.title, "Prüfprotokoll Alarmschnittstelle");
    EXPECT_EQ(report.created, "07.12.2026 10:00");
    EXPECT_EQ(report.programDirectory, "C:\\Kalvor\\");
    EXPECT_EQ(report.port, "COM7");
    ASSERT_EQ(report.rows.size(), 4u);
    EXPECT_EQ(report.rows[0].result, "In Ordnung");
    EXPECT_EQ(report.rows[0].recorded, "10:07:09");
    EXPECT_EQ(report.rows[0].remark, "Sirene");
    EXPECT_EQ(report.rows[1].result, "");
    EXPECT_EQ(report.rows[1].recorded, "") << "no time without a result";
    EXPECT_EQ(report.rows[2].result, "Fehler");
    EXPECT_EQ(report.rows[2].recorded, "00:30:00");
    EXPECT_EQ(report.rows[3].use, "Signalquelle: Pin 4 (DTR)");
    EXPECT_EQ(report.rows[3].result, "") << "a step the window has no result for";
    EXPECT_EQ(report.checkedBy, "Hans Muster");
    EXPECT_EQ(report.remark, "Relais K2 getauscht");

    outcome.signalSource = -1;
    EXPECT_EQ(buildWiringReport(plan, outcome, "", summer).rows[3].use,
              "Signalquelle: keine gewählt");
}

}  // namespace
