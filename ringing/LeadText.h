#pragma once

#include <string>

class CPlaceNotation;

// One lead in change-ringing notation: "-" for a cross, the place symbols of a
// change in ascending order, "." between two consecutive changes that list places.
// An empty notation gives an empty text.
std::string LeadText(const CPlaceNotation& notation);
