#include "ringing/Change.h"

#include <gtest/gtest.h>

#include "ringing/PlaceNotation.h"
#include "tests/support/Leads.h"

namespace {

std::string ApplyOnce(const Change& change, int width) {
    CPlaceNotation notation;
    AppendLead(notation, {change});
    std::vector<std::uint32_t> row = Rounds(width);
    EXPECT_EQ(ApplyNextChange(notation, PN_NOTATION_END, row.data(), width), PN_CHANGE_END);
    return RowText(row);
}

std::vector<std::string> Ring(const Lead& lead, int width, int rows) {
    CPlaceNotation notation;
    AppendLead(notation, lead);
    std::vector<std::uint32_t> row = Rounds(width);
    std::vector<std::string> result;
    int place = PN_NOTATION_END;
    for (int k = 0; k < rows; ++k) {
        place = ApplyNextChange(notation, place, row.data(), width);
        result.push_back(RowText(row));
    }
    return result;
}

struct ChangeCase {
    Change change;
    int width;
    const char* row;
};

}  // namespace

TEST(Change, PermutesRoundsByOneChange) {
    const ChangeCase cases[] = {
        {{0}, 6, "214365"},
        {{1}, 6, "132546"},
        {{1, 2}, 6, "124365"},
        {{2}, 6, "124365"},
        {{3}, 6, "213546"},
        {{3, 4}, 6, "213465"},
        {{1, 4}, 6, "132465"},
        {{1, 3}, 6, "132546"},
        {{0}, 5, "21435"},
        {{1}, 5, "13254"},
        {{3}, 5, "21354"},
        {{1, 2, 5}, 8, "12435768"},
        {{3, 6}, 8, "21354687"},
        {{7}, 8, "21436578"},
        {{1, 3, 6}, 8, "13254687"},
        {{1, 6}, 8, "13254687"},
        {{3}, 7, "2135476"},
        {{7}, 7, "2143657"},
        {{0}, 1, "1"},
        {{1}, 1, "1"},
        {{0}, 2, "21"},
        {{1}, 2, "12"},
        // A place token below 1, as tiny stages compute them: the change reads on to its end.
        {{1, PN_NOTATION_END}, 2, "21"},
        {{1, PN_NOTATION_END, 3}, 4, "2134"},
    };
    for (const ChangeCase& c : cases) {
        EXPECT_EQ(ApplyOnce(c.change, c.width), c.row)
            << "change of " << c.change.size() << " places on " << c.width << ", first " << c.change[0];
    }
}

TEST(Change, PlainHuntOnSixAndFiveBellsWrapsRoundTheLead) {
    const Lead plainHunt = {{0}, {1}};
    EXPECT_EQ(Ring(plainHunt, 6, 13),
              (std::vector<std::string>{"214365", "241635", "426153", "462513", "645231", "654321", "563412",
                                        "536142", "351624", "315264", "132546", "123456", "214365"}));
    EXPECT_EQ(Ring(plainHunt, 5, 11),
              (std::vector<std::string>{"21435", "24153", "42513", "45231", "54321", "53412", "35142",
                                        "31524", "13254", "12345", "21435"}));
}

TEST(Change, AfterTheLastChangeTheFirstAppliesToTheCurrentRow) {
    // Two-change lead: {3} then {1}, on 4 bells. Rows: 2134, 2314, then {3} again on 2314.
    EXPECT_EQ(Ring({{3}, {1}}, 4, 3), (std::vector<std::string>{"2134", "2314", "3214"}));
}

TEST(Change, CambridgeOnTwoBellsReadsEachChangeToItsEnd) {
    // Its lead holds the change {1, n-4} = {1, PN_NOTATION_END}, which swaps the two bells.
    CPlaceNotation notation(2, 7);
    std::vector<std::uint32_t> row = Rounds(2);
    std::string rows;
    int place = PN_NOTATION_END;
    for (int k = 0; k < 16; ++k) {
        place = ApplyNextChange(notation, place, row.data(), 2);
        ASSERT_EQ(place, PN_CHANGE_END);
        rows += RowText(row) + " ";
    }
    EXPECT_EQ(rows, "21 12 21 21 12 21 12 21 12 12 21 21 12 12 21 12 ");
}

TEST(Change, EmptyNotationLeavesTheRow) {
    CPlaceNotation notation;
    std::vector<std::uint32_t> row = Rounds(6);
    EXPECT_EQ(ApplyNextChange(notation, PN_NOTATION_END, row.data(), 6), PN_NOTATION_END);
    EXPECT_EQ(ApplyNextChange(notation, PN_CHANGE_END, row.data(), 6), PN_NOTATION_END);
    EXPECT_EQ(RowText(row), "123456");
}

TEST(Change, PlacesBeyondTheRowNeverLeaveIt) {
    // Exchanges whose second entry lies beyond the row are skipped.
    EXPECT_EQ(ApplyOnce({6}, 3), "132");
    EXPECT_EQ(ApplyOnce({5, 9}, 3), "213");
    EXPECT_EQ(ApplyOnce({40}, 5), "13254") << "an even place keeps position 0";
    EXPECT_EQ(ApplyOnce({1}, 0), "");

    // A notation built for a wide row, stepped on a narrower one (a width of 0 after
    // a wider build keeps the old tokens).
    for (int method : {2, 3, 6, 7, 10}) {
        CPlaceNotation notation(64, method);
        for (int width : {0, 1, 2, 3, 7}) {
            std::vector<std::uint32_t> row = Rounds(width);
            int place = PN_NOTATION_END;
            for (int k = 0; k < 600; ++k) {
                place = ApplyNextChange(notation, place, row.data(), width);
            }
            EXPECT_EQ(place, PN_CHANGE_END);
        }
    }
}
