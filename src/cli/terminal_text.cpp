#include "cli/terminal_text.h"

namespace cli {

namespace {

bool reordersText(char16_t unit) {
    return unit == 0x061C || unit == 0x200E || unit == 0x200F ||
           (unit >= 0x202A && unit <= 0x202E) || (unit >= 0x2066 && unit <= 0x2069);
}

void appendHex(std::u16string& out, char16_t unit, int digits) {
    constexpr char16_t kDigits[] = u"0123456789ABCDEF";
    for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4) {
        out.push_back(kDigits[(unit >> shift) & 0xF]);
    }
}

}  // namespace

std::u16string terminalSafe(std::u16string_view text) {
    std::u16string out;
    out.reserve(text.size());
    for (const char16_t unit : text) {
        if (unit == u'\n') {
            out += u"\\n";
        } else if (unit == u'\r') {
            out += u"\\r";
        } else if (unit == u'\t') {
            out += u"\\t";
        } else if (unit < 0x20 || (unit >= 0x7F && unit <= 0x9F)) {
            out += u"\\x";
            appendHex(out, unit, 2);
        } else if (reordersText(unit)) {
            out += u"\\u";
            appendHex(out, unit, 4);
        } else {
            out.push_back(unit);
        }
    }
    return out;
}

}  // namespace cli
