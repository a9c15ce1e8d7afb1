#pragma once

// Names from the file system shown on a terminal. A name may hold anything but a separator, and
// an escape sequence or a carriage return in one would let it move the cursor, recolour or
// rewrite what the user sees; such characters are shown as escapes instead.

#include <string>
#include <string_view>

namespace cli {

// `text` with every control character (C0, DEL, C1) and every character that reorders the text
// around it (the bidirectional marks, embeddings, overrides and isolates) written as an escape:
// \n, \r and \t for the usual three, \xHH for the other controls below U+0100 and \uHHHH for the
// rest. Everything else, the backslash included, stays as it is.
std::u16string terminalSafe(std::u16string_view text);

}  // namespace cli
