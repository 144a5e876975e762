// The PDU tool behind tesk-sms-pdu and "tesk-sms-cli pdu".
#include "pdu-cli/pdu_tool.h"

#include "checks/number_checks.h"
#include "core/text_helpers.h"
#include "pdu/pdu.h"

#include <QFile>
#include <QStringList>

#include <cstdio>

namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

const char kUsage[] =
    "Usage: tesk-sms-pdu --number NUMBER [--message TEXT | --message-file FILE]\n"
    "                    [--smsc NUMBER] [--flash] [--unicode]\n"
    "\n"
    "Prints the PDU(s) PDU-mode sending would submit for NUMBER and the message, one line\n"
    "per part:\n"
    "  part I/N  CODING  SIZE  AT+CMGS=LENGTH  PDU\n"
    "CODING is gsm7 or ucs2, SIZE the septets or UTF-16 units of the part's text, LENGTH the\n"
    "TPDU octets to announce. A first line starting with '#' sums up the message.\n"
    "\n"
    "  -n, --number NUMBER     recipient, digits with an optional leading '+' (at most 20)\n"
    "  -m, --message TEXT      message text\n"
    "  -f, --message-file FILE message text from a UTF-8 file (one final line end dropped)\n"
    "                          without --message or --message-file the text is read from stdin\n"
    "  -s, --smsc NUMBER       service centre; without it the field is 00 (device's own)\n"
    "      --flash             class 0 (flash) message\n"
    "      --unicode           send as UCS2 even when the text fits the GSM alphabet\n"
    "  -h, --help              this text\n"
    "\n"
    "Texts with characters outside the GSM alphabet always go as UCS2.\n"
    "Exit status: 0 printed, 1 message file unreadable, 2 usage error or invalid number.\n";

struct Options {
    QString number;
    QString message;
    QString messageFile;
    QString smsc;
    bool haveMessage = false;
    bool flash = false;
    bool unicode = false;
    bool help = false;
};

int usageError(const QString& why) {
    std::fprintf(stderr, "tesk-sms-pdu: %s\n", qPrintable(why));
    std::fprintf(stderr, "Try 'tesk-sms-pdu --help'.\n");
    return kExitUsage;
}

// Returns an error text, or "" when the arguments were understood.
QString parseArguments(const QStringList& args, Options* options) {
    for (qsizetype i = 1; i < args.size(); ++i) {
        const QString& arg = args.at(i);
        QString name = arg;
        QString value;
        bool inlineValue = false;
        if (arg.startsWith(QLatin1String("--")) && arg.contains(QLatin1Char('='))) {
            name = arg.section(QLatin1Char('='), 0, 0);
            value = arg.section(QLatin1Char('='), 1);
            inlineValue = true;
        }
        auto takeValue = [&](QString* into) -> bool {
            if (!inlineValue) {
                if (i + 1 >= args.size()) {
                    return false;
                }
                value = args.at(++i);
            }
            *into = value;
            return true;
        };
        bool ok = true;
        if (name == QLatin1String("-n") || name == QLatin1String("--number")) {
            ok = takeValue(&options->number);
        } else if (name == QLatin1String("-m") || name == QLatin1String("--message")) {
            ok = takeValue(&options->message);
            options->haveMessage = true;
        } else if (name == QLatin1String("-f") || name == QLatin1String("--message-file")) {
            ok = takeValue(&options->messageFile);
        } else if (name == QLatin1String("-s") || name == QLatin1String("--smsc")) {
            ok = takeValue(&options->smsc);
        } else if (name == QLatin1String("--flash") && !inlineValue) {
            options->flash = true;
        } else if (name == QLatin1String("--unicode") && !inlineValue) {
            options->unicode = true;
        } else if ((name == QLatin1String("-h") || name == QLatin1String("--help")) &&
                   !inlineValue) {
            options->help = true;
        } else {
            return QStringLiteral("unknown argument '%1'").arg(arg);
        }
        if (!ok) {
            return QStringLiteral("%1 needs a value").arg(name);
        }
    }
    if (options->help) {
        return QString();
    }
    if (options->number.isEmpty()) {
        return QStringLiteral("--number is required");
    }
    if (options->haveMessage && !options->messageFile.isEmpty()) {
        return QStringLiteral("give either --message or --message-file, not both");
    }
    return QString();
}

