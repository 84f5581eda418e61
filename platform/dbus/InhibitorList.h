#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The inhibitors that callers on the user's session bus hold through
// org.freedesktop.ScreenSaver, as the idle watcher that serves it keeps them in
// the user's runtime folder, one file for each bus: every other watcher of the
// user reads them there, and the next to serve the name takes them over. One line
// for each, "COOKIE CALLER": the cookie handed out and the caller's unique name on
// the bus (":1.42"), never used again by another caller on that bus.
struct Inhibitor {
    std::uint32_t cookie;
    std::string caller;

    bool operator==(const Inhibitor& other) const { return cookie == other.cookie && caller == other.caller; }
};

std::string InhibitorListText(const std::vector<Inhibitor>& inhibitors);
// The inhibitors of a list; a line that is not one (a cookie of 0, a caller that is
// no unique name) is left out.
std::vector<Inhibitor> ParseInhibitorList(std::string_view text);

// The list's file for the bus with this id, in the user's runtime folder; "" when there is no such folder.
std::string InhibitorListPath(const std::string& busId);
std::vector<Inhibitor> ReadInhibitorList(const std::string& path);
// Writes the list whole, or removes the file when it is empty.
void WriteInhibitorList(const std::string& path, const std::vector<Inhibitor>& inhibitors);
