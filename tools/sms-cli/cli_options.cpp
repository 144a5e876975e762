#include "sms-cli/cli_options.h"

#include "composer/composer_controller.h"

#include <QFileInfo>

#include <functional>
#include <map>

namespace tesk::cli {
namespace {

using composer::ComposerController;

QString collapsed(const QString& text) {
    return text.simplified().toCaseFolded();
}

int entryIndex(const QStringList& entries, const QString& typed) {
    const QString wanted = collapsed(typed);
    for (qsizetype i = 0; i < entries.size(); ++i) {
        if (collapsed(entries.at(i)) == wanted) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

// Walks "--name value" and "--name=value" words. Each option is either a switch or takes one
// value; the handler returns an error text or "".
class ArgumentWalker {
  public:
    using ValueHandler = std::function<QString(const QString& value)>;
    using SwitchHandler = std::function<void()>;

    void value(const QString& name, ValueHandler handler) { values_[name] = std::move(handler); }
    void flag(const QString& name, SwitchHandler handler) { switches_[name] = std::move(handler); }

    QString walk(const QStringList& arguments) const {
        for (qsizetype i = 0; i < arguments.size(); ++i) {
            const QString& word = arguments.at(i);
            QString name = word;
            QString inlineValue;
            bool hasInline = false;
            if (word.startsWith(QLatin1String("--")) && word.contains(QLatin1Char('='))) {
                name = word.section(QLatin1Char('='), 0, 0);
                inlineValue = word.section(QLatin1Char('='), 1);
                hasInline = true;
            }
            if (const auto s = switches_.find(name); s != switches_.end()) {
                if (hasInline) {
                    return QStringLiteral("%1 takes no value").arg(name);
                }
                s->second();
                continue;
            }
            const auto v = values_.find(name);
            if (v == values_.end()) {
                return QStringLiteral("unknown argument '%1'").arg(word);
            }
            if (!hasInline) {
                if (i + 1 >= arguments.size()) {
                    return QStringLiteral("%1 needs a value").arg(name);
                }
                inlineValue = arguments.at(++i);
            }
            const QString error = v->second(inlineValue);
            if (!error.isEmpty()) {
                return error;
            }
        }
        return QString();
    }

  private:
    std::map<QString, ValueHandler> values_;
    std::map<QString, SwitchHandler> switches_;
};

// "--help" and "-h", the same in every command.
void helpOption(ArgumentWalker& walker, bool* help) {
    walker.flag(QStringLiteral("--help"), [help] { *help = true; });
    walker.flag(QStringLiteral("-h"), [help] { *help = true; });
}

// "--devices PATH,...|all", the same in every command that talks to devices.
void devicesOption(ArgumentWalker& walker, std::optional<QStringList>* devices) {
    walker.value(QStringLiteral("--devices"), [devices](const QString& value) {
        *devices = Device_Paths_Argument(value);
        return *devices && (*devices)->isEmpty()
                   ? QStringLiteral("--devices needs at least one path, or 'all'")
                   : QString();
    });
}

QString readableFile(const QString& option, const QString& path) {
    const QFileInfo info(path);
    if (!info.isFile() || !info.isReadable()) {
        return QStringLiteral("%1: cannot read '%2'").arg(option, path);
    }
    return QString();
}

// The switches of "send", each setting its field and nothing else.
void sendSwitches(ArgumentWalker& walker, SendOptions* options) {
    walker.flag(QStringLiteral("--unicode"), [options] { options->unicode = true; });
    walker.flag(QStringLiteral("--flash"), [options] { options->flash = true; });
    walker.flag(QStringLiteral("--skip-duplicates"), [options] { options->skipDuplicates = true; });
    walker.flag(QStringLiteral("--save-sent-items"), [options] { options->saveSentItems = true; });
    walker.flag(QStringLiteral("--per-day"), [options] { options->limitPerDay = true; });
    walker.flag(QStringLiteral("--keep-going"), [options] { options->keepGoing = true; });
    walker.flag(QStringLiteral("--delivery-reports"),
                [options] { options->deliveryReports = true; });
}

// What is sent to whom: the numbers file, the message (typed or from a file) and the files of
// numbers left out.
void contentOptions(ArgumentWalker& walker, SendOptions* options) {
    walker.value(QStringLiteral("--numbers"), [options](const QString& value) {
        options->numbersFile = value;
        return QString();
    });
    walker.value(QStringLiteral("--message"), [options](const QString& value) {
        options->message = value;
        options->haveMessage = true;
        return QString();
    });
    walker.value(QStringLiteral("--message-file"), [options](const QString& value) {
        options->messageFile = value;
        return readableFile(QStringLiteral("--message-file"), value);
    });
    walker.value(QStringLiteral("--exclude"), [options](const QString& value) {
        options->excludeFiles.append(value);
        return readableFile(QStringLiteral("--exclude"), value);
    });
}

// How the devices send: SMS mode, service centre, pacing and the per-device limit.
void sendingOptions(ArgumentWalker& walker, SendOptions* options) {
    walker.value(QStringLiteral("--mode"), [options](const QString& value) {
        options->mode = value.trimmed().toLower();
        return options->mode == QLatin1String("pdu") || options->mode == QLatin1String("text")
                   ? QString()
                   : QStringLiteral("--mode must be pdu or text, not '%1'").arg(value);
    });
    walker.value(QStringLiteral("--limit-per-device"), [options](const QString& value) {
        bool ok = false;
        options->deviceLimit = value.trimmed().toInt(&ok);
        return ok && options->deviceLimit > 0
                   ? QString()
                   : QStringLiteral("--limit-per-device needs a number above 0, not '%1'")
                         .arg(value);
    });
    walker.value(QStringLiteral("--pacing"), [options](const QString& value) {
        const QString pace = value.trimmed().toLower();
        options->fastPacing = pace == QLatin1String("fast");
        return pace == QLatin1String("fast") || pace == QLatin1String("standard")
                   ? QString()
                   : QStringLiteral("--pacing must be standard or fast, not '%1'").arg(value);
    });
    walker.value(QStringLiteral("--smsc"), [options](const QString& value) {
        options->smsc = value;
        return QString();
    });
}

// The delayed delivery: entries of the composer's two lists, typed as the user reads them.
void pauseOptions(ArgumentWalker& walker, SendOptions* options) {
    walker.value(QStringLiteral("--pause-every"), [options](const QString& value) {
        options->pauseEveryIndex = Pause_Every_Entry_Index(value);
        return options->pauseEveryIndex >= 0
                   ? QString()
                   : QStringLiteral("--pause-every must be one of %1, not '%2'")
                         .arg(ComposerController::Delayed_Count_Entries().join(QLatin1Char(' ')),
                              value);
    });
    walker.value(QStringLiteral("--pause"), [options](const QString& value) {
        options->pauseIndex = Pause_Entry_Index(value);
        return options->pauseIndex >= 0
                   ? QString()
                   : QStringLiteral(
                         "--pause must be a length such as \"10 Seconds\", \"2 Minutes\" or "
                         "\"1 Hour\" (see --help), not '%1'")
                         .arg(value);
    });
}

// The status report written after the run: its file (the suffix picks the format) and which
// items it lists.
void reportOptions(ArgumentWalker& walker, SendOptions* options) {
    walker.value(QStringLiteral("--report"), [options](const QString& value) {
        options->reportPath = value;
        const QString suffix = QFileInfo(value).suffix().toLower();
        options->reportHtml = suffix == QLatin1String("html");
        return suffix == QLatin1String("txt") || options->reportHtml
                   ? QString()
                   : QStringLiteral("--report needs a file name ending in .txt or .html");
    });
    walker.value(QStringLiteral("--status"), [options](const QString& value) {
        static const std::map<QString, ReportStatus> kinds = {
            {QStringLiteral("all"), ReportStatus::All},
            {QStringLiteral("sent"), ReportStatus::Sent},
            {QStringLiteral("not-sent"), ReportStatus::NotSent},
        };
        const auto kind = kinds.find(value.trimmed().toLower());
        if (kind == kinds.end()) {
            return QStringLiteral("--status must be all, sent or not-sent, not '%1'").arg(value);
        }
        options->status = kind->second;
        options->statusGiven = true;
        return QString();
    });
}

// What the options of "send" need together, which no single word can check.
QString sendCombinationError(const SendOptions& options) {
    if (options.numbersFile.isEmpty()) {
        return QStringLiteral("--numbers is required");
    }
    if (options.haveMessage == !options.messageFile.isEmpty()) {
        return QStringLiteral("give either --message or --message-file");
    }
    if (options.statusGiven && options.reportPath.isEmpty()) {
        return QStringLiteral("--status only goes with --report");
    }
    return QString();
}

}  // namespace

int Pause_Entry_Index(const QString& typed) {
    return entryIndex(ComposerController::Delayed_Pause_Entries(), typed);
}

int Pause_Every_Entry_Index(const QString& typed) {
    return entryIndex(ComposerController::Delayed_Count_Entries(), typed);
}

std::optional<QStringList> Device_Paths_Argument(const QString& value) {
    if (value.trimmed().compare(QLatin1String("all"), Qt::CaseInsensitive) == 0) {
        return std::nullopt;
    }
    QStringList paths;
    for (const QString& piece : value.split(QLatin1Char(','))) {
        if (!piece.trimmed().isEmpty()) {
            paths.append(piece.trimmed());
        }
    }
    return paths;
}

QString Parse_Scan_Options(const QStringList& arguments, ScanOptions* options) {
    ArgumentWalker walker;
    walker.flag(QStringLiteral("--json"), [options] { options->json = true; });
    helpOption(walker, &options->help);
    devicesOption(walker, &options->devices);
    return walker.walk(arguments);
}

QString Parse_Listen_Options(const QStringList& arguments, ListenOptions* options) {
    ArgumentWalker walker;
    helpOption(walker, &options->help);
    devicesOption(walker, &options->devices);
    walker.value(QStringLiteral("--for"), [options](const QString& value) {
        bool ok = false;
        options->seconds = value.toInt(&ok);
        return ok && options->seconds > 0 ? QString()
                                          : QStringLiteral("--for needs a number of seconds");
    });
    return walker.walk(arguments);
}

QString Parse_Send_Options(const QStringList& arguments, SendOptions* options) {
    ArgumentWalker walker;
    helpOption(walker, &options->help);
    sendSwitches(walker, options);
    contentOptions(walker, options);
    devicesOption(walker, &options->devices);
    sendingOptions(walker, options);
    pauseOptions(walker, options);
    reportOptions(walker, options);
    const QString error = walker.walk(arguments);
    if (!error.isEmpty() || options->help) {
        return error;
    }
    return sendCombinationError(*options);
}

}  // namespace tesk::cli
