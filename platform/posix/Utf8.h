#pragma once

#include <optional>
#include <string>

// UTF-8 <-> UTF-16 at the seam between the portable text and POSIX interfaces.
// Encoding replaces an unpaired surrogate with U+FFFD; decoding refuses bytes
// that are not well-formed UTF-8.
std::string ToUtf8(const std::u16string& text);
std::optional<std::u16string> FromUtf8(const std::string& bytes);
// Decodes what is well-formed and gives U+FFFD for each byte that is not.
std::u16string FromUtf8Lossy(const std::string& bytes);
