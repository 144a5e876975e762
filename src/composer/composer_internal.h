#pragma once
// Texts and helpers shared by the composer's source files. Internal to the library.
#include "composer/number_rules.h"

#include <QString>

namespace tesk::composer::texts {

inline const QString kInvalidNumber = QStringLiteral("Please enter a valid phone number.");
inline const QString kNumberExists = QStringLiteral("Entered number already exists.");
inline const QString kNumberExcluded = QStringLiteral("Entered number is in exclusion list.");
inline const QString kInsertEnteredNumber =
    QStringLiteral("Please insert entered number to the list.");
inline const QString kListEmpty = QStringLiteral("Phone numbers-Messages list is empty.");
inline const QString kSelectAtLeastOne = QStringLiteral(
    "Please select at least one record from the phone numbers-messages list to continue.");
inline const QString kSelectOnlyOne = QStringLiteral("Please select only one record to update.");
inline const QString kEnterSomeText = QStringLiteral("Please enter some text message.");
inline const QString kFileError = QStringLiteral("Error in file accessing.");
inline const QString kImportFailure = QStringLiteral(
    "Either file is corrupted or selected file contains invalid characters.\n\nOR\n\nRecipient "
    "number is skipped because of using 'Skip Duplicate Numbers' or 'Exclusion List' option.");

}  // namespace tesk::composer::texts
