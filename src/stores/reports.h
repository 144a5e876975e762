#pragma once
// The exported reports: sent items and templates (and, with the sending run, the status report)
// share one layout: a plain-text form under a header with a rule of 76 "=", or an HTML page
// with a fixed head and one table row per entry. Reports are written as UTF-16 with one
// byte-order mark at the start, and every value in the HTML form is escaped, so a message
// holding "<" or "&" shows as typed and cannot break the page.
#include "stores/sent_items.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace tesk::stores {

enum class ReportFormat { Text = 0, Html = 1 };

inline const QString kReportRule = QString(76, QLatin1Char('='));

// The chosen name with ".txt" or ".html" added unless its extension already is that
// (compared without case): "report.TXT" stays, "report.doc" becomes "report.doc.txt".
QString Report_File_Name(const QString& chosen, ReportFormat format);

// The text as UTF-16 in this machine's byte order, one byte-order mark first.
QByteArray Utf16_Report_Bytes(const QString& text);

// "&", "<", ">" and '"' as entities.
QString Html_Escape(const QString& text);
// A value as a report cell shows it: escaped, line feeds as "<br>", blanks as "&nbsp;".
QString Html_Cell_Text(const QString& text);

// The fixed page head with the report's title (e.g. "[ Tesk SMS - Sent Items ]") and the
// heading of its table (e.g. "Sent Items:").
QString Html_Page_Head(const QString& title, const QString& heading);

// Entries whose status counts as delivered ("Message sent successfully.", "Message sent to
// device.").
bool Is_Successful_Status(const QString& status);

// One row of the sending-status report: the sending table's Number, Message, Current Status
// and Status, and what the status reports said when the run asked for them ("" otherwise: the
// report then has no Delivery line).
struct StatusReportRow {
    QString Number;
    QString Message;
    QString CurrentStatus;
    QString Status;
    QString Delivery;
};

// The reports' texts. `gsm` adds the status of each entry.
QString Sent_Items_Report(const QList<SentItem>& items, ReportFormat format, bool gsm);
QString Templates_Report(const QStringList& templates, ReportFormat format);
QString Status_Report(const QList<StatusReportRow>& rows, ReportFormat format);

// Shown when the status choice of an export leaves nothing to write.
inline const QString kNoItemForExportOption =
    QStringLiteral("There is no item for selected Export Option.");

// Writes the report as a whole (a report is never left half-written). False when the file
// cannot be written; the caller shows "Error in file accessing.".
bool Write_Report(const QString& path, const QString& text);

}  // namespace tesk::stores
