#pragma once
// Outcome of a serial read or write, in the form the modem driver inspects.
#include <QString>
#include <QVariantMap>

inline const QString SerialErrorDomain = QStringLiteral("SerialErrorDomain");

enum SerialErrorCode : int {
    SerialErrorNone = 0,
    SerialErrorSystem = 99,    // the system reported an error, or end of file
    SerialErrorTimeout = 100,  // no data, or the time-out ran out
    SerialErrorBufferFull = 101,
    SerialErrorNothingToWrite = 200,
    SerialErrorPartialWrite = 201,
};

// Why a read stopped early ("endCode" in the details).
enum SerialEndCode : int {
    SerialEndAtChar = 1,         // the stop character arrived
    SerialEndExactBytes = 2,     // exactly the requested number of bytes
    SerialEndMoreBytes = 3,      // more than the requested number of bytes
    SerialEndAnswerComplete = 4  // the caller's completeness test accepted what was held
};

struct SerialError {
    QString domain = SerialErrorDomain;
    int code = SerialErrorNone;
    int systemError = 0;  // errno where the system reported one
    QVariantMap details;  // "bytesRead", "bytesWritten", "endCode"
};
