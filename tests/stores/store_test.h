#pragma once
// What the store tests share: a data folder of their own in a temporary directory, and reading
// back the files the stores and their windows write.
#include "appstate/data_paths.h"
#include "support/test_files.h"

#include <QFile>
#include <QStringDecoder>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/fsuid.h>
#include <unistd.h>

#include <thread>

namespace tesk::stores::test {

inline QByteArray readBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A report as a reader sees it: UTF-16 after its byte-order mark.
inline QString readReport(const QString& path) {
    EXPECT_TRUE(QFile::exists(path)) << path.toStdString();
    QStringDecoder decoder(QStringDecoder::Utf16);
    return decoder.decode(readBytes(path));
}

// Runs `body` on a thread whose file-system identity is the unprivileged "nobody", so that
// permissions apply even though the suite runs as root.
template <typename Body>
void asNobody(Body body) {
    std::thread worker([&] {
        if (geteuid() == 0) {
            // Both: with root's group the group bits, not the other bits, would apply.
            setfsgid(65534);
            setfsuid(65534);
            ASSERT_EQ(setfsuid(static_cast<uid_t>(-1)), 65534);
        }
        body();
    });
    worker.join();
}

// The data paths point into a fresh temporary folder, with the store files created.
class DataFolderTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        tesk::Set_Data_Paths(dir_.path());
        Check_Path_And_Create_Files();
    }
    QString write(const QString& name, const QByteArray& bytes) {
        return tesk::test::Write_Test_File(dir_, name, bytes);
    }

    QTemporaryDir dir_;
};

}  // namespace tesk::stores::test
