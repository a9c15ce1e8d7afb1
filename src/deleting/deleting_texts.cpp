#include "deleting/deleting_texts.h"

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
    const std::u16string start = count == 1 ? u"1 item is" : digits(count) + u" items are";
    return start + u" waiting to be deleted. Leaving this scan deletes them immediately.";
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
