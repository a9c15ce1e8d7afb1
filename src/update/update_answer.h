#pragma once

// Reading the version service's answer into what the program shows and opens.

#include <optional>
#include <string>
#include <string_view>

namespace update {

// A newer release, as the service described it.
struct UpdateResult {
    std::u16string version;          // as the service wrote it
    std::u16string downloadAddress;  // always a web address that is safe to hand to the shell
    std::u16string versionDate;      // the running version's release date, YYYY-MM-DD; may be empty
};

// Whether version `a` is newer than `b` (UTF-8 texts): they are split at every "." and compared
// part by part as numbers, a missing part counting as 0. A part's number is its leading integer
// (after white space and a sign; anything else reads as 0, and a value beyond 64 bits
// saturates), so "1.10" is newer than "1.9", "2" equals "2.0.0" and "1.2-beta" counts as "1.2".
bool versionNewer(std::string_view a, std::string_view b);

// The address the shell may open for a download address from the network: the address itself
// when it is an absolute https address, or an http one when `httpAllowed` (the service itself
// was asked over plain http); the product's web site otherwise, so that no answer can make the
// shell run a program, open a share or start another protocol's handler.
std::u16string openableAddress(std::u16string_view address, bool httpAllowed);

// Whether `body` is a JSON document naming a newest version ("latest"."version"), as every answer
// of the service does, whether or not that version is newer.
bool answerNamesVersion(std::string_view body);

// Reads the body of an answer. A result only when the answer names a newest version and that
// version counts as newer: by its "updateAvailable" when that is a Bool, otherwise by comparing
// it with `runningVersion`. An empty, malformed or unhelpful answer gives none.
std::optional<UpdateResult> readUpdateAnswer(std::string_view body,
                                             std::u16string_view runningVersion,
                                             bool serviceSecure);

}  // namespace update
