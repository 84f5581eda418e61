#pragma once

#include <cstdint>

// A colour in the Win32 COLORREF layout: red bits 0-7, green 8-15, blue 16-23.
using PackedColour = std::uint32_t;

// The colour as a 32-bit XRGB pixel (0x00RRGGBB), as wl_shm's XRGB8888 and
// cairo's RGB24 hold it, and back.
constexpr std::uint32_t XrgbOf(PackedColour colour) {
    return (colour & 0xFF) << 16 | (colour & 0xFF00) | (colour >> 16 & 0xFF);
}
constexpr PackedColour PackedColourOf(std::uint32_t xrgb) {
    return XrgbOf(xrgb);  // the same swap of the outer channels
}
