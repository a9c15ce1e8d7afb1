#include "update/json.h"

#include "scan/text.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <system_error>

namespace revorara {

namespace {

bool isDecimalDigit(char c) {
    return c >= '0' && c <= '9';
}

int hexDigitValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// White space as the C library's isspace sees it in the "C" locale, which strtod skips.
bool isCSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// from_chars leaves its result untouched when a number is out of range; strtod gives an infinity
// for one too large and zero for one too small. Which one it was follows from where the first
// significant digit stands, counted in bits for hexadecimal forms (whose exponent is binary) and
// in decimal digits otherwise: out of range and at or above the units place means too large.
bool tooLarge(std::string_view number, bool hexadecimal) {
    const auto isDigit = [&](char c) {
        return hexadecimal ? hexDigitValue(c) >= 0 : isDecimalDigit(c);
    };
    const std::int64_t digitWidth = hexadecimal ? 4 : 1;
    std::size_t i = 0;
    std::int64_t integerDigits = 0;
    std::int64_t leadingFractionZeros = 0;
    bool significant = false;
    for (; i < number.size() && isDigit(number[i]); ++i) {
        if (significant || number[i] != '0') {
            significant = true;
            ++integerDigits;
        }
    }
    if (i < number.size() && number[i] == '.') {
        for (++i; i < number.size() && isDigit(number[i]); ++i) {
            if (!significant) {
                if (number[i] == '0') {
                    ++leadingFractionZeros;
                } else {
                    significant = true;
                }
            }
        }
    }
    // The exponent saturates far beyond any double's range, so it cannot overflow.
    constexpr std::int64_t kExponentCap = std::int64_t{1} << 40;
    std::int64_t exponent = 0;
    if (i < number.size()) {
        bool negative = false;
        if (++i < number.size() && (number[i] == '+' || number[i] == '-')) {
            negative = number[i++] == '-';
        }
        for (; i < number.size() && isDecimalDigit(number[i]); ++i) {
            exponent = std::min(exponent * 10 + (number[i] - '0'), kExponentCap);
        }
        exponent = negative ? -exponent : exponent;
    }
    const std::int64_t position =
        integerDigits > 0 ? integerDigits * digitWidth : -leadingFractionZeros * digitWidth;
    return position + exponent > 0;
}

// Where a hexadecimal number can end at the latest: before a "p" whose exponent is not one
// optional sign and a digit. The standard library's from_chars takes "0x1p+-2" as 0x1p-2, where
// strtod (and the C grammar) read "0x1" and stop at the "p".
const char* hexadecimalEnd(const char* first, const char* last) {
    const char* marker = first;
    while (marker != last && (hexDigitValue(*marker) >= 0 || *marker == '.')) {
        ++marker;
    }
    if (marker == last || (*marker != 'p' && *marker != 'P')) {
        return last;
    }
    const char* exponent = marker + 1;
    if (exponent != last && (*exponent == '+' || *exponent == '-')) {
        ++exponent;
    }
    return exponent != last && *exponent >= '0' && *exponent <= '9' ? last : marker;
}

}  // namespace

std::size_t readNumberPrefix(std::string_view text, double& value) {
    value = 0;
    std::size_t at = 0;
    while (at < text.size() && isCSpace(text[at])) {
        ++at;
    }
    // from_chars takes neither a plus sign nor the "0x" of a hexadecimal form, so both are read
    // here; it must not see a second sign either.
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
        negative = text[at] == '-';
        ++at;
    }
    if (at >= text.size() || text[at] == '+' || text[at] == '-') {
        return 0;
    }
    bool hexadecimal = false;
    if (text.size() - at > 2 && text[at] == '0' && (text[at + 1] == 'x' || text[at + 1] == 'X')) {
        // Without a digit after it, the "x" is not part of the number and the number is "0".
        const std::size_t digits = at + 2;
        if (hexDigitValue(text[digits]) >= 0 || (text[digits] == '.' && digits + 1 < text.size() &&
                                                 hexDigitValue(text[digits + 1]) >= 0)) {
            hexadecimal = true;
            at = digits;
        }
    }
    const char* first = text.data() + at;
    const char* last = text.data() + text.size();
    if (hexadecimal) {
        last = hexadecimalEnd(first, last);
    }
    double parsed = 0;
    const auto [end, error] = std::from_chars(
        first, last, parsed, hexadecimal ? std::chars_format::hex : std::chars_format::general);
    if (error == std::errc::invalid_argument) {
        return 0;
    }
    if (error == std::errc::result_out_of_range) {
        const std::string_view number(first, static_cast<std::size_t>(end - first));
        parsed = tooLarge(number, hexadecimal) ? std::numeric_limits<double>::infinity() : 0.0;
    }
    value = negative ? -parsed : parsed;
    return static_cast<std::size_t>(end - text.data());
}

void JsonParser::skipWhiteSpace() {
    while (!atEnd()) {
        const char c = peek();
        if (c != ' ' && c != '\t' && c != '\n' && c != '\r') {
            return;
        }
        ++position_;
    }
}

bool JsonParser::accept(char c) {
    skipWhiteSpace();
    if (!atEnd() && peek() == c) {
        ++position_;
        return true;
    }
    return false;
}

bool JsonParser::startsWith(std::string_view word) const {
    return text_.substr(static_cast<std::size_t>(position_)).substr(0, word.size()) == word;
}

