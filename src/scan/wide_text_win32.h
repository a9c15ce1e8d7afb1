#pragma once

// UTF-16 text at the Win32 boundary: char16_t and wchar_t are the same units there, so the text
// is only viewed through the other type, never converted. Windows only.

#include <string>
#include <string_view>

namespace scan {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Win32 wide text is UTF-16");

inline const wchar_t* wide(const std::u16string& text) {
    return reinterpret_cast<const wchar_t*>(text.c_str());
}
inline const wchar_t* wide(std::u16string_view text) {
    return reinterpret_cast<const wchar_t*>(text.data());
}
// A wide copy, for building paths with wide literals.
inline std::wstring wideString(std::u16string_view text) {
    return std::wstring(wide(text), text.size());
}
inline std::u16string fromWide(const wchar_t* text) {
    return reinterpret_cast<const char16_t*>(text);
}
inline std::u16string fromWide(const wchar_t* text, std::size_t length) {
    return std::u16string(reinterpret_cast<const char16_t*>(text), length);
}

}  // namespace scan
