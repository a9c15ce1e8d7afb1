#pragma once

// The one table of file-kind colours, shared by the treemap, the file list and the kinds pane so
// that a kind looks the same everywhere.

#include "scan/file_kinds.h"
#include "scan/measures.h"

#include <cstddef>
#include <cstdint>
#include <unordered_map>
#include <vector>

namespace treemap {

inline constexpr std::uint32_t kUnknownKindColour = 0xFF808080;
inline constexpr std::uint32_t kFolderColour = 0xFF3A3A3C;
inline constexpr std::uint32_t kSymbolicLinkColour = 0xFF5A5A5E;

// The colour of kind `index` in a fresh table (0xAARRGGBB, opaque): Folder and Symbolic link have
// fixed greys; every other kind a hue that steps by the golden ratio, so neighbouring kinds differ.
std::uint32_t tableColour(std::size_t index);

// Copyable, so a treemap build can take its own copy; the original lives on the user-interface
// thread and is not safe to use from two threads at once.
class KindColours {
  public:
    // One colour per kind of the process's kind table (built first if needed).
    KindColours();
    // A table of `kinds` colours; for tests and for tables of another size.
    explicit KindColours(std::size_t kinds);

    // True (the start): each kind keeps its own colour. False: ranked kinds take their colours
    // from their rank in the current scan.
    bool consistent() const { return consistent_; }
    void setConsistent(bool consistent) { consistent_ = consistent; }

    // Ranks kinds by total, largest first; kinds missing from `totals` keep their own colour.
    void rankKinds(const std::vector<scan::KindTotal>& totals);

    // The colour of a kind. Following ranks, rank r takes the colour of kind 4 + r, wrapping
    // around before the end of the table, so the first four colours are never handed out by
    // rank. A kind outside the table gives kUnknownKindColour.
    std::uint32_t colourOf(int kind) const;

    std::size_t size() const { return colours_.size(); }

  private:
    static constexpr std::size_t kFixedColours = 4;

    bool consistent_ = true;
    std::vector<std::uint32_t> colours_;
    std::unordered_map<scan::FileKind, std::int32_t> rankOf_;
};

}  // namespace treemap
