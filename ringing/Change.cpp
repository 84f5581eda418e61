#include "ringing/Change.h"

#include <algorithm>
#include <utility>

#include "ringing/PlaceNotation.h"

namespace {

// Exchanges (i, i+1), (i+2, i+3), ... while i <= limit and the pair lies in the row.
inline void SwapPairs(std::uint32_t* row, int i, int limit, int nBells) {
    const int last = std::min(limit, nBells - 2);
    for (; i <= last; i += 2) {
        std::swap(row[i], row[i + 1]);
    }
}

}  // namespace

int ApplyNextChange(CPlaceNotation& notation, int nPlace, std::uint32_t* row, int nBells) {
    int token = (nPlace == PN_NOTATION_END) ? notation.First() : notation.Next();
    if (token == PN_NOTATION_END) {
        token = notation.First();
        if (token == PN_NOTATION_END) {
            return PN_NOTATION_END;
        }
    }
    // An even first place leaves an odd number of bells below it: position 0 stays too.
    int i = (token > 0 && token % 2 == 0) ? 1 : 0;
    for (;;) {
        SwapPairs(row, i, token - 2, nBells);
        i = token > 0 ? token : 0;
        token = notation.Next();
        // A change reads on to its end marker, past a place token that happens to
        // equal PN_NOTATION_END (tiny stages build one). Generated leads always close
        // a change before the last token; stopping there too means no token sequence
        // can keep the loop going.
        if (token == PN_CHANGE_END || (token == PN_NOTATION_END && notation.IsAtLastToken())) {
            break;
        }
    }
    SwapPairs(row, i, nBells - 2, nBells);
    return token;
}
