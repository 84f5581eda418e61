#include "ringing/PlaceNotation.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "tests/support/Leads.h"

TEST(PlaceNotation, EmptyNotationReportsTheEndAndNeverReadsTokens) {
    CPlaceNotation notation;
    EXPECT_TRUE(notation.IsEmpty());
    EXPECT_EQ(notation.First(), PN_NOTATION_END);
    EXPECT_EQ(notation.Next(), PN_NOTATION_END);
    EXPECT_EQ(notation.First(), PN_NOTATION_END);
}

TEST(PlaceNotation, NextStaysOnTheLastToken) {
    CPlaceNotation notation;
    notation.Append({1, PN_CHANGE_END, PN_NOTATION_END});
    EXPECT_EQ(notation.First(), 1);
    EXPECT_EQ(notation.Next(), PN_CHANGE_END);
    EXPECT_EQ(notation.Next(), PN_NOTATION_END);
    EXPECT_EQ(notation.Next(), PN_NOTATION_END);
    EXPECT_EQ(notation.First(), 1);
}

TEST(PlaceNotation, AppendKeepsOrderAndAcceptsNothing) {
    CPlaceNotation notation;
    notation.Append({});
    notation.Append({3, 4, PN_CHANGE_END});
    notation.Append({PN_CROSS, PN_CHANGE_END});
    EXPECT_EQ(notation.Tokens(), (std::vector<int>{3, 4, -1, 0, -1}));
    notation.Clear();
    EXPECT_TRUE(notation.IsEmpty());
}

TEST(PlaceNotation, BuildSetsNameAndTokensForTheStage) {
    CPlaceNotation notation(6, 2);
    EXPECT_EQ(notation.GetStage(), 6);
    EXPECT_EQ(notation.GetName(), "Plain Bob");
    EXPECT_EQ(ChangesOf(notation).size(), 12u);
    notation.SetStage(8);
    EXPECT_EQ(ChangesOf(notation).size(), 12u) << "SetStage alone leaves the tokens";
    EXPECT_TRUE(notation.Build(8));
    EXPECT_EQ(notation.GetName(), "Stedman");
    EXPECT_EQ(ChangesOf(notation).size(), 12u);
}

TEST(PlaceNotation, BuildRefusesUnknownMethodsAndStageZeroWithoutChange) {
    CPlaceNotation notation(8, 1);
    const std::vector<int> before = notation.Tokens();
    for (int method : {9, 0, -1, -10, 11, 12, 1000}) {
        EXPECT_FALSE(notation.Build(method)) << method;
        EXPECT_EQ(notation.Tokens(), before) << method;
        EXPECT_EQ(notation.GetName(), "Plain Hunt") << method;
    }
    notation.SetStage(0);
    EXPECT_FALSE(notation.Build(7));
    EXPECT_EQ(notation.Tokens(), before);
    notation.SetStage(-3);
    EXPECT_FALSE(notation.Build(7));
    EXPECT_EQ(notation.Tokens(), before);

    CPlaceNotation never;
    never.SetStage(8);
    EXPECT_FALSE(never.Build(9));
    EXPECT_TRUE(never.IsEmpty());
    EXPECT_EQ(never.GetName(), "");
}

TEST(PlaceNotation, ReaderWrapsRoundTheLead) {
    CPlaceNotation notation;
    notation.Append({0, -1, 1, -1, -2});
    // The reader's protocol: First after a build, Next after that, First again on -2.
    std::vector<int> firstTokens;
    int remembered = PN_NOTATION_END;
    for (int change = 0; change < 5; ++change) {
        int token = remembered == PN_NOTATION_END ? notation.First() : notation.Next();
        if (token == PN_NOTATION_END) {
            token = notation.First();
        }
        firstTokens.push_back(token);
        while (token != PN_CHANGE_END) {
            token = notation.Next();
        }
        remembered = token;
    }
    EXPECT_EQ(firstTokens, (std::vector<int>{0, 1, 0, 1, 0}));
}

struct SymbolCase {
    int stage;
    int place;
    const char* symbol;
};

TEST(PlaceNotation, PlaceSymbols) {
    const SymbolCase cases[] = {
        {12, 1, "1"},   {12, 9, "9"},     {12, 10, "0"},          {12, 11, "E"}, {12, 12, "T"}, {33, 13, "A"},
        {33, 16, "D"},  {33, 17, "F"},    {33, 21, "K"},          {33, 26, "Q"}, {33, 30, "V"}, {33, 33, "Z"},
        {34, 1, "{1}"}, {34, 34, "{34}"}, {5000, 4321, "{4321}"}, {3, 20, "J"},
    };
    for (const SymbolCase& c : cases) {
        CPlaceNotation notation;
        notation.SetStage(c.stage);
        EXPECT_EQ(notation.PlaceSymbol(c.place), c.symbol) << c.stage << "/" << c.place;
    }
}

TEST(PlaceNotation, PlaceSymbolOutsideTheAlphabetThrows) {
    for (int stage : {0, 12, 33}) {
        CPlaceNotation notation;
        notation.SetStage(stage);
        for (int place : {0, -1, 34, 100}) {
            EXPECT_THROW(notation.PlaceSymbol(place), std::invalid_argument) << stage << "/" << place;
        }
    }
}
