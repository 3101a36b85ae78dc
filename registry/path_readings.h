#pragma once
// Where a path may stand in a registry text, read the way Windows would read it: each path
// on its own, up to a character no path can hold, with the names that blanks, dashes,
// commas and the like may belong to. The readings only ever add ways for a text to name
// something that exists; the caller asks the file system.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace keldra::registry {

struct PathReading {
    std::string path;
    // The reference ends with this path, so an existing folder counts as well as a file;
    // where the text goes on into a deeper name only a file counts.
    bool referenceEnds = false;
    // For the second of two paths in one command (a program and the file it opens): the
    // first, which must name an existing file for this reading to count. Empty otherwise.
    std::string pairedWith;
    friend bool operator==(const PathReading&, const PathReading&) = default;
};

struct PathReadings {
    std::vector<PathReading> candidates;
    // The drive letters of the paths found (upper case, in order, repeats kept out).
    std::string drives;
    // A path the program cannot judge: a network share, a device, or a host path such as
    // Wine's "\??\unix\...".
    bool unjudgeable = false;
};

// Bounds that keep a long text cheap: the text is read once per path found (at most 16
// paths), and each path is tried in at most 24 ways, none longer than a path can be; so
// reading costs a bounded number of passes over the text and at most 384 candidates.
inline constexpr std::size_t kMaxPathsRead = 16;
inline constexpr std::size_t kMaxReadingsPerPath = 24;
inline constexpr std::size_t kMaxPathCharacters = 32767;

PathReadings ReadPaths(std::string_view text);

// True when `text` begins with a full path: a drive ("C:\", "C:/"), a share ("\\server")
// or an NT prefix ("\\?\", "\??\").
bool IsAbsolutePath(std::string_view text);

}  // namespace keldra::registry
