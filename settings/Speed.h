#pragma once

#include <algorithm>
#include <optional>
#include <string_view>

#include "settings/Settings.h"

// The drawing speed, in rows per second. 0 draws as fast as rows can be drawn,
// one at a time with nothing waiting in between.
inline constexpr int kUnpacedSpeed = 0;
// One row per frame at 60 frames per second: a row crosses a 1080-pixel screen in 18 s.
inline constexpr int kPacedDefaultSpeed = 60;
// Faster than any display can show; larger values are taken as this.
inline constexpr int kMaxSpeed = 100000;

// A speed written as a whole decimal number of rows per second: digits and nothing
// else (no sign, no space, no exponent). std::nullopt for anything else; a number
// above kMaxSpeed reads as kMaxSpeed.
template <typename Char>
std::optional<int> ParseSpeed(std::basic_string_view<Char> text) {
    if (text.empty()) {
        return std::nullopt;
    }
    long long value = 0;
    for (const Char c : text) {
        if (c < Char('0') || c > Char('9')) {
            return std::nullopt;
        }
        value = std::min<long long>(value * 10 + (c - Char('0')), kMaxSpeed);
    }
    return static_cast<int>(value);
}

// The stored "Speed": a text value read by ParseSpeed, or a DWORD of 0 or more as
// an int. std::nullopt (no speed chosen) for anything else or no value.
std::optional<int> StoredSpeed(CRegEntry& entry);

// The speed a saver draws at: the one given for this run, else the stored one,
// else `unstored`, the platform's own default (paced on Linux, unpaced on Windows).
int SaverSpeed(std::optional<int> forThisRun, CSettings& settings, int unstored);
