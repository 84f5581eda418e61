#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "ringing/PlaceNotation.h"

using Change = std::vector<int>;  // the tokens of one change, without its PN_CHANGE_END
using Lead = std::vector<Change>;

// Splits a notation's tokens into changes; fails the test if it is not well formed.
Lead ChangesOf(const CPlaceNotation& notation);

// A notation holding exactly these changes, closed as a generated lead is.
void AppendLead(CPlaceNotation& notation, const Lead& lead);

// Rounds: 1, 2, ..., n.
std::vector<std::uint32_t> Rounds(int n);

// A row of small bell numbers as text, "2143".
std::string RowText(const std::vector<std::uint32_t>& row);
