#pragma once

#include <string>

class CPlaceNotation;

// One method of the library: its number, its name and the generator that appends
// its lead (every change followed by PN_CHANGE_END) for n bells.
struct MethodInfo {
    int number;
    const char* name;
    void (*appendLead)(CPlaceNotation& notation, int n);
};

// The method with that number, or nullptr when the number names no method.
const MethodInfo* FindMethod(int nMethod);
// The highest number that names a method.
inline constexpr int kHighestMethodNumber = 10;

// The numbers that name methods, in runs: "1 to 8 or 10".
std::string MethodNumbersText();
// Each method's number and name: "1 Plain Hunt, 2 Plain Bob, ...".
std::string MethodListText();
