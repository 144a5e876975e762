// Files a user may pick by mistake, through the whole import: each ends in the failure message
// (or imports what it really holds), never in a crash or a hang, and the numbers that were in
// the list before stay there.
#include "composer/composer_controller.h"
#include "recording_view.h"
#include "support/scripted_dialogs.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/fsuid.h>
#include <unistd.h>

#include <ostream>
#include <thread>

namespace {

using tesk::composer::ComposerController;
using tesk::composer::ComposerKind;
using tesk::composer::test::RecordingView;
using tesk::test::ScriptedDialogs;

const QString kFailure = QStringLiteral(
    "\nEither file is corrupted or selected file contains invalid characters.\n\nOR\n\nRecipient "
    "number is skipped because of using 'Skip Duplicate Numbers' or 'Exclusion List' option.");

struct BadInput {
    const char* name;
    const char* file;
    QByteArray bytes;
    QStringList added;  // what the file really holds; empty: the failure message
};
void PrintTo(const BadInput& c, std::ostream* os) {
    *os << c.name;
}

class BadInputImport : public ::testing::TestWithParam<BadInput> {
  protected:
    void SetUp() override {
        composer_.Create_Num_Msg_List(QStringLiteral("+447700900001"), QString());
        composer_.Create_Num_Msg_List(QStringLiteral("07700900002"), QString());
    }
    QStringList before() const { return {"+447700900001", "07700900002"}; }

    QTemporaryDir dir_;
    ScriptedDialogs dialogs_;
    ComposerController composer_{ComposerKind::Gsm};
    RecordingView view_{composer_};
};

TEST_P(BadInputImport, EndsInTheMessageAndKeepsTheList) {
    const BadInput& c = GetParam();
    const QString path = dir_.filePath(QString::fromUtf8(c.file));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(c.bytes), c.bytes.size());
    file.close();
    dialogs_.expectNotice(c.added.isEmpty() ? kFailure : QStringLiteral("\nImported "));
    EXPECT_EQ(composer_.Load_Num_Func(path), c.added.size());
    EXPECT_EQ(composer_.list().numbers(), before() + c.added);
    EXPECT_EQ(view_.calls().count(QStringLiteral("wait+")), 1);
    EXPECT_EQ(view_.calls().count(QStringLiteral("wait-")), 1) << "the sheet is always taken down";
}

INSTANTIATE_TEST_SUITE_P(
    Files, BadInputImport,
    ::testing::Values(
        BadInput{
            "binary", "photo.txt", QByteArray("\x89PNG\r\n\x1A\n\0\0\0\rIHDR\0\0\x02\x80", 20), {}},
        BadInput{"windows_1252_letter_inside_the_number",
                 "latin1.txt",
                 QByteArray("07700\xE9"
                            "900003\n"),
                 {}},
        BadInput{
            "hundred_megabyte_line", "one-line.txt", QByteArray(qsizetype{100} << 20, '7'), {}},
        BadInput{"empty", "empty.csv", QByteArray(), {}},
        BadInput{"only_line_ends", "blank.txt", QByteArray("\r\n\r\n\n"), {}},
        BadInput{"rtf_unbalanced_without_numbers",
                 "broken.rtf",
                 QByteArray("{\\rtf1\\ansi {{{\\b hello}} world\\par"),
                 {}},
        BadInput{"rtf_unbalanced_with_numbers",
                 "broken2.rtf",
                 QByteArray("{\\rtf1\\ansi}}} 07700900004\\par {{07700900005\\par"),
                 {"07700900004", "07700900005"}},
        BadInput{"csv_unclosed_quote",
                 "quote.csv",
                 QByteArray("\"Ann,+447700900006\r\nBob,447700900007\r\n"),
                 {"+447700900006", "447700900007"}}),
    [](const ::testing::TestParamInfo<BadInput>& info) { return std::string(info.param.name); });

TEST(BadInputImportPaths, DirectoryAndMissingFileEndInTheMessage) {
    QTemporaryDir dir;
    ScriptedDialogs dialogs;
    ComposerController composer(ComposerKind::Android);
    RecordingView view(composer);
    composer.Create_Num_Msg_List(QStringLiteral("5551"), QString());
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("numbers.txt")));
    for (const QString& path :
         {dir.filePath(QStringLiteral("numbers.txt")), dir.filePath(QStringLiteral("gone.csv"))}) {
        dialogs.expectNotice(kFailure);
        EXPECT_EQ(composer.Load_Num_Func(path), 0) << path.toStdString();
    }
    EXPECT_EQ(composer.list().numbers(), QStringList{"5551"});
}

// Root reads any file whatever its mode, so the import runs on a thread whose file-system
// identity is the unprivileged "nobody": that drops root's permission override for the
// thread's own file accesses only.
TEST(BadInputImportPaths, UnreadableFileEndsInTheMessage) {
    QTemporaryDir dir;
    ASSERT_TRUE(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner |
                                                      QFile::ExeOwner | QFile::ReadOther |
                                                      QFile::ExeOther));
    const QString path = dir.filePath(QStringLiteral("private.txt"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("07700900008\n");
    file.close();
    ASSERT_TRUE(QFile::setPermissions(path, QFile::WriteOwner));

    ScriptedDialogs dialogs;
    ComposerController composer(ComposerKind::Gsm);
    RecordingView view(composer);
    composer.Create_Num_Msg_List(QStringLiteral("5551"), QString());
    dialogs.expectNotice(kFailure);
    int added = -1;
    bool unprivileged = true;
    std::thread worker([&] {
        if (geteuid() == 0) {
            setfsuid(65534);
            unprivileged = setfsuid(static_cast<uid_t>(-1)) == 65534;
        }
        added = composer.Load_Num_Func(path);
    });
    worker.join();
    ASSERT_TRUE(unprivileged);
    EXPECT_EQ(added, 0);
    EXPECT_EQ(composer.list().numbers(), QStringList{"5551"});
}

}  // namespace
