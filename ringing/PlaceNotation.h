#pragma once

#include <cstddef>
#include <initializer_list>
#include <string>
#include <vector>

// Token encoding of a notation: a place p >= 1, or one of these markers.
constexpr int PN_CROSS = 0;          // a change that lists no places
constexpr int PN_CHANGE_END = -1;    // ends every change
constexpr int PN_NOTATION_END = -2;  // ends the lead; always the last token

// Bell-symbol alphabet: place p (1..33) is character p.
constexpr char kBellSymbols[] = "1234567890ETABCDFGHJKLMNPQRSUVXYZ";
constexpr int kBellSymbolCount = 33;

// The place notation of one lead of a method, generated for a stage, with a read
// position for stepping through it change by change.
class CPlaceNotation {
  public:
    CPlaceNotation() = default;
    CPlaceNotation(int nStage, int nMethod);
    virtual ~CPlaceNotation() = default;
    CPlaceNotation(const CPlaceNotation&) = delete;
    CPlaceNotation& operator=(const CPlaceNotation&) = delete;

    void SetStage(int nStage) { m_nStage = nStage; }
    int GetStage() const { return m_nStage; }
    const std::string& GetName() const { return m_strName; }

    // Replaces the tokens with method nMethod's lead for the current stage. A stage
    // below 1 or a number that names no method returns false and changes nothing.
    bool Build(int nMethod);
    void Clear() { m_tokens.clear(); }
    void Append(std::initializer_list<int> tokens);

    // Moves to the first token and returns it; PN_NOTATION_END when there are no tokens.
    int First();
    // Moves one token on and returns it. On the last token it stays there and
    // returns PN_NOTATION_END, so a reader can never step outside the tokens.
    int Next();
    // True when the read position is on the last token, where Next stays.
    bool IsAtLastToken() const { return m_nPos + 1 >= m_tokens.size(); }
    bool IsEmpty() const { return m_tokens.empty(); }
    const std::vector<int>& Tokens() const { return m_tokens; }

    // "1".."9", "0", "E", "T", "A"... up to 33 bells; "{p}" above. Throws
    // std::invalid_argument for a place outside 1..33 at 33 bells or fewer.
    std::string PlaceSymbol(int nPlace) const;

  private:
    std::vector<int> m_tokens;
    int m_nStage = 0;
    std::string m_strName;
    std::size_t m_nPos = 0;
};
