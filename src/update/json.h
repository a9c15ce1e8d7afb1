#pragma once

// A small JSON reader for the version service's answer. It reads text from the network, so it
// never trusts it: every read is bounded by the text's size, nesting is capped, and nothing it
// meets makes it throw or loop (running out of memory aside). There is no writer.
//
// It is lenient where that costs nothing (numbers in every form the C library's strtod takes,
// an escaped byte without a meaning standing for itself, text after the root value) and strict
// where a wrong answer would follow (depth, separators, escapes of code points).

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace revorara {

enum class JsonKind : std::int32_t {
    Null = 0,
    Bool = 1,
    Number = 2,
    String = 3,
    Object = 4,
    Array = 5,
};

// One value of a document. All fields exist in every value; only those of its kind are filled.
// Values are made with std::make_shared and not changed after reading.
struct JsonValue {
    JsonKind kind = JsonKind::Null;
    bool boolean = false;
    double number = 0;
    std::string text;  // UTF-8
    // Ordered by byte-wise comparison of the keys. A key repeated in the text keeps its last
    // value. A pointer here or in `elements` is empty only in a tree whose reading failed.
    std::map<std::string, std::shared_ptr<JsonValue>, std::less<>> members;
    std::vector<std::shared_ptr<JsonValue>> elements;
};

// The state of one reading. The text is not owned and must outlive the parser; it need not end
// with a NUL. After any error `failed()` stays true and the tree read so far is to be discarded.
class JsonParser {
  public:
    static constexpr std::int32_t kMaxDepth = 32;  // the root counts as one

    explicit JsonParser(std::string_view text) : text_(text) {}

    // Reads one value at the current position. Text after it is left unread.
    std::shared_ptr<JsonValue> parseValue();
    // Reads a quoted string, after white space; the bytes collected so far when it fails. A \u
    // escape needs exactly four hexadecimal digits; a surrogate pair becomes one four-byte UTF-8
    // sequence and a surrogate without its partner becomes U+FFFD, so the result is valid UTF-8
    // wherever the text was.
    std::string parseString();

    bool failed() const { return failed_; }
    std::uint64_t position() const { return position_; }

  private:
    bool atEnd() const { return position_ >= text_.size(); }
    char peek() const { return text_[static_cast<std::size_t>(position_)]; }
    void skipWhiteSpace();
    bool accept(char c);
    bool startsWith(std::string_view word) const;
    void readObject(JsonValue& value);
    void readArray(JsonValue& value);
    void readNumber(JsonValue& value);
    // Each answers false where the text is not JSON; readString also marks the reading failed.
    bool readString(std::string& out);
    bool readEscape(std::string& out);
    bool readUnicodeEscape(std::string& out);
    bool readHexQuad(char16_t& unit);

    std::string_view text_;
    std::uint64_t position_ = 0;
    std::int32_t depth_ = 0;
    bool failed_ = false;
};

// The root of a whole document, or an empty pointer when the document is not JSON.
std::shared_ptr<JsonValue> readJsonDocument(std::string_view text);

// The value of the member `key` (compared byte-wise) of an Object; none when `value` is none,
// is not an Object or has no such member. The pointer lives as long as `value`.
const JsonValue* member(const JsonValue* value, std::string_view key);
// The text of the member `key` when it is a String; empty in every other case, so a missing
// member, one of another kind and an empty String look the same.
std::string stringMember(const JsonValue* value, std::string_view key);

// Reads a number at the start of `text` as strtod would in the "C" locale, whatever the
// process's locale: leading white space, a sign, a leading decimal point, hexadecimal forms and
// the spellings of infinity and NaN are taken, and a value out of range becomes an infinity or
// zero. Answers the number of bytes read, 0 when there is no number there (`value` is then 0).
std::size_t readNumberPrefix(std::string_view text, double& value);

}  // namespace revorara
