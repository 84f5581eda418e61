#include "tests/support/Leads.h"

#include <gtest/gtest.h>

#include <numeric>

Lead ChangesOf(const CPlaceNotation& notation) {
    Lead lead;
    Change current;
    const std::vector<int>& tokens = notation.Tokens();
    for (std::size_t k = 0; k < tokens.size(); ++k) {
        if (tokens[k] == PN_NOTATION_END && k + 1 == tokens.size()) {
            EXPECT_TRUE(current.empty()) << "the lead ends inside a change";
            return lead;
        }
        if (tokens[k] == PN_CHANGE_END) {
            lead.push_back(current);
            current.clear();
        } else {
            current.push_back(tokens[k]);
        }
    }
    ADD_FAILURE() << "the notation does not end with PN_NOTATION_END";
    return lead;
}

void AppendLead(CPlaceNotation& notation, const Lead& lead) {
    for (const Change& change : lead) {
        for (int place : change) {
            notation.Append({place});
        }
        notation.Append({PN_CHANGE_END});
    }
    notation.Append({PN_NOTATION_END});
}

std::vector<std::uint32_t> Rounds(int n) {
    std::vector<std::uint32_t> row(static_cast<std::size_t>(n));
    std::iota(row.begin(), row.end(), 1u);
    return row;
}

std::string RowText(const std::vector<std::uint32_t>& row) {
    std::string text;
    for (std::uint32_t bell : row) {
        text += kBellSymbols[bell - 1];
    }
    return text;
}
