#include "ringing/MethodLibrary.h"

#include <iterator>
#include <string>

#include "ringing/PlaceNotation.h"

// Each generator appends the changes of one lead in order; CPlaceNotation::Build
// closes the lead with PN_NOTATION_END. Places are computed from n exactly as the
// methods are defined, even where a tiny stage makes them fall outside 1..n.
namespace {

constexpr int E = PN_CHANGE_END;
constexpr int X = PN_CROSS;

void PlainHunt(CPlaceNotation& pn, int) {
    pn.Append({X, E, 1, E});
}

void PlainBob(CPlaceNotation& pn, int n) {
    pn.Append({X, E});
    for (int k = 0; k < n - 1; ++k) {
        pn.Append({1, E, X, E});
    }
    pn.Append({1, 2, E});
}

void DoubleOxfordBob(CPlaceNotation& pn, int n) {
    pn.Append({X, E, 1, 4, E, X, E});
    for (int e = 6; e <= n; e += 2) {
        pn.Append({e - 3, e, E, X, E});
    }
    pn.Append({n - 1, n, E});
    for (int g = n; g >= 6; g -= 2) {
        pn.Append({X, E, g - 3, g, E});
    }
    pn.Append({X, E, 1, 4, E, X, E, 1, 2, E});
}

void TrebleBobHunt(CPlaceNotation& pn, int) {
    pn.Append({X, E, X, E, X, E, 1, E});
}

void LittleBob(CPlaceNotation& pn, int) {
    pn.Append({X, E, 1, E, X, E, 1, 4, E, X, E, 1, E, X, E, 1, 2, E});
}

void KentTrebleBob(CPlaceNotation& pn, int n) {
    const int h = n / 2 - 1;
    pn.Append({3, 4, E, X, E, 3, 4, E});
    for (int k = 0; k < h; ++k) {
        pn.Append({1, E, X, E, 1, 2, E, X, E});
    }
    pn.Append({1, E});
    for (int k = 0; k < h; ++k) {
        pn.Append({X, E, 1, 2, E, X, E, 1, E});
    }
    pn.Append({1, E});
}

void CambridgeSurprise(CPlaceNotation& pn, int n) {
    pn.Append({X, E, 3, E, X, E, 1, 4, E, X, E});
    for (int e = 3; e + 5 <= n; e += 2) {
        pn.Append({1, e - 1, e + 2, E, X, E, e, e + 3, E, X, E});
    }
    pn.Append({1, n - 4, E, X, E, n - 3, E, X, E, 1, n - 3, E, X, E});
    pn.Append({n - 1, E});
    pn.Append({X, E, 1, n - 3, E, X, E, n - 3, E, X, E, 1, n - 4, E});
    for (int g = n; g >= 8; g -= 2) {
        pn.Append({X, E, g - 5, g - 2, E, X, E, 1, g - 6, g - 3, E});
    }
    pn.Append({X, E, 1, 4, E, X, E, 3, E, X, E});
    pn.Append({1, 2, E});
}

void Stedman(CPlaceNotation& pn, int n) {
    const int a = (n % 2 != 0) ? n : n - 1;
    pn.Append({3, E, 1, E, a, E, 3, E, 1, E, 3, E, 1, E, 3, E, a, E, 1, E, 3, E, 1, E});
}

void CraySurprise(CPlaceNotation& pn, int n) {
    const auto appendC = [&pn] { pn.Append({X, E, 5, 6, E, X, E, 1, 4, E, X, E, 5, 6, E, X, E}); };
    appendC();
    for (int e = 6; e <= n; e += 2) {
        pn.Append({e - 3, e, E, X, E, 3, 4, E, X, E});
    }
    pn.Append({1, n, E});
    for (int g = n; g >= 6; g -= 2) {
        pn.Append({X, E, 3, 4, E, X, E, g - 3, g, E});
    }
    appendC();
    pn.Append({1, 2, E});
}

constexpr MethodInfo kMethods[] = {
    {1, "Plain Hunt", PlainHunt},
    {2, "Plain Bob", PlainBob},
    {3, "Double Oxford Bob", DoubleOxfordBob},
    {4, "Treble Bob Hunt", TrebleBobHunt},
    {5, "Little Bob", LittleBob},
    {6, "Kent Treble Bob", KentTrebleBob},
    {7, "Cambridge Surprise", CambridgeSurprise},
    {8, "Stedman", Stedman},
    {10, "Cray Surprise", CraySurprise},
};

}  // namespace

const MethodInfo* FindMethod(int nMethod) {
    for (const MethodInfo& method : kMethods) {
        if (method.number == nMethod) {
            return &method;
        }
    }
    return nullptr;
}

std::string MethodNumbersText() {
    std::string text;
    for (int number = 1; number <= kHighestMethodNumber; ++number) {
        if (FindMethod(number) == nullptr || FindMethod(number - 1) != nullptr) {
            continue;
        }
        int last = number;
        while (FindMethod(last + 1) != nullptr) {
            ++last;
        }
        text += (text.empty() ? "" : " or ") + std::to_string(number) +
                (last > number ? " to " + std::to_string(last) : "");
    }
    return text;
}

std::string MethodListText() {
    std::string text;
    for (int number = 1; number <= kHighestMethodNumber; ++number) {
        if (const MethodInfo* method = FindMethod(number)) {
            text += (text.empty() ? "" : ", ") + std::to_string(number) + " " + method->name;
        }
    }
    return text;
}
