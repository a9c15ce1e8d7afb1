#pragma once

// The process-wide table of file kinds. Folders, links and names without an extension have fixed
// kinds; every other file is classified by its extension.

#include <cstddef>
#include <cstdint>
#include <string>

namespace scan {

using FileKind = std::uint16_t;

inline constexpr FileKind KindUnknown = 0;
inline constexpr FileKind KindFolder = 1;
inline constexpr FileKind KindSymbolicLink = 2;
inline constexpr FileKind KindNoExtension = 3;

// Builds the names and the extension map once; later calls change nothing. Safe from any thread.
void ensureKindTable();

// The kind of a plain file from its name. Looks at no more than the last 12 units, allocates
// nothing and compares no strings. The table must exist (ensureKindTable).
FileKind classify(const char16_t* name, std::size_t length);
inline FileKind classify(std::u16string_view name) {
    return classify(name.data(), name.size());
}

// The name of a kind; an index outside the table gives "Unknown".
const std::u16string& kindName(FileKind kind);
std::size_t kindCount();
FileKind otherKind();

// Packs an extension of 1 to 8 ASCII units into a key, folding A-Z to a-z. Answers 0 when the
// extension is empty, longer than 8 units or not ASCII.
std::uint64_t extensionKey(const char16_t* extension, std::size_t length);

}  // namespace scan
