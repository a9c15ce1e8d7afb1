#pragma once

// What the user reads about updates: the notice of a newer version (the welcome page's banner,
// the About box's link and the answer to "Check for Updates…"), and the About box's texts.

#include "update/update_answer.h"

#include <ctime>
#include <string>
#include <string_view>

namespace update {

// Whole days from 12:00 local time of `date` (YYYY-MM-DD as UTF-8; the separators are not
// checked) to `now`; -1 when the text is shorter than 10 bytes, the day cannot be made a time or
// lies in the future.
int daysSince(std::string_view date, std::time_t now);

// How old something of `days` days is: "a day", "12 days", "a month", "5 months", "a year",
// "3 years". Empty below one day.
std::u16string ageText(int days);

// "Version 1.4 is available.", followed by " Yours is <age> old." when the result's version
// date lies at least a day before `now`.
std::u16string updateMessage(const UpdateResult& result, std::time_t now);

// The About box.
std::u16string aboutTitle();
std::u16string aboutContent();
std::u16string aboutFooter(std::u16string_view runningVersion);
// The command link shown with a result: its text, a line break, and its note.
std::u16string aboutLinkText(std::u16string_view message);

// The answers to "Check for Updates…": still checking; a newer version, asking whether to open
// the download page; none newer (or the check failed).
// "Checking <host> for a newer version…", naming the host actually asked.
std::u16string checkingMessage(std::u16string_view host);
// "Could not check for updates: <reason>".
std::u16string checkFailedMessage(std::u16string_view reason);
std::u16string downloadQuestion(std::u16string_view message);
std::u16string latestReleaseMessage(std::u16string_view runningVersion);

}  // namespace update
