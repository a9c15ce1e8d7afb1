#include "panes/file_facts_win32.h"

#include "scan/scanner.h"
#include "scan/wide_text_win32.h"

namespace panes {

std::u16string dateText(const FILETIME& time) {
    if (time.dwLowDateTime == 0 && time.dwHighDateTime == 0) {
        return kUnknownText;
    }
    SYSTEMTIME universal{};
    SYSTEMTIME local{};
    if (FileTimeToSystemTime(&time, &universal) == 0 ||
        SystemTimeToTzSpecificLocalTime(nullptr, &universal, &local) == 0) {
        return kUnknownText;
    }
    wchar_t date[64] = {};
    wchar_t clock[64] = {};
    if (GetDateFormatEx(LOCALE_NAME_USER_DEFAULT, DATE_SHORTDATE, &local, nullptr, date, 64,
                        nullptr) == 0 ||
        GetTimeFormatEx(LOCALE_NAME_USER_DEFAULT, TIME_NOSECONDS, &local, nullptr, clock, 64) ==
            0) {
        return kUnknownText;
    }
    return reinterpret_cast<const char16_t*>(date) + std::u16string(u" ") +
           reinterpret_cast<const char16_t*>(clock);
}

std::optional<FileFacts> fileFactsOf(const std::u16string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (GetFileAttributesExW(scan::wide(scan::longPathOf(path)), GetFileExInfoStandard, &data) ==
        0) {
        return std::nullopt;
    }
    return FileFacts{dateText(data.ftLastWriteTime), dateText(data.ftCreationTime),
                     data.dwFileAttributes};
}

}  // namespace panes