std::shared_ptr<JsonValue> JsonParser::parseValue() {
    ++depth_;
    if (depth_ > kMaxDepth) {
        // Failing is final, so giving the level back changes nothing the caller sees; it keeps
        // the count bounded however many values follow at this depth.
        --depth_;
        failed_ = true;
        return nullptr;
    }
    auto value = std::make_shared<JsonValue>();
    skipWhiteSpace();
    if (atEnd()) {
        failed_ = true;
    } else if (peek() == '{') {
        ++position_;
        value->kind = JsonKind::Object;
        readObject(*value);
    } else if (peek() == '[') {
        ++position_;
        value->kind = JsonKind::Array;
        readArray(*value);
    } else if (peek() == '"') {
        value->kind = JsonKind::String;
        value->text = parseString();
    } else if (startsWith("true")) {
        position_ += 4;
        value->kind = JsonKind::Bool;
        value->boolean = true;
    } else if (startsWith("false")) {
        position_ += 5;
        value->kind = JsonKind::Bool;
    } else if (startsWith("null")) {
        position_ += 4;
    } else {
        readNumber(*value);
    }
    --depth_;
    return value;
}

void JsonParser::readObject(JsonValue& value) {
    if (accept('}')) {
        return;
    }
    bool stopped = false;
    for (;;) {
        std::string key;
        if (!readString(key)) {
            stopped = true;
            break;
        }
        skipWhiteSpace();
        if (atEnd() || peek() != ':') {
            stopped = true;
            break;
        }
        ++position_;
        value.members.insert_or_assign(std::move(key), parseValue());
        skipWhiteSpace();
        if (atEnd() || peek() != ',') {
            break;
        }
        ++position_;
    }
    if (stopped) {
        failed_ = true;
    }
    if (!accept('}')) {
        failed_ = true;
    }
}

void JsonParser::readArray(JsonValue& value) {
    if (accept(']')) {
        return;
    }
    for (;;) {
        value.elements.push_back(parseValue());
        skipWhiteSpace();
        if (atEnd() || peek() != ',') {
            break;
        }
        ++position_;
    }
    if (!accept(']')) {
        failed_ = true;
    }
}

void JsonParser::readNumber(JsonValue& value) {
    double number = 0;
    const std::size_t length =
        readNumberPrefix(text_.substr(static_cast<std::size_t>(position_)), number);
    if (length == 0) {
        failed_ = true;
        return;
    }
    value.kind = JsonKind::Number;
    value.number = number;
    position_ += length;
}

std::string JsonParser::parseString() {
    std::string text;
    readString(text);
    return text;
}

bool JsonParser::readString(std::string& out) {
    skipWhiteSpace();
    if (atEnd() || peek() != '"') {
        failed_ = true;
        return false;
    }
    ++position_;
    while (!atEnd()) {
        // Plain bytes go over in runs; only a quote or a backslash needs a look.
        const std::size_t from = static_cast<std::size_t>(position_);
        const std::size_t stop = std::min(text_.find_first_of("\"\\", from), text_.size());
        out.append(text_.substr(from, stop - from));
        position_ = stop;
        if (atEnd()) {
            break;
        }
        ++position_;
        if (text_[stop] == '"') {
            return true;
        }
        if (atEnd() || !readEscape(out)) {
            break;
        }
    }
    failed_ = true;
    return false;
}

bool JsonParser::readEscape(std::string& out) {
    const char c = peek();
    ++position_;
    switch (c) {
        case 'b':
            out.push_back('\b');
            return true;
        case 'f':
            out.push_back('\f');
            return true;
        case 'n':
            out.push_back('\n');
            return true;
        case 'r':
            out.push_back('\r');
            return true;
        case 't':
            out.push_back('\t');
            return true;
        case 'u':
            return readUnicodeEscape(out);
        default:
            out.push_back(c);
            return true;
    }
}

bool JsonParser::readHexQuad(char16_t& unit) {
    if (text_.size() - position_ < 4) {
        return false;
    }
    unsigned value = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        const int digit = hexDigitValue(text_[static_cast<std::size_t>(position_) + i]);
        if (digit < 0) {
            return false;
        }
        value = value * 16 + static_cast<unsigned>(digit);
    }
    unit = static_cast<char16_t>(value);
    position_ += 4;
    return true;
}

bool JsonParser::readUnicodeEscape(std::string& out) {
    char16_t units[2] = {};
    if (!readHexQuad(units[0])) {
        return false;
    }
    std::size_t count = 1;
    // A high surrogate pairs only with a low one escaped right after it. Anything else is left
    // for the loop to read, and the surrogate alone becomes U+FFFD in the conversion below.
    if (units[0] >= 0xD800 && units[0] <= 0xDBFF && text_.size() - position_ >= 6 &&
        text_[static_cast<std::size_t>(position_)] == '\\' &&
        text_[static_cast<std::size_t>(position_) + 1] == 'u') {
        const std::uint64_t escape = position_;
        position_ += 2;
        if (readHexQuad(units[1]) && units[1] >= 0xDC00 && units[1] <= 0xDFFF) {
            count = 2;
        } else {
            position_ = escape;
        }
    }
    out += scan::toUtf8(std::u16string_view(units, count));
    return true;
}

std::shared_ptr<JsonValue> readJsonDocument(std::string_view text) {
    JsonParser parser(text);
    std::shared_ptr<JsonValue> root = parser.parseValue();
    if (parser.failed()) {
        return nullptr;
    }
    return root;
}

const JsonValue* member(const JsonValue* value, std::string_view key) {
    if (value == nullptr || value->kind != JsonKind::Object) {
        return nullptr;
    }
    const auto found = value->members.find(key);
    return found == value->members.end() ? nullptr : found->second.get();
}

std::string stringMember(const JsonValue* value, std::string_view key) {
    const JsonValue* found = member(value, key);
    if (found == nullptr || found->kind != JsonKind::String) {
        return {};
    }
    return found->text;
}

}  // namespace revorara