// Blanks and dashes are removed; what is left must pass the number check with "+" only first.
QString validNumber(const QString& raw, const char* what, QString* error) {
    const QString number = Replace_Char_For_Valid_Number(raw);
    if (!isValidPhoneNumber(number) || number.lastIndexOf(QLatin1Char('+')) > 0) {
        *error = QStringLiteral(
                     "invalid %1 number '%2': use up to 20 digits, optionally after "
                     "one leading '+'")
                     .arg(QLatin1String(what), raw);
        return QString();
    }
    return number;
}

QString withoutFinalLineEnd(QString text) {
    if (text.endsWith(QLatin1String("\r\n"))) {
        text.chop(2);
    } else if (text.endsWith(QLatin1Char('\n'))) {
        text.chop(1);
    }
    return text;
}

void printPart(int part, int total, bool ucs2, int size, const QString& pdu) {
    std::printf("part %d/%d  %s  %d %s  AT+CMGS=%d  %s\n", part, total, ucs2 ? "ucs2" : "gsm7",
                size, ucs2 ? "units" : "septets", PDU::Tpdu_Octets(pdu), qPrintable(pdu));
}

}  // namespace

int Run_Pdu_Tool(const QStringList& arguments) {
    Options options;
    const QString parseError = parseArguments(arguments, &options);
    if (!parseError.isEmpty()) {
        return usageError(parseError);
    }
    if (options.help) {
        std::fputs(kUsage, stdout);
        return kExitOk;
    }

    QString error;
    const QString number = validNumber(options.number, "recipient", &error);
    if (number.isEmpty()) {
        return usageError(error);
    }
    QString smsc;
    if (!Trim_Str(options.smsc).isEmpty()) {
        smsc = validNumber(options.smsc, "service centre", &error);
        if (smsc.isEmpty()) {
            return usageError(error);
        }
    }

    QString message = options.message;
    if (!options.haveMessage) {
        QFile file;
        const bool opened = options.messageFile.isEmpty() ? file.open(stdin, QIODevice::ReadOnly)
                                                          : (file.setFileName(options.messageFile),
                                                             file.open(QIODevice::ReadOnly));
        if (!opened) {
            std::fprintf(stderr, "tesk-sms-pdu: cannot read '%s': %s\n",
                         qPrintable(options.messageFile), qPrintable(file.errorString()));
            return kExitFailure;
        }
        message = withoutFinalLineEnd(QString::fromUtf8(file.readAll()));
    }

    // Exactly the choices PDU-mode sending makes: UCS2 when asked for or needed, one PDU when
    // the message fits, otherwise one concatenated part per window.
    const bool ucs2 = options.unicode || PDU::Needs_Unicode(message);
    PDU pdu;
    const QList<int> sizes = PDU::Part_Sizes(message, ucs2);
    if (pdu.Fits_Single_Message(message, number, smsc, ucs2)) {
        const int size = ucs2 ? static_cast<int>(message.size())
                              : static_cast<int>(PDU::MapTo7BitAlphabet(message).size());
        std::printf("# %s: %d characters, %s, single message%s\n", qPrintable(number),
                    static_cast<int>(message.size()), ucs2 ? "UCS2" : "GSM 7-bit",
                    options.flash ? ", flash" : "");
        printPart(1, 1, ucs2, size,
                  pdu.EncodePDU(message, number, smsc, true, options.flash, ucs2));
        return kExitOk;
    }
    const int total = static_cast<int>(sizes.size());
    QStringList parts;
    for (int part = 1; part <= total; ++part) {
        parts.append(
            pdu.Encode_UDH_PDU(message, number, smsc, true, options.flash, total, part, ucs2));
    }
    std::printf("# %s: %d characters, %s, %d concatenated parts, reference %04X%s\n",
                qPrintable(number), static_cast<int>(message.size()), ucs2 ? "UCS2" : "GSM 7-bit",
                total, pdu.Concatenation_Reference(), options.flash ? ", flash" : "");
    for (int part = 1; part <= total; ++part) {
        printPart(part, total, ucs2, sizes.at(part - 1), parts.at(part - 1));
    }
    return kExitOk;
}
