#pragma once

#include <cstdint>

class CPlaceNotation;

// Reads the next change from `notation` and permutes `row` (nBells entries) by it.
//
// `nPlace` is the reader's memory of the last token read: PN_NOTATION_END after a
// (re)build, so the read starts with First; after the last change of the lead the
// read wraps to the first change while the row carries on as it stands. Returns the
// new memory, PN_CHANGE_END after a complete change. An empty notation holds no
// change: the row is left as it is and PN_NOTATION_END returned.
//
// Places are 1-based, positions 0-based. Below each place the entries exchange in
// adjacent pairs while i <= place - 2 (so a place after an odd gap does not stay),
// above the last place up to the right edge. An exchange whose second entry would
// lie beyond the row is skipped, whatever the tokens say. A place token below 1
// (tiny stages compute some, even one equal to PN_NOTATION_END) exchanges nothing
// below it, and the pairs after it start again at position 0.
int ApplyNextChange(CPlaceNotation& notation, int nPlace, std::uint32_t* row, int nBells);
