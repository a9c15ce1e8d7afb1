#pragma once

// Small readings of the registry shared by the settings and the theme. Windows only.

#include "ui/palette.h"

#include <windows.h>

namespace ui {

// A registry key that closes itself.
class UniqueKey {
  public:
    UniqueKey() = default;
    ~UniqueKey() { reset(); }
    UniqueKey(const UniqueKey&) = delete;
    UniqueKey& operator=(const UniqueKey&) = delete;

    HKEY get() const { return key_; }
    HKEY* put() {
        reset();
        return &key_;
    }
    void reset() {
        if (key_ != nullptr) {
            RegCloseKey(key_);
            key_ = nullptr;
        }
    }

  private:
    HKEY key_ = nullptr;
};

// Reads `name` under `root`\`subKey` into a 4-byte buffer: one open, one query, one close, and
// no allocation, because settings are read on every paint. A missing key or value, a failed
// query (data larger than 4 bytes) or another type gives isDword false.
StoredNumber readStoredNumber(HKEY root, const wchar_t* subKey, const wchar_t* name);

}  // namespace ui
