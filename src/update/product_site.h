#pragma once

// The product's web site: the version service's host, the page opened when an answer names no
// usable download address, and the host name the About box, the welcome page and the settings
// window show.

namespace update {

inline constexpr char16_t kProductHost[] = u"rozovizov.app";
inline constexpr char16_t kProductAddress[] = u"https://rozovizov.app/";
inline constexpr char16_t kProductName[] = u"Rozovizov";

}  // namespace update
