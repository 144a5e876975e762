#pragma once
// Writing a file a test reads back through the program.
#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace tesk::test {

// Writes the bytes whole to `name` in the folder and returns its path.
inline QString Write_Test_File(const QTemporaryDir& dir, const QString& name,
                               const QByteArray& bytes) {
    const QString path = dir.filePath(name);
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    EXPECT_EQ(file.write(bytes), bytes.size());
    return path;
}

}  // namespace tesk::test
