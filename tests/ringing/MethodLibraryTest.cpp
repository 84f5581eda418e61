#include "ringing/MethodLibrary.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "ringing/Change.h"
#include "ringing/PlaceNotation.h"
#include "tests/support/Leads.h"

namespace {

// "x 1,4 x 1,2" -> {{0}, {1, 4}, {0}, {1, 2}}
Lead ParseLead(const std::string& text) {
    Lead lead;
    std::istringstream words(text);
    std::string word;
    while (words >> word) {
        Change change;
        if (word == "x") {
            change.push_back(PN_CROSS);
        } else {
            std::istringstream places(word);
            std::string place;
            while (std::getline(places, place, ',')) {
                change.push_back(std::stoi(place));
            }
        }
        lead.push_back(change);
    }
    return lead;
}

std::string Repeat(const std::string& text, int times) {
    std::string result;
    for (int k = 0; k < times; ++k) {
        result += text + " ";
    }
    return result;
}

Lead BuildLead(int method, int stage) {
    CPlaceNotation notation(stage, method);
    return ChangesOf(notation);
}

struct LeadCase {
    int method;
    int stage;
    std::string lead;
};

const int kMethodNumbers[] = {1, 2, 3, 4, 5, 6, 7, 8, 10};

}  // namespace

TEST(MethodLibrary, NamesAndNumbers) {
    const char* names[] = {"Plain Hunt",         "Plain Bob",  "Double Oxford Bob",
                           "Treble Bob Hunt",    "Little Bob", "Kent Treble Bob",
                           "Cambridge Surprise", "Stedman",    "Cray Surprise"};
    for (int k = 0; k < 9; ++k) {
        const MethodInfo* method = FindMethod(kMethodNumbers[k]);
        ASSERT_NE(method, nullptr);
        EXPECT_STREQ(method->name, names[k]);
    }
    for (int number : {-1, 0, 9, 11}) {
        EXPECT_EQ(FindMethod(number), nullptr) << number;
    }
}

TEST(MethodLibrary, CompleteLeads) {
    const LeadCase cases[] = {
        {1, 8, "x 1"},
        {2, 8, "x 1 x 1 x 1 x 1 x 1 x 1 x 1 x 1,2"},
        {3, 8, "x 1,4 x 3,6 x 5,8 x 7,8 x 5,8 x 3,6 x 1,4 x 1,2"},
        {4, 8, "x x x 1"},
        {5, 8, "x 1 x 1,4 x 1 x 1,2"},
        {6, 8, "3,4 x 3,4 " + Repeat("1 x 1,2 x", 3) + "1 " + Repeat("x 1,2 x 1", 3) + "1"},
        {7, 8, "x 3 x 1,4 x 1,2,5 x 3,6 x 1,4 x 5 x 1,5 x 7 x 1,5 x 5 x 1,4 x 3,6 x 1,2,5 x 1,4 x 3 x 1,2"},
        {8, 8, "3 1 7 3 1 3 1 3 7 1 3 1"},
        {10, 8,
         "x 5,6 x 1,4 x 5,6 x 3,6 x 3,4 x 5,8 x 3,4 x 1,8 x 3,4 x 5,8 x 3,4 x 3,6 x 5,6 x 1,4 x 5,6 x 1,2"},
        {7, 6, "x 3 x 1,4 x 1,2 x 3 x 1,3 x 5 x 1,3 x 3 x 1,2 x 1,4 x 3 x 1,2"},
        {3, 7, "x 1,4 x 3,6 x 6,7 x 4,7 x 1,4 x 1,2"},
        {8, 6, "3 1 5 3 1 3 1 3 5 1 3 1"},
        {8, 7, "3 1 7 3 1 3 1 3 7 1 3 1"},
        {8, 12, "3 1 11 3 1 3 1 3 11 1 3 1"},
        {6, 6, "3,4 x 3,4 " + Repeat("1 x 1,2 x", 2) + "1 " + Repeat("x 1,2 x 1", 2) + "1"},
        {6, 7, "3,4 x 3,4 " + Repeat("1 x 1,2 x", 2) + "1 " + Repeat("x 1,2 x 1", 2) + "1"},
    };
    for (const LeadCase& c : cases) {
        EXPECT_EQ(BuildLead(c.method, c.stage), ParseLead(c.lead))
            << "method " << c.method << " at " << c.stage;
    }
}

