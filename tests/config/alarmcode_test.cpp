#include <gtest/gtest.h>

#include <cctype>
#include <vector>

#include "config/conditions/AlarmCode.h"

namespace dravel::config {
namespace {

using Kind = AlarmCodeKind;

// The item lists themselves are checked through composing and taking back
// codes below; here only their bounds and the names the forms use.
TEST(AlarmCodeTables, PositionsAndSelectorsAreFoundWithoutCase) {
    EXPECT_EQ(positionCount(Kind::FiveTone), 5);
    EXPECT_EQ(positionCount(Kind::Posac), 8);
    EXPECT_EQ(positionCount(Kind::Fms), 10);
    EXPECT_EQ(positionItems(Kind::Fms, 0), "");
    EXPECT_EQ(positionItems(Kind::FiveTone, 6), "");
    EXPECT_EQ(selectorName(Kind::FiveTone, 3), "ton3");
    EXPECT_EQ(selectorName(Kind::Posac, 1), "Posac1");
    EXPECT_EQ(selectorName(Kind::Fms, 10), "FMS10");
    EXPECT_EQ(selectorName(Kind::Fms, 11), "");
    EXPECT_EQ(selectorPosition(Kind::Posac, "posac1"), 1);
    EXPECT_EQ(selectorPosition(Kind::Posac, "Posac8"), 8);
    EXPECT_EQ(selectorPosition(Kind::Fms, "fMs10"), 10);
    EXPECT_EQ(selectorPosition(Kind::Fms, "FMS11"), std::nullopt);
    EXPECT_EQ(selectorPosition(Kind::FiveTone, "ton0"), std::nullopt);
    EXPECT_EQ(selectorPosition(Kind::FiveTone, "Posac1"), std::nullopt);
}

// The two windows list the kinds in different orders.
TEST(AlarmCodeTables, KindSelectorsOfBothWindowsMapToTheirKinds) {
    EXPECT_EQ(conditionKind(0), Kind::FiveTone);
    EXPECT_EQ(conditionKind(1), Kind::Posac);
    EXPECT_EQ(conditionKind(2), Kind::Fms);
    EXPECT_EQ(conditionKind(3), std::nullopt);
    EXPECT_EQ(conditionKind(-1), std::nullopt);
    EXPECT_EQ(simulationKind(0), std::nullopt);
    EXPECT_EQ(simulationKind(1), Kind::FiveTone);
    EXPECT_EQ(simulationKind(2), Kind::Fms);
    EXPECT_EQ(simulationKind(3), Kind::Posac);
    EXPECT_EQ(simulationKind(4), std::nullopt);
}

TEST(AlarmCodeComposition, RunsTheSelectedCharactersTogether) {
    // 5-tone positions 2, 1, 4, 3, ? ("?" is item 10).
    EXPECT_EQ(composeAlarmCode(Kind::FiveTone, std::vector{2, 1, 4, 3, 10}), "2143?");
    EXPECT_EQ(composeAlarmCode(Kind::Fms, std::vector{6, 1, 2, 3, 4, 5, 6, 7, 8, 0}), "6123456780");
    // RIC 2345678 (position 1 offers 0, 1, 2, ?), function 4.
    EXPECT_EQ(composeAlarmCode(Kind::Posac, std::vector{2, 3, 4, 5, 6, 7, 8, 4}), "23456784");
    EXPECT_EQ(composeAlarmCode(Kind::Fms, std::vector{15, 10, 0, 0, 1, 1, 1, 1, 16, 2}),
              "FA001111??");
}

TEST(AlarmCodeComposition, AnyPositionWithoutSelectionLeavesTheCodeIncomplete) {
    EXPECT_EQ(composeAlarmCode(Kind::FiveTone, std::vector{1, 2, -1, 4, 5}), std::nullopt);
    EXPECT_EQ(composeAlarmCode(Kind::FiveTone, std::vector{1, 2, 3, 4, -1}), std::nullopt);
    EXPECT_EQ(composeAlarmCode(Kind::FiveTone, std::vector{1, 2, 3, 4}), std::nullopt);
    EXPECT_EQ(composeAlarmCode(Kind::Posac, std::vector{4, 0, 0, 0, 0, 0, 0, 0}), std::nullopt);
    EXPECT_EQ(composeAlarmCode(Kind::Fms, std::vector{0, 0, 0, 0, 0, 0, 0, 0, 0, 3}), std::nullopt);
    // Only the kind's own positions count; extra selections are not read.
    EXPECT_EQ(composeAlarmCode(Kind::FiveTone, std::vector{1, 2, 3, 4, 5, -1, -1}), "12345");
}

TEST(AlarmCodeReverse, FindsEachCharacterAmongItsPositionsItems) {
    EXPECT_EQ(alarmCodeItemIndexes(Kind::Fms, "6a2bCdef?1"),
              (std::vector{6, 10, 2, 11, 12, 13, 14, 15, 16, 1}));
    EXPECT_EQ(alarmCodeItemIndexes(Kind::FiveTone, "12?45"), (std::vector{1, 2, 10, 4, 5}));
    // 3 is no item of POSAC position 1, 5 none of position 8.
    EXPECT_EQ(alarmCodeItemIndexes(Kind::Posac, "31234565"),
              (std::vector{-1, 1, 2, 3, 4, 5, 6, -1}));
    EXPECT_EQ(alarmCodeItemIndexes(Kind::FiveTone, "A"), (std::vector{-1}));
    EXPECT_EQ(alarmCodeItemIndexes(Kind::Fms, "02"), (std::vector{0, 2}));
    EXPECT_EQ(alarmCodeItemIndexes(Kind::FiveTone, "1ä2"), (std::vector{1, -1, 2}));
    EXPECT_EQ(alarmCodeItemIndexes(Kind::FiveTone, "1234567"), (std::vector{1, 2, 3, 4, 5}));
    EXPECT_TRUE(alarmCodeItemIndexes(Kind::Posac, "").empty());
}

TEST(AlarmCodeReverse, TakingACodeBackComposesItAgain) {
    for (const auto& [kind, code] :
         {std::pair{Kind::FiveTone, "9?017"}, std::pair{Kind::Posac, "2?999994"},
          std::pair{Kind::Fms, "fF0?9a8b71"}}) {
        std::string upper = code;
        for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        EXPECT_EQ(composeAlarmCode(kind, alarmCodeItemIndexes(kind, code)), upper) << code;
    }
}

}  // namespace
}  // namespace dravel::config
