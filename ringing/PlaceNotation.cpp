#include "ringing/PlaceNotation.h"

#include <stdexcept>

#include "ringing/MethodLibrary.h"

CPlaceNotation::CPlaceNotation(int nStage, int nMethod) : m_nStage(nStage) {
    Build(nMethod);
}

bool CPlaceNotation::Build(int nMethod) {
    const MethodInfo* method = FindMethod(nMethod);
    if (m_nStage < 1 || method == nullptr) {
        return false;
    }
    m_strName = method->name;
    Clear();
    method->appendLead(*this, m_nStage);
    Append({PN_NOTATION_END});
    return true;
}

void CPlaceNotation::Append(std::initializer_list<int> tokens) {
    m_tokens.insert(m_tokens.end(), tokens);
}

int CPlaceNotation::First() {
    m_nPos = 0;
    return m_tokens.empty() ? PN_NOTATION_END : m_tokens[0];
}

int CPlaceNotation::Next() {
    if (m_nPos + 1 >= m_tokens.size()) {
        return PN_NOTATION_END;
    }
    return m_tokens[++m_nPos];
}

std::string CPlaceNotation::PlaceSymbol(int nPlace) const {
    if (m_nStage > kBellSymbolCount) {
        return "{" + std::to_string(nPlace) + "}";
    }
    if (nPlace < 1 || nPlace > kBellSymbolCount) {
        throw std::invalid_argument("place " + std::to_string(nPlace) + " has no bell symbol");
    }
    return std::string(1, kBellSymbols[nPlace - 1]);
}