TEST(MethodLibrary, TinyStagesAreGeneratedAsWritten) {
    // Cambridge Surprise at 3 bells: places n - 4 = -1 and n - 3 = 0 appear as tokens.
    CPlaceNotation notation(3, 7);
    const std::vector<int> expected = {
        0, -1, 3,  -1, 0,  -1, 1,  4, -1, 0, -1,              // x, {3}, x, {1, 4}, x
        1, -1, -1, 0,  -1, 0,  -1, 0, -1, 1, 0,  -1, 0,  -1,  // {1, n-4}, x, {n-3}, x, {1, n-3}, x
        2, -1,                                                // {n-1}
        0, -1, 1,  0,  -1, 0,  -1, 0, -1, 0, -1, 1,  -1, -1,  // x, {1, n-3}, x, {n-3}, x, {1, n-4}
        0, -1, 1,  4,  -1, 0,  -1, 3, -1, 0, -1,              // x, {1, 4}, x, {3}, x
        1, 2,  -1, -2};
    EXPECT_EQ(notation.Tokens(), expected);
}

TEST(MethodLibrary, LargeStagesGiveLongLeads) {
    EXPECT_EQ(BuildLead(2, 1024).size(), 2048u);
    EXPECT_EQ(BuildLead(7, 1024).size(), 4096u);
}

// Changes per lead, from the smallest stage at which every change is well formed.
std::size_t ExpectedLeadLength(int method, int n) {
    const bool even = n % 2 == 0;
    switch (method) {
        case 1:
            return 2;
        case 2:
            return 2 * n;
        case 3:
            return even ? 2 * n : 2 * n - 2;
        case 4:
            return 4;
        case 5:
            return 8;
        case 6:
            return 8 * (n / 2 - 1) + 5;
        case 7:
        case 10:
            return even ? 4 * n : 4 * n - 4;
        case 8:
            return 12;
    }
    return 0;
}

int SmallestStage(int method) {
    switch (method) {
        case 1:
        case 4:
            return 1;
        case 2:
            return 2;
        case 3:
        case 5:
        case 6:
            return 4;
        case 8:
            return 3;
        default:
            return 6;
    }
}

TEST(MethodLibrary, LeadLengthsUpTo64Bells) {
    for (int method : kMethodNumbers) {
        for (int n = SmallestStage(method); n <= 64; ++n) {
            EXPECT_EQ(BuildLead(method, n).size(), ExpectedLeadLength(method, n)) << method << " at " << n;
        }
    }
}

TEST(MethodLibrary, EveryChangeListsAscendingPlacesInsideTheRow) {
    for (int method : kMethodNumbers) {
        for (int n = SmallestStage(method); n <= 40; ++n) {
            for (const Change& change : BuildLead(method, n)) {
                ASSERT_FALSE(change.empty()) << method << " at " << n;
                if (change == Change{PN_CROSS}) {
                    continue;
                }
                for (std::size_t k = 0; k < change.size(); ++k) {
                    EXPECT_GE(change[k], 1) << method << " at " << n;
                    EXPECT_LE(change[k], n) << method << " at " << n;
                    if (k > 0) {
                        EXPECT_LT(change[k - 1], change[k]) << method << " at " << n;
                    }
                }
            }
        }
    }
}

// How many rows it takes a method, stepped as the saver steps it, to come back to rounds.
long long RowsToRounds(int method, int n, long long limit) {
    CPlaceNotation notation(n, method);
    std::vector<std::uint32_t> row = Rounds(n);
    const std::vector<std::uint32_t> rounds = row;
    int place = PN_NOTATION_END;
    for (long long k = 1; k <= limit; ++k) {
        place = ApplyNextChange(notation, place, row.data(), n);
        if (row == rounds) {
            return k;
        }
    }
    return -1;
}

TEST(MethodLibrary, PlainHuntComesRoundAfterTwiceTheStage) {
    for (int n = 3; n <= 40; ++n) {
        EXPECT_EQ(RowsToRounds(1, n, 10000), 2 * n) << n;
    }
}

TEST(MethodLibrary, PlainBobPlainCourseIsOneLeadFewerThanTheStage) {
    for (int n = 4; n <= 24; ++n) {
        EXPECT_EQ(RowsToRounds(2, n, 100000), static_cast<long long>(n - 1) * 2 * n) << n;
    }
}

TEST(MethodLibrary, TinyStagesStayInsideTokensAndRow) {
    // Below a method's smallest stage, places of 0 or less collide with the markers
    // and places beyond the row occur; stepping and permuting must stay in bounds.
    for (int method : kMethodNumbers) {
        for (int stage = 0; stage <= 5; ++stage) {
            CPlaceNotation notation;
            notation.SetStage(stage);
            EXPECT_EQ(notation.Build(method), stage > 0);
            for (int width = 0; width <= stage + 1; ++width) {
                std::vector<std::uint32_t> row = Rounds(width);
                int place = PN_NOTATION_END;
                for (int step = 0; step < 200; ++step) {
                    place = ApplyNextChange(notation, place, row.data(), width);
                }
                std::vector<std::uint32_t> sorted = row;
                std::sort(sorted.begin(), sorted.end());
                EXPECT_EQ(sorted, Rounds(width)) << method << " at " << stage << " on " << width;
            }
        }
    }
}
