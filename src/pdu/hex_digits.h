#pragma once
// The hex digit reader the outgoing and incoming codecs share.
#include <QChar>

namespace pdu_detail {

// 0..15 for 0-9, A-F and a-f; -1 for anything else.
inline int hexDigitValue(QChar c) {
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9') {
        return u - u'0';
    }
    if (u >= u'A' && u <= u'F') {
        return u - u'A' + 10;
    }
    if (u >= u'a' && u <= u'f') {
        return u - u'a' + 10;
    }
    return -1;
}

}  // namespace pdu_detail
