// A small RTF reader that keeps only the visible text of the document body. It is written for
// number import, so it aims at the text a reader sees line by line, not at layout:
//
// - Paragraph ends (\par, "\" + line end), \line, \page, \sect, and table ends (\cell, \row,
//   \nestcell) become "\n". Table cells end a line too: a table with a number column among name
//   and note columns then gives each number a line of its own, which a tab-joined row would not.
// - \tab and a raw tab give "\t"; \~ gives a plain space and \_ a plain hyphen, which the number
//   cleaning removes like any other space or hyphen; \- (optional hyphen) gives nothing.
// - \'hh bytes (and raw 8-bit bytes, which some writers emit) are decoded with the document's
//   code page (\ansicpg, else \ansi/\mac/\pc/\pca, else 1252). Consecutive bytes are decoded
//   together so double-byte code pages work. A code page Qt cannot decode falls back to Latin-1.
//   Each code page is looked up once per document: writers repeat \ansi or \ansicpgN in every
//   group, and a fresh decoder per control word made such a file take seconds.
// - Control characters that escapes spell out (\'00, \'0d, \u10...) are dropped: a NUL or a
//   line break inside a paragraph is nothing a reader sees, and would split or end a number.
// - \uN gives the UTF-16 unit N (negative N counts from 65536) and the next \ucN fallback
//   characters (text bytes, \'hh escapes, control symbols) are dropped; a control word or a brace
//   ends the fallback early.
// - Destinations that hold no body text are skipped with everything inside them: font, colour,
//   style and list tables, document information, pictures, objects, headers and footers,
//   footnotes, field instructions, and every starred ("\*") destination. Hidden text (\v) is
//   skipped too. \binN data is stepped over wherever it appears.
// - Braces need not balance: a stray "}" at the top is ignored, missing "}" at the end are
//   forgiven, and text after the closing brace of the document is still read.
#include "composer/import/number_import.h"

#include <QStringDecoder>

