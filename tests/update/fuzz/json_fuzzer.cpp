// libFuzzer target: any bytes as the version service's answer. Any crash, sanitizer report or
// hang is a fault. The input is an exactly sized buffer without a terminator, so AddressSanitizer
// catches any read past its end. Beyond that, an accepted document must be a whole tree within
// the nesting limit, and numbers must read exactly as the C library's strtod reads them.

#include "update/json.h"

#include <algorithm>
#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

namespace {

void require(bool condition) {
    if (!condition) {
        __builtin_trap();
    }
}

int depthOf(const revorara::JsonValue& value) {
    int deepest = 0;
    for (const auto& [key, member] : value.members) {
        require(member != nullptr);
        deepest = std::max(deepest, depthOf(*member));
    }
    for (const auto& element : value.elements) {
        require(element != nullptr);
        deepest = std::max(deepest, depthOf(*element));
    }
    return deepest + 1;
}

// The reference reads a NUL-terminated copy; both must stop at the same byte with the same value.
void compareWithStrtod(std::string_view text) {
    const std::string copy(text);
    char* end = nullptr;
    const double expected = std::strtod(copy.c_str(), &end);
    double value = 0;
    const std::size_t length = revorara::readNumberPrefix(text, value);
    require(length == static_cast<std::size_t>(end - copy.c_str()));
    if (std::isnan(expected)) {
        require(std::isnan(value));
    } else {
        require(value == expected && std::signbit(value) == std::signbit(expected));
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    std::setlocale(LC_ALL, "C");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    revorara::JsonParser parser(text);
    const std::shared_ptr<revorara::JsonValue> root = parser.parseValue();
    require(parser.position() <= size);
    if (!parser.failed()) {
        require(root != nullptr);
        require(depthOf(*root) <= revorara::JsonParser::kMaxDepth);
        const revorara::JsonValue* latest = revorara::member(root.get(), "latest");
        (void)revorara::stringMember(latest, "version");
    }
    compareWithStrtod(text);
    return 0;
}
