#include "stores/reports.h"

#include "stores/store_file.h"

#include <QFileInfo>

namespace tesk::stores {
namespace {

QString htmlRow(const QString& inner) {
    return QStringLiteral("<tr><td  height = 50 class = style2>%1</td></tr>").arg(inner);
}

QString htmlField(const QString& label, const QString& value) {
    return QStringLiteral("<tr><td width=60>") + label +
           QStringLiteral("</td><td>:&nbsp;&nbsp;</td><td>") + value + QStringLiteral("</td>");
}

QString textHeader(const QString& title) {
    return kReportRule + QStringLiteral("\n\n\t\t\t[ Tesk SMS - ") + title +
           QStringLiteral("]\t\t\t\n\n") + kReportRule + QStringLiteral("\n");
}

}  // namespace

QString Report_File_Name(const QString& chosen, ReportFormat format) {
    const QString extension =
        format == ReportFormat::Html ? QStringLiteral("html") : QStringLiteral("txt");
    if (QFileInfo(chosen).suffix().compare(extension, Qt::CaseInsensitive) == 0) {
        return chosen;
    }
    return chosen + QLatin1Char('.') + extension;
}

QByteArray Utf16_Report_Bytes(const QString& text) {
    QByteArray bytes;
    bytes.reserve((text.size() + 1) * 2);
    const char16_t bom = 0xFEFF;
    bytes.append(reinterpret_cast<const char*>(&bom), 2);
    bytes.append(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
    return bytes;
}

QString Html_Escape(const QString& text) {
    QString escaped;
    escaped.reserve(text.size());
    for (const QChar c : text) {
        switch (c.unicode()) {
            case u'&':
                escaped += QStringLiteral("&amp;");
                break;
            case u'<':
                escaped += QStringLiteral("&lt;");
                break;
            case u'>':
                escaped += QStringLiteral("&gt;");
                break;
            case u'"':
                escaped += QStringLiteral("&quot;");
                break;
            default:
                escaped += c;
        }
    }
    return escaped;
}

QString Html_Cell_Text(const QString& text) {
    QString cell = Html_Escape(text);
    cell.replace(QLatin1Char('\n'), QStringLiteral("<br>"));
    cell.replace(QLatin1Char(' '), QStringLiteral("&nbsp;"));
    return cell;
}

QString Html_Page_Head(const QString& title, const QString& heading) {
    return QStringLiteral(
               "<html><meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">"
               "<head><title>%1</title><style type=text/css>Body,Td,Th{font-family:Verdana, "
               "Arial, Helvetica, sans-serif; font-size:11px}.style1 {font-size: "
               "16px;font-weight: bold; color: #000000;}.style2 {font-size: 11px;font-weight: "
               "normal; color: #000000;}.style3 {font-size: 16px;font-weight: bold;\tcolor: "
               "#ffffff;\t}style4 {font-size: 12px;font-weight: bold;\tcolor: #000000;\t}."
               "</style></head><body bgcolor =#f1f4fa><table width=1000 border=0 align=center "
               "cellpadding=0 cellspacing=0 bordercolor=#000000><tr><td align = center class= "
               "style1>%1</td></tr></table><br><table width=1000 border=0 align=center "
               "cellpadding=0 cellspacing=0 bordercolor=#000000><tr></tr></table><br><br>"
               "<table width=1000 border=1 align=center cellpadding=0 cellspacing=0 "
               "bordercolor=#000000><tr><th height = 30 bgcolor = #647dbe align = Left class "
               "=style3>%2</th></tr>")
        .arg(title, heading);
}

bool Is_Successful_Status(const QString& status) {
    return status == QLatin1String("Message sent successfully.") ||
           status == QLatin1String("Message sent to device.");
}

QString Sent_Items_Report(const QList<SentItem>& items, ReportFormat format, bool gsm) {
    QString report;
    if (format == ReportFormat::Text) {
        report = textHeader(QStringLiteral("Sent Items"));
        for (const SentItem& item : items) {
            report += QStringLiteral("Date\t: ") + item.Date + QLatin1Char('\n');
            if (gsm) {
                report += QStringLiteral("Status\t: ") + item.Status + QLatin1Char('\n');
            }
            report += QStringLiteral("Number\t: ") + item.Number + QStringLiteral("\nMessage\t: ") +
                      item.Message + QLatin1Char('\n') + kReportRule + QLatin1Char('\n');
        }
        return report;
    }
    report =
        Html_Page_Head(QStringLiteral("[ Tesk SMS - Sent Items ]"), QStringLiteral("Sent Items:"));
    for (const SentItem& item : items) {
        QString inner =
            QStringLiteral("<table>") + htmlField(QStringLiteral("Date"), Html_Escape(item.Date));
        if (gsm) {
            inner += htmlField(QStringLiteral("Status"), Html_Escape(item.Status));
        }
        inner += htmlField(QStringLiteral("Number"), Html_Escape(item.Number)) +
                 htmlField(QStringLiteral("Message"), Html_Cell_Text(item.Message)) +
                 QStringLiteral("</table>");
        report += htmlRow(inner);
    }
    return report;
}

QString Templates_Report(const QStringList& templates, ReportFormat format) {
    QString report;
    if (format == ReportFormat::Text) {
        report = textHeader(QStringLiteral("Templates"));
        for (const QString& text : templates) {
            report += text + QLatin1Char('\n') + kReportRule + QLatin1Char('\n');
        }
        return report;
    }
    report =
        Html_Page_Head(QStringLiteral("[ Tesk SMS - Templates ]"), QStringLiteral("Templates:"));
    for (const QString& text : templates) {
        report += htmlRow(QStringLiteral("<table><tr><td width=1></td><td></td><td>") +
                          Html_Cell_Text(text) + QStringLiteral("</td></table>"));
    }
    return report;
}

QString Status_Report(const QList<StatusReportRow>& rows, ReportFormat format) {
    QString report;
    if (format == ReportFormat::Text) {
        report = textHeader(QStringLiteral("Sent Items"));
        for (const StatusReportRow& row : rows) {
            report += QStringLiteral("Number\t\t: ") + row.Number +
                      QStringLiteral("\nMessage\t\t: ") + row.Message +
                      QStringLiteral("\nCurrent Status\t: ") + row.CurrentStatus +
                      QStringLiteral("\nSent Status\t: ") + row.Status + QLatin1Char('\n') +
                      (row.Delivery.isEmpty()
                           ? QString()
                           : QStringLiteral("Delivery\t: ") + row.Delivery + QLatin1Char('\n')) +
                      kReportRule + QLatin1Char('\n');
        }
        return report;
    }
    const auto field = [](int width, const QString& label, const QString& value) {
        return QStringLiteral("<tr><td width=%1>").arg(width) + label +
               QStringLiteral("</td><td>:&nbsp;&nbsp;</td><td>") + value + QStringLiteral("</td>");
    };
    report =
        Html_Page_Head(QStringLiteral("[ Tesk SMS - Sent Items ]"), QStringLiteral("Sent Items:"));
    for (const StatusReportRow& row : rows) {
        report +=
            htmlRow(QStringLiteral("<table>") +
                    field(60, QStringLiteral("Number"), Html_Escape(row.Number)) +
                    field(60, QStringLiteral("Message"), Html_Cell_Text(row.Message)) +
                    field(100, QStringLiteral("Current Status"), Html_Escape(row.CurrentStatus)) +
                    field(100, QStringLiteral("Sent Status"), Html_Escape(row.Status)) +
                    (row.Delivery.isEmpty()
                         ? QString()
                         : field(100, QStringLiteral("Delivery"), Html_Escape(row.Delivery))) +
                    QStringLiteral("</table>"));
    }
    return report;
}

bool Write_Report(const QString& path, const QString& text) {
    return Rewrite_Store_File(path, Utf16_Report_Bytes(text));
}

}  // namespace tesk::stores