#include <algorithm>
#include <cstdint>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace tesk::import {
namespace {

enum class Word {
    Other,
    LineBreak,
    Tab,
    Text,  // a fixed character, see kTextWords
    Destination,
    Unicode,
    UnicodeSkip,
    Hidden,
    Binary,
    AnsiCodePage,
    CharsetAnsi,
    CharsetMac,
    CharsetPc,
    CharsetPca,
};

struct WordInfo {
    Word word;
    char16_t ch = 0;
};

const std::unordered_map<std::string_view, WordInfo>& Known_Words() {
    static const std::unordered_map<std::string_view, WordInfo> words = [] {
        std::unordered_map<std::string_view, WordInfo> w;
        for (const char* name : {"par", "line", "page", "sect", "row", "cell", "nestcell"}) {
            w[name] = {Word::LineBreak};
        }
        w["tab"] = {Word::Tab};
        w["emdash"] = {Word::Text, u'\u2014'};
        w["endash"] = {Word::Text, u'\u2013'};
        w["emspace"] = {Word::Text, u' '};
        w["enspace"] = {Word::Text, u' '};
        w["qmspace"] = {Word::Text, u' '};
        w["bullet"] = {Word::Text, u'\u2022'};
        w["lquote"] = {Word::Text, u'\u2018'};
        w["rquote"] = {Word::Text, u'\u2019'};
        w["ldblquote"] = {Word::Text, u'\u201C'};
        w["rdblquote"] = {Word::Text, u'\u201D'};
        for (const char* name :
             {"fonttbl",   "colortbl",     "stylesheet", "listtable",  "listoverridetable",
              "info",      "pict",         "object",     "objdata",    "header",
              "headerl",   "headerr",      "headerf",    "footer",     "footerl",
              "footerr",   "footerf",      "footnote",   "fldinst",    "pntext",
              "pntxta",    "pntxtb",       "listtext",   "themedata",  "colorschememapping",
              "datastore", "latentstyles", "xmlnstbl",   "rsidtbl",    "filetbl",
              "revtbl",    "generator",    "ftnsep",     "ftnsepc",    "ftncn",
              "aftnsep",   "aftnsepc",     "aftncn",     "annotation", "atnid",
              "atnauthor", "comment",      "shp",        "shpinst",    "nonshppict",
              "template",  "userprops",    "docvar",     "pgdsctbl",   "xe",
              "tc",        "txe",          "rxe",        "private",    "mmathPr"}) {
            w[name] = {Word::Destination};
        }
        w["u"] = {Word::Unicode};
        w["uc"] = {Word::UnicodeSkip};
        w["v"] = {Word::Hidden};
        w["bin"] = {Word::Binary};
        w["ansicpg"] = {Word::AnsiCodePage};
        w["ansi"] = {Word::CharsetAnsi};
        w["mac"] = {Word::CharsetMac};
        w["pc"] = {Word::CharsetPc};
        w["pca"] = {Word::CharsetPca};
        return w;
    }();
    return words;
}

struct Group {
    bool destination = false;  // inside a destination without body text
    bool hidden = false;       // \v text
    int uc = 1;                // fallback characters after \uN
    bool Skip() const { return destination || hidden; }
};

// Deeper nesting than this is counted but not stacked: no real document nests so deep, and a
// file of nothing but "{" must not grow the stack without bound.
constexpr size_t kMaxDepth = 4096;

bool Is_Letter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool Is_Digit(char c) {
    return c >= '0' && c <= '9';
}

int Hex_Value(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

QByteArray Codec_Name_For(int codePage) {
    switch (codePage) {
        case 932:
            return "Shift_JIS";
        case 936:
            return "GBK";
        case 949:
            return "windows-949";
        case 950:
            return "Big5";
        case 10000:
            return "macintosh";
        case 65001:
            return "UTF-8";
        default:
            break;
    }
    if (codePage >= 1250 && codePage <= 1258) {
        return "windows-" + QByteArray::number(codePage);
    }
    return "cp" + QByteArray::number(codePage);
}

// A character that a hex or Unicode escape may not put into the text.
bool Is_Dropped_Control(char16_t ch) {
    return (ch < 0x20 && ch != u'\t') || ch == 0x7F;
}

// The decoder of one code page and, for a single-byte code page, the character of every byte.
struct CodePage {
    QStringDecoder decoder;
    QString singleByteTable;  // 256 characters, or empty for multi-byte code pages
};

class Reader {
  public:
    Reader(const QByteArray& rtf, const std::atomic<bool>* cancel)
        : data_(rtf.constData()), size_(rtf.size()), cancel_(cancel) {
        Set_Code_Page(1252);
    }

    bool Cancelled() const { return cancelled_; }

    QString Run(qsizetype start) {
        groups_.reserve(64);
        groups_.push_back(Group{});
        pos_ = start;
        // The flag is looked at first and then every so many steps: often enough to stop a
        // large file at once, rarely enough to cost nothing.
        constexpr unsigned kCancelCheckSteps = 1u << 16;
        unsigned steps = 0;
        while (pos_ < size_) {
            if (steps++ % kCancelCheckSteps == 0 && cancel_ != nullptr &&
                cancel_->load(std::memory_order_relaxed)) {
                cancelled_ = true;
                return QString();
            }
            const char c = data_[pos_];
            switch (c) {
                case '{':
                    Open_Group();
                    break;
                case '}':
                    Close_Group();
                    break;
                case '\\':
                    Control();
                    continue;  // Control() moves pos_ itself
                case '\r':
                case '\n':
                    break;  // line ends in the source carry no meaning
                case '\t':
                    if (Take_Fallback()) {
                        Text_Char(u'\t');
                    }
                    break;
                default:
                    if (static_cast<unsigned char>(c) >= 0x20 && c != 0x7F && Take_Fallback()) {
                        Text_Byte(c);
                    }
                    break;
            }
            ++pos_;
        }
        Flush_Bytes();
        return out_;
    }

  private:
    Group& Top() { return groups_.back(); }

    void Open_Group() {
        fallback_ = 0;
        if (groups_.size() < kMaxDepth) {
            groups_.push_back(Top());
        } else {
            ++overflow_;
        }
    }

    void Close_Group() {
        fallback_ = 0;
        if (overflow_ > 0) {
            --overflow_;
        } else if (groups_.size() > 1) {
            groups_.pop_back();
        }
    }

    // Counts down the characters that stand in for the last \uN; true when c is to be used.
    bool Take_Fallback() {
        if (fallback_ > 0) {
            --fallback_;
            return false;
        }
        return true;
    }

    void Text_Byte(char c) {
        if (Top().Skip()) {
            return;
        }
        if (static_cast<unsigned char>(c) < 0x80 && !page_->singleByteTable.isEmpty()) {
            Flush_Bytes();
            out_.append(QChar(static_cast<char16_t>(c)));
        } else {
            bytes_.append(c);
        }
    }

    void Text_Char(char16_t ch) {
        if (Top().Skip()) {
            return;
        }
        Flush_Bytes();
        out_.append(QChar(ch));
    }

    void Flush_Bytes() {
        if (bytes_.isEmpty()) {
            return;
        }
        QString text;
        if (!page_->singleByteTable.isEmpty()) {
            text.reserve(bytes_.size());
            for (const char b : std::as_const(bytes_)) {
                text.append(page_->singleByteTable.at(static_cast<unsigned char>(b)));
            }
        } else if (page_->decoder.isValid()) {
            text = page_->decoder.decode(bytes_);
        } else {
            text = QString::fromLatin1(bytes_);
        }
        bytes_.clear();
        for (const QChar ch : std::as_const(text)) {
            if (!Is_Dropped_Control(ch.unicode())) {
                out_.append(ch);
            }
        }
    }

    void Set_Code_Page(int codePage) {
        Flush_Bytes();
        if (codePage == codePage_) {
            return;
        }
        codePage_ = codePage;
        const auto known = pages_.find(codePage);
        if (known != pages_.end()) {
            page_ = &known->second;
            return;
        }
        CodePage& page = pages_[codePage];
        page_ = &page;
        const QByteArray name = Codec_Name_For(codePage);
        page.decoder = QStringDecoder(name.constData());
        if (!page.decoder.isValid()) {
            return;  // Latin-1 in Flush_Bytes
        }
        // A code page in which every byte on its own gives one character (a replacement
        // character for the few unassigned ones) is single-byte: its table spares a decoder call
        // per escape. A byte that gives nothing is a lead byte of a multi-byte code page.
        QString table;
        table.reserve(256);
        QStringDecoder probe(name.constData());
        for (int b = 0; b < 256; ++b) {
            probe.resetState();
            const char byte = static_cast<char>(b);
            const QString one = probe.decode(QByteArrayView(&byte, 1));
            if (one.size() != 1) {
                return;  // multi-byte code page: runs of bytes go through the decoder
            }
            table.append(one.at(0));
        }
        page.singleByteTable = table;
    }

    void Control() {
        ++pos_;  // the backslash
        if (pos_ >= size_) {
            return;
        }
        const char c = data_[pos_];
        if (Is_Letter(c)) {
            Control_Word();
            return;
        }
        ++pos_;
        switch (c) {
            case '\'':
                Hex_Escape();
                return;
            case '*':
                Top().destination = true;
                return;
            case '\r':
            case '\n':
                fallback_ = 0;
                Text_Char(u'\n');
                return;
            default:
                break;
        }
        if (!Take_Fallback()) {
            return;
        }
        switch (c) {
            case '\\':
            case '{':
            case '}':
                Text_Char(static_cast<char16_t>(c));
                break;
            case '~':
                Text_Char(u' ');
                break;
            case '_':
                Text_Char(u'-');
                break;
            default:
                break;  // \- optional hyphen, \| \: and unknown symbols
        }
    }

    void Hex_Escape() {
        if (pos_ + 1 >= size_) {
            pos_ = size_;
            return;
        }
        const int hi = Hex_Value(data_[pos_]);
        const int lo = Hex_Value(data_[pos_ + 1]);
        if (hi < 0 || lo < 0) {
            return;  // malformed escape: dropped, the following characters are read as text
        }
        pos_ += 2;
        if (Take_Fallback() && !Top().Skip()) {
            bytes_.append(static_cast<char>(hi * 16 + lo));
        }
    }

    void Control_Word() {
        const qsizetype nameStart = pos_;
        while (pos_ < size_ && Is_Letter(data_[pos_])) {
            ++pos_;
        }
        // Longer names than 32 letters are not RTF; they are consumed and match nothing.
        const std::string_view name(data_ + nameStart,
                                    static_cast<size_t>(std::min<qsizetype>(pos_ - nameStart, 33)));
        bool hasParam = false;
        int64_t param = 0;
        bool negative = false;
        if (pos_ + 1 < size_ && data_[pos_] == '-' && Is_Digit(data_[pos_ + 1])) {
            negative = true;
            ++pos_;
        }
        while (pos_ < size_ && Is_Digit(data_[pos_])) {
            hasParam = true;
            if (param < (int64_t{1} << 40)) {  // clamp, never overflow
                param = param * 10 + (data_[pos_] - '0');
            }
            ++pos_;
        }
        if (negative) {
            param = -param;
        }
        if (pos_ < size_ && data_[pos_] == ' ') {
            ++pos_;  // the delimiting space belongs to the control word
        }
        fallback_ = 0;

        const auto& words = Known_Words();
        const auto it = words.find(name);
        if (it == words.end()) {
            return;
        }
        switch (it->second.word) {
            case Word::LineBreak:
                Text_Char(u'\n');
                break;
            case Word::Tab:
                Text_Char(u'\t');
                break;
            case Word::Text:
                Text_Char(it->second.ch);
                break;
            case Word::Destination:
                Top().destination = true;
                break;
            case Word::Hidden:
                Top().hidden = !hasParam || param != 0;
                break;
            case Word::Unicode: {
                const int64_t unit = param < 0 ? param + 65536 : param;
                if (hasParam && unit > 0 && unit <= 0xFFFF &&
                    !Is_Dropped_Control(static_cast<char16_t>(unit))) {
                    Text_Char(static_cast<char16_t>(unit));
                }
                fallback_ = Top().uc;
                break;
            }
            case Word::UnicodeSkip:
                Top().uc = static_cast<int>(std::clamp<int64_t>(hasParam ? param : 1, 0, 16));
                break;
            case Word::Binary: {
                const int64_t count = std::max<int64_t>(param, 0);
                pos_ += static_cast<qsizetype>(std::min<int64_t>(count, size_ - pos_));
                break;
            }
            case Word::AnsiCodePage:
                if (hasParam && param > 0 && param < 100000) {
                    Set_Code_Page(static_cast<int>(param));
                }
                break;
            case Word::CharsetAnsi:
                Set_Code_Page(1252);
                break;
            case Word::CharsetMac:
                Set_Code_Page(10000);
                break;
            case Word::CharsetPc:
                Set_Code_Page(437);
                break;
            case Word::CharsetPca:
                Set_Code_Page(850);
                break;
            case Word::Other:
                break;
        }
    }

    const char* data_;
    qsizetype size_;
    qsizetype pos_ = 0;
    std::vector<Group> groups_;
    size_t overflow_ = 0;
    int fallback_ = 0;
    const std::atomic<bool>* cancel_;
    bool cancelled_ = false;
    QByteArray bytes_;  // \'hh and 8-bit bytes waiting to be decoded together
    std::unordered_map<int, CodePage> pages_;  // every code page met so far
    int codePage_ = -1;
    CodePage* page_ = nullptr;
    QString out_;
};

}  // namespace

QString Rtf_To_Plain_Text(const QByteArray& rtf, bool* ok, const std::atomic<bool>* cancel) {
    qsizetype start = 0;
    if (rtf.startsWith("\xEF\xBB\xBF")) {
        start = 3;
    }
    while (start < rtf.size() && (rtf.at(start) == ' ' || rtf.at(start) == '\t' ||
                                  rtf.at(start) == '\r' || rtf.at(start) == '\n')) {
        ++start;
    }
    const bool isRtf = QByteArrayView(rtf).sliced(start).startsWith("{\\rtf");
    if (ok) {
        *ok = isRtf;
    }
    if (!isRtf) {
        return QString();
    }
    Reader reader(rtf, cancel);
    QString text = reader.Run(start);
    if (reader.Cancelled() && ok) {
        *ok = false;
    }
    return text;
}

}  // namespace tesk::import
