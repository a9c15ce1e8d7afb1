#include "deleting/deleting_texts.h"

#include <algorithm>

namespace deleting {

namespace {

std::u16string digits(std::size_t count) {
    std::u16string text;
    do {
        text.insert(text.begin(), static_cast<char16_t>(u'0' + count % 10));
        count /= 10;
    } while (count != 0);
    return text;
}

}  // namespace

std::u16string leavingText(std::size_t count) {
    if (count == 1) {
        return u"1 item is waiting to be deleted. Leaving this scan deletes it immediately.";
    }
    return digits(count) +
           u" items are waiting to be deleted. Leaving this scan deletes them immediately.";
}

std::u16string deleteNowText(std::size_t count) {
    const std::u16string start = count == 1 ? u"1 item" : digits(count) + u" items";
    return start +
           u" will go to the Recycle Bin straight away, without the rest of the countdown. This "
           u"cannot be undone from here.";
}

std::u16string failureText(std::u16string_view path, std::u16string_view reason) {
    std::u16string text(path);
    text += u" could not be moved to the Recycle Bin - ";
    text += reason;
    text += u". It is still where it was.";
    return text;
}

namespace {

std::u16string partlyText(const DeleteReport& report) {
    return u"partly moved: " + digits(static_cast<std::size_t>(report.filesMoved)) + u" of " +
           digits(static_cast<std::size_t>(report.files)) +
           (report.files == 1 ? u" file is" : u" files are") + u" in the Recycle Bin";
}

constexpr std::u16string_view kChangedReason = u"it changed on disk since it was chosen";

// The sentence about one item.
std::u16string sentenceOf(const DeleteReport& report) {
    const std::u16string& path = report.path;
    switch (report.outcome) {
        case Outcome::Moved:
            return {};
        case Outcome::NotMoved:
            if (report.stillThere) {
                return failureText(path, report.reason);
            }
            return path + u" could not be moved to the Recycle Bin - " + report.reason +
                   u". It is no longer where it was, so its folder is read again.";
        case Outcome::PartlyMoved:
            return path + u" was " + partlyText(report) + u"; the rest could not be moved - " +
                   report.reason + u". Its folder is read again.";
        case Outcome::Changed:
            return path + u" was not moved to the Recycle Bin - " + std::u16string(kChangedReason) +
                   u". Nothing was moved, and its folder is read again.";
        case Outcome::Destroyed:
            return path + u" was deleted permanently instead of being moved to the Recycle Bin.";
    }
    return {};
}

// The line about one item in a list of several.
std::u16string lineOf(const DeleteReport& report) {
    switch (report.outcome) {
        case Outcome::Moved:
            return {};
        case Outcome::NotMoved:
            return report.path + u" - " + report.reason +
                   (report.stillThere ? u"; it is still where it was"
                                      : u"; it is no longer where it was");
        case Outcome::PartlyMoved:
            return report.path + u" - " + partlyText(report) + u"; " + report.reason;
        case Outcome::Changed:
            return report.path + u" - " + std::u16string(kChangedReason);
        case Outcome::Destroyed:
            return report.path + u" - deleted permanently, not moved to the Recycle Bin";
    }
    return {};
}

}  // namespace

std::u16string reportText(const std::vector<DeleteReport>& reports) {
    std::vector<const DeleteReport*> told;
    for (const DeleteReport& report : reports) {
        if (report.outcome != Outcome::Moved) {
            told.push_back(&report);
        }
    }
    if (told.empty()) {
        return {};
    }
    if (told.size() == 1) {
        return sentenceOf(*told.front());
    }
    // Items that all ended alike (a selection where the drive has no bin, say) share one
    // explanation and are listed by path alone.
    const DeleteReport& first = *told.front();
    const bool alike = std::all_of(told.begin(), told.end(), [&](const DeleteReport* report) {
        return report->outcome == first.outcome && report->reason == first.reason &&
               report->stillThere == first.stillThere;
    });
    const std::u16string count = digits(told.size());
    std::u16string text;
    if (alike && first.outcome == Outcome::Changed) {
        text = count +
               u" items were not moved to the Recycle Bin: each changed on disk since it "
               u"was chosen. Nothing was moved, and their folders are read again:";
    } else if (alike && first.outcome == Outcome::NotMoved) {
        text = count + u" items could not be moved to the Recycle Bin. For each of them: " +
               first.reason +
               (first.stillThere ? u". They are still where they were:"
                                 : u". They are no longer where they were, so their folders are "
                                   u"read again:");
    } else {
        text = count + u" items did not go to the Recycle Bin as chosen:";
    }
    const bool pathsAlone =
        alike && (first.outcome == Outcome::Changed || first.outcome == Outcome::NotMoved);
    for (std::size_t i = 0; i < told.size() && i < kListedReports; ++i) {
        text += u"\n\u2022 " + (pathsAlone ? told[i]->path : lineOf(*told[i]));
    }
    if (told.size() > kListedReports) {
        text += u"\nand " + digits(told.size() - kListedReports) + u" more.";
    }
    return text;
}

std::u16string unsafeNameReason(const std::vector<std::u16string>& names) {
    for (const std::u16string& name : names) {
        const bool unsafe = name.empty() || name == u"." || name == u".." ||
                            std::any_of(name.begin(), name.end(), [](char16_t unit) {
                                return unit < 0x20 || unit == 0x7F || unit == u'\\' || unit == u'/';
                            });
        if (unsafe) {
            return u"its path holds a name that the Recycle Bin would misread";
        }
    }
    return {};
}

bool holdsWildcard(std::u16string_view path) {
    return path.find_first_of(u"*?") != std::u16string_view::npos;
}

std::u16string recycleRefusal(std::u16string_view path, const RecycleFacts& facts) {
    using Drive = RecycleFacts::Drive;
    if (holdsWildcard(path)) {
        return u"its name holds * or ?, which the Recycle Bin would take as a pattern";
    }
    if (facts.drive == Drive::Remote) {
        return u"this network drive has no Recycle Bin";
    }
    if (facts.drive != Drive::Fixed || !facts.binAnswers) {
        return u"this drive has no Recycle Bin";
    }
    if (facts.switchedOffByPolicy) {
        return u"the Recycle Bin is switched off by policy";
    }
    if (facts.deletesAtOnce) {
        return u"the Recycle Bin of this drive is set to remove files immediately";
    }
    if (facts.capacity > 0 && facts.bytes > facts.capacity) {
        return u"it is larger than the Recycle Bin of this drive can hold";
    }
    return {};
}

}  // namespace deleting
