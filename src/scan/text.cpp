#include "scan/text.h"

#include <cstdint>

namespace scan {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

void appendUtf16(std::u16string& out, char32_t c) {
    if (c < 0x10000) {
        out.push_back(static_cast<char16_t>(c));
    } else {
        c -= 0x10000;
        out.push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
    }
}

bool isHighSurrogate(char32_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}
bool isLowSurrogate(char32_t c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}

// Decodes one well-formed UTF-8 sequence at `at`; answers its length, or 0 when the bytes there
// are not a well-formed sequence (overlong forms, surrogates and values above U+10FFFF included).
std::size_t decodeUtf8(std::string_view text, std::size_t at, char32_t& c) {
    const auto byte = [&](std::size_t i) { return static_cast<std::uint8_t>(text[i]); };
    const std::uint8_t lead = byte(at);
    std::size_t length = 0;
    char32_t minimum = 0;
    if (lead < 0x80) {
        c = lead;
        return 1;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        c = lead & 0x1F;
        minimum = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        c = lead & 0x0F;
        minimum = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        c = lead & 0x07;
        minimum = 0x10000;
    } else {
        return 0;
    }
    if (at + length > text.size()) {
        return 0;
    }
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(at + i) & 0xC0) != 0x80) {
            return 0;
        }
        c = (c << 6) | (byte(at + i) & 0x3F);
    }
    if (c < minimum || c > 0x10FFFF || isHighSurrogate(c) || isLowSurrogate(c)) {
        return 0;
    }
    return length;
}

// Decodes one code point of UTF-16 at `at`; answers its length in units and sets `valid`.
std::size_t decodeUtf16(std::u16string_view text, std::size_t at, char32_t& c, bool& valid) {
    c = text[at];
    valid = true;
    if (isHighSurrogate(c) && at + 1 < text.size() && isLowSurrogate(text[at + 1])) {
        c = 0x10000 + ((c - 0xD800) << 10) + (text[at + 1] - 0xDC00);
        return 2;
    }
    valid = !isHighSurrogate(c) && !isLowSurrogate(c);
    return 1;
}

}  // namespace

std::string toUtf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        char32_t c = 0;
        bool valid = true;
        at += decodeUtf16(text, at, c, valid);
        appendUtf8(out, valid ? c : kReplacement);
    }
    return out;
}

std::u16string fromUtf8(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        char32_t c = 0;
        const std::size_t length = decodeUtf8(text, at, c);
        appendUtf16(out, length == 0 ? kReplacement : c);
        at += length == 0 ? 1 : length;
    }
    return out;
}

std::u16string fileNameFromBytes(std::string_view bytes) {
    std::u16string out;
    out.reserve(bytes.size());
    appendFileNameFromBytes(out, bytes);
    return out;
}

void appendFileNameFromBytes(std::u16string& out, std::string_view bytes) {
    for (std::size_t at = 0; at < bytes.size();) {
        // Most names are ASCII; a run of ASCII bytes is widened in one step, which the walk
        // notices since it converts every name it lists.
        std::size_t end = at;
        while (end < bytes.size() && static_cast<std::uint8_t>(bytes[end]) < 0x80) {
            ++end;
        }
        if (end > at) {
            const std::size_t start = out.size();
            out.resize(start + (end - at));
            for (std::size_t i = at; i < end; ++i) {
                out[start + (i - at)] = static_cast<char16_t>(bytes[i]);
            }
            at = end;
            continue;
        }
        char32_t c = 0;
        const std::size_t length = decodeUtf8(bytes, at, c);
        if (length == 0) {
            out.push_back(static_cast<char16_t>(0xDC00 + static_cast<std::uint8_t>(bytes[at])));
            ++at;
        } else {
            appendUtf16(out, c);
            at += length;
        }
    }
}

std::string fileNameToBytes(std::u16string_view name) {
    std::string out;
    out.reserve(name.size());
    for (std::size_t at = 0; at < name.size();) {
        // The same ASCII fast path as above: the walk converts every folder's path to open it.
        std::size_t end = at;
        while (end < name.size() && name[end] < 0x80) {
            ++end;
        }
        if (end > at) {
            const std::size_t start = out.size();
            out.resize(start + (end - at));
            for (std::size_t i = at; i < end; ++i) {
                out[start + (i - at)] = static_cast<char>(name[i]);
            }
            at = end;
            continue;
        }
        char32_t c = 0;
        bool valid = true;
        at += decodeUtf16(name, at, c, valid);
        if (!valid && c >= 0xDC80 && c <= 0xDCFF) {
            out.push_back(static_cast<char>(c - 0xDC00));
        } else {
            appendUtf8(out, valid ? c : kReplacement);
        }
    }
    return out;
}

}  // namespace scan
