// The RTF reader on arbitrary bytes. Properties:
// - the time it takes grows with the size of the document, not faster: a bound per byte,
//   measured in processor time of this thread so that a busy machine does not trip it;
// - its text holds no control character but line breaks and tabs, whatever escapes spelt;
// - anything that does not start (after blanks or a byte-order mark) with "{\rtf" is no RTF,
//   and an RTF document never ends up refused;
// - a raised cancel flag stops it, with no text and not ok, whatever the document;
// - text in front of the document does not change how the document itself reads.
#include "composer/import/number_import.h"
#include "fuzz_check.h"

#include <atomic>
#include <ctime>

namespace {

double Thread_Seconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

bool Looks_Like_Rtf(const QByteArray& bytes) {
    qsizetype start = bytes.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    while (start < bytes.size() && QByteArray(" \t\r\n").contains(bytes.at(start))) {
        ++start;
    }
    return bytes.mid(start).startsWith("{\\rtf");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    // Generous for an instrumented build on a loaded machine, yet far below what one decoder
    // per code-page word cost (seconds for a few hundred kilobytes).
    const double bound = 0.5 + 10e-6 * static_cast<double>(size);
    const double started = Thread_Seconds();
    bool ok = false;
    const QString text = tesk::import::Rtf_To_Plain_Text(bytes, &ok);
    const double took = Thread_Seconds() - started;
    FUZZ_CHECK(took <= bound, QStringLiteral("%1 s for %2 bytes").arg(took).arg(size));
    FUZZ_CHECK(ok == Looks_Like_Rtf(bytes), QStringLiteral("ok %1").arg(ok));
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        FUZZ_CHECK((u >= 0x20 && u != 0x7F) || u == u'\n' || u == u'\t', tesk::fuzz::Shown(text));
    }
    if (!ok) {
        FUZZ_CHECK(text.isEmpty(), text);
        return 0;
    }
    const std::atomic<bool> cancelled{true};
    bool cancelledOk = true;
    const QString none = tesk::import::Rtf_To_Plain_Text(bytes, &cancelledOk, &cancelled);
    FUZZ_CHECK(!cancelledOk && none.isEmpty(), QStringLiteral("cancel ignored"));
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        return 0;  // the mark must come first
    }
    bool againOk = false;
    const QString again = tesk::import::Rtf_To_Plain_Text("\n \t" + bytes, &againOk);
    FUZZ_CHECK(againOk && again == text, tesk::fuzz::Shown(again) + " " + tesk::fuzz::Shown(text));
    return 0;
}
