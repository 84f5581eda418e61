#include "ringing/LeadText.h"

#include "ringing/PlaceNotation.h"

std::string LeadText(const CPlaceNotation& notation) {
    std::string text;
    bool dotDue = false;        // the next place symbol follows a change with places
    bool lastWasPlace = false;  // the current change has written a place symbol
    for (int token : notation.Tokens()) {
        if (token > 0) {
            if (dotDue) {
                text += '.';
                dotDue = false;
            }
            text += notation.PlaceSymbol(token);
            lastWasPlace = true;
        } else if (token == PN_CROSS) {
            text += '-';
            lastWasPlace = false;
        } else if (token == PN_CHANGE_END) {
            dotDue = lastWasPlace;
            lastWasPlace = false;
        }
        // Other negative tokens (the end marker, or places that a stage too small for
        // the method pushes below 1) write nothing.
    }
    return text;
}
