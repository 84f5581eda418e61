#pragma once

#include <optional>

#include "settings/Settings.h"

// The drawing speed, in rows per second. 0 draws as fast as rows can be drawn,
// one at a time with nothing waiting in between.
inline constexpr int kUnpacedSpeed = 0;
// One row per frame at 60 frames per second: a row crosses a 1080-pixel screen in 18 s.
inline constexpr int kPacedDefaultSpeed = 60;
// Faster than any display can show; larger values are taken as this.
inline constexpr int kMaxSpeed = 100000;

// The stored "Speed" (read like "Method"): std::nullopt when it has no value, is
// negative, or is text that does not start with a number.
std::optional<int> StoredSpeed(CRegEntry& entry);

// The speed a saver draws at: the one given for this run, else the stored one,
// else `unstored`, the platform's own default (paced on Linux, unpaced on Windows).
int SaverSpeed(std::optional<int> forThisRun, CSettings& settings, int unstored);

// A speed as a whole number of rows per second, 0 or more, clamped to kMaxSpeed.
int ClampSpeed(long long speed);
