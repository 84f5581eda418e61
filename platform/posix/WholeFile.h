#pragma once

#include <sys/stat.h>

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// Small files read and written whole: the settings file, ~/.xscreensaver and the
// exported notation. Failures come with the reason in the system's words
// (strerror of the first error, never of the clean-up after it).

enum class ReadStatus { Ok, Missing, TooLarge, Failed };

// Reads a regular file of at most maxBytes bytes. Anything else fails without
// waiting on it (a FIFO, a device); a larger file is TooLarge, counted by the
// bytes actually read (it may grow while it is read). The reason is set whenever
// the status is not Ok.
ReadStatus ReadWholeFile(const std::string& path, std::size_t maxBytes, std::string& text,
                         std::string& reason);

// The file that `path` names once its symbolic links are followed, also when the
// last one leads to a file that does not exist yet; std::nullopt (errno ELOOP) for
// a loop of links.
std::optional<std::string> FollowLinks(const std::string& path);

struct ReplaceOptions {
    mode_t newMode = 0600;  // for a file that does not exist yet; one that does keeps its own
    // Whose file the new one is (owner and group): the file replaced, or the one
    // given here (the original, for a copy kept beside it). A root that edits a
    // user's file leaves it the user's.
    const struct stat* ownerLike = nullptr;
    // A second name that the file replaced takes just before the new one takes its
    // place, so that it is kept whole beside it (empty: none).
    std::string keepOldAs;
};

// Replaces the file that `path` names (through its links, so that a link stays
// a link) with `text`, whole or not at all: the text goes to a new file beside it,
// is synced, and then takes its place. A file that may not be written is not
// replaced; nor is one whose owner cannot be kept, nor one with a second name (a
// hard link), which the new file would part from it. False, with the reason,
// when nothing was replaced.
bool ReplaceWholeFile(const std::string& path, std::string_view text, const ReplaceOptions& options,
                      std::string& reason);

// Writes a file that the user chose, as careful editors do. A new file, and one
// that a new file can stand in for unchanged (its folder takes a new file, its
// owner and group can be kept, it has one name), is replaced whole as above, with
// its mode; a new one gets the mode that the user's umask gives. Any other regular
// file that may be written is written in place, so that it keeps its owner, its
// links and its folder's rules: room for the text is reserved before a byte of the
// old text is given up, and a file that cannot have it keeps its text. What is not
// a regular file (a folder, a FIFO, a device) is refused. Links are followed.
// False, with the reason, when the file could not be written.
bool SaveWholeFile(const std::string& path, std::string_view text, std::string& reason);
