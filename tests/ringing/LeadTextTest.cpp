#include "ringing/LeadText.h"

#include <gtest/gtest.h>

#include "ringing/PlaceNotation.h"

struct ExportCase {
    int method;
    const char* text;
};

TEST(LeadText, LeadsAtTwelveBells) {
    const ExportCase cases[] = {
        {1, "-1"},
        {2, "-1-1-1-1-1-1-1-1-1-1-1-12"},
        {3, "-14-36-58-70-9T-ET-9T-70-58-36-14-12"},
        {4, "---1"},
        {5, "-1-14-1-12"},
        {6, "34-34.1-12-1-12-1-12-1-12-1-12-1-12-1-12-1-12-1-12-1-12-1.1"},
        {7, "-3-14-125-36-147-58-169-70-18-9-19-E-19-9-18-70-169-58-147-36-125-14-3-12"},
        {8, "3.1.E.3.1.3.1.3.E.1.3.1"},
        {10, "-56-14-56-36-34-58-34-70-34-9T-34-1T-34-9T-34-70-34-58-34-36-56-14-56-12"},
    };
    for (const ExportCase& c : cases) {
        CPlaceNotation notation(12, c.method);
        EXPECT_EQ(LeadText(notation), c.text) << c.method;
    }
}

TEST(LeadText, EmptyNotationGivesNoText) {
    CPlaceNotation notation(12, 9);
    EXPECT_EQ(LeadText(notation), "");
}

TEST(LeadText, LargeStagesUseBracedNumbers) {
    CPlaceNotation notation(34, 8);
    EXPECT_EQ(LeadText(notation), "{3}.{1}.{33}.{3}.{1}.{3}.{1}.{3}.{33}.{1}.{3}.{1}");
}

TEST(LeadText, TinyStagesWriteOnlySymbolsOfRealPlaces) {
    // Cambridge Surprise at 4 bells holds a change {1, 0}: the 0 is written as a cross.
    CPlaceNotation notation(4, 7);
    EXPECT_EQ(LeadText(notation), "-3-14-1--1-11-3-11-1-1--14-3-12");
}
