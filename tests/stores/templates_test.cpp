#include "stores/templates.h"
#include "store_test.h"
#include "stores/store_file.h"

#include <numeric>
#include <vector>

namespace {

using namespace tesk::stores;
using namespace tesk::stores::test;

const QString k1700 = QString(1600, QLatin1Char('a')) + QString(100, QLatin1Char('b'));
const QString k1700Other = QString(1600, QLatin1Char('a')) + QString(100, QLatin1Char('c'));

TEST(TemplateParsing, GivesTheTemplates) {
    const std::pair<QString, QStringList> cases[] = {
        {"Hello\nBye\nHello\n", {"Hello", "Bye"}},  // the same template on two lines
        {"Dear|AP*|DX/customer\n", {"Dear\ncustomer"}},
        {"\n   \n\t\nOne\n\n", {"One"}},
        {k1700 + "\n" + k1700Other + "\n", {QString(1600, u'a')}},  // equal once cut
        {"Hello\nhello\n", {"Hello", "hello"}},
        {"Last", {"Last"}}};
    for (const auto& [file, expected] : cases) {
        EXPECT_EQ(Parse_Templates(file), expected) << file.toStdString();
    }
}

// The window's changes reach the file and leave every other line as it was.
TEST(TemplateFileChanges, TouchOnlyTheChangedLines) {
    const struct {
        QByteArray file;
        QStringList templates;  // the window's list after the change
        QList<int> origins;
        QByteArray expected;
    } cases[] = {
        // A deleted template takes its repeated lines; an edited one takes its first line's place.
        {"A\n\nB\n  \nA\nC\n", {"B", "C"}, {1, 2}, "\nB\n  \nC\n"},
        {"A\nB\nA\n", {"A2\nx", "B"}, {0, 1}, "A2|AP*|DX/x\nB\n"},
        {"A\nB", {"A", "B", "New"}, {0, 1, -1}, "A\nB\nNew\n"},
        // A long line and undecodable bytes stay; so does a byte-order mark.
        {k1700.toUtf8() + "\n\xFF\xFE\nC",
         {QString(1600, u'a'), QStringLiteral("\uFFFD\uFFFD")},
         {0, 1},
         k1700.toUtf8() + "\n\xFF\xFE\n"},
        {"\357\273\277A\nB\n", {"B"}, {1}, "\357\273\277B\n"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file.toStdString());
        const TemplatesFile file = Read_Templates(c.file);
        EXPECT_EQ(Templates_File_After(file, c.templates, c.origins), c.expected);
        QList<int> unchanged(file.templates.size());
        std::iota(unchanged.begin(), unchanged.end(), 0);
        EXPECT_EQ(Templates_File_After(file, file.templates, unchanged), c.file);
    }
}

using TemplateFiles = DataFolderTest;

// A template may start with U+FEFF, which readers take for a byte-order mark at the start of a
// file: the file then gets a mark of its own in front. A composed message is stored once, cut
// to 1600, and the saves notice a change made to the file by anybody else.
TEST_F(TemplateFiles, RewriteLoadAndSaveTheComposedMessageOnce) {
    const QStringList templates{QStringLiteral("\uFEFFFirst"), "Two\nlines", "Ünïcödé ✓"};
    ASSERT_TRUE(Write_Template_file(Templates_Path, templates));
    EXPECT_EQ(
        readBytes(Templates_Path),
        "\xEF\xBB\xBF" + QStringLiteral("\uFEFFFirst\nTwo|AP*|DX/lines\nÜnïcödé ✓\n").toUtf8());
    EXPECT_EQ(LoadItems_templates(Templates_Path), templates);

    ASSERT_TRUE(Write_Template_file(Templates_Path, {}));
    for (const QString& text : {QStringLiteral("\uFEFF"), QStringLiteral("See you\nat 9"),
                                QStringLiteral("See you\nat 9"), k1700, k1700}) {
        ASSERT_TRUE(Save_Composed_Template(text));
    }
    EXPECT_FALSE(Save_Composed_Template("   "));
    ASSERT_TRUE(Append_Store_Record(Templates_Path, "By hand\n"));
    ASSERT_TRUE(Save_Composed_Template("By hand"));
    EXPECT_EQ(readBytes(Templates_Path),
              "\xEF\xBB\xBF" + QStringLiteral("\uFEFF\nSee you|AP*|DX/at 9\n").toUtf8() +
                  QString(1600, u'a').toUtf8() + "\nBy hand\n");
}

TEST_F(TemplateFiles, SendingThreadsSavingTheSameMessageStoreItOnce) {
    std::vector<std::thread> threads;
    for (int t = 0; t < 16; ++t) {
        threads.emplace_back([t] {
            Save_Composed_Template("Shared message");
            Save_Composed_Template(QStringLiteral("Own %1").arg(t));
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    const QStringList stored = Parse_Templates(QString::fromUtf8(readBytes(Templates_Path)));
    EXPECT_EQ(stored.size(), 17);
    EXPECT_EQ(QString::fromUtf8(readBytes(Templates_Path)).count("Shared message"), 1);
}

}  // namespace
