// Activity starts: what the companion application's extras hold when the phone's shell has
// parsed the command line, the fallback attempt and the failure words. (The number-only and
// test forms, neither tried twice: the phone window's test message and the sending suites.)
#include "android/adb_lines.h"
#include "android_test_support.h"

#include <QJsonArray>

namespace tesk::test {
namespace {

using namespace android;

QString extra(const QJsonObject& start, const QString& key) {
    return start.value(QStringLiteral("extras")).toObject().value(key).toString();
}
QString flag(const QJsonObject& start, const QString& key) {
    return start.value(QStringLiteral("extraFlags")).toObject().value(key).toString();
}

// Messages arrive at the phone exactly as typed, once the phone's shell has parsed the command
// line (a real /bin/sh there): one start each, no second attempt needed.
TEST_F(AndroidTest, MessagesArriveAtThePhoneExactlyAsTyped) {
    const QString messages[] = {
        QStringLiteral("-n com.other/.App"),
        QStringLiteral("Hi \"Bob\",\nit's $5 (really) `x` $(y); a&b|c<d>e \\ 🙂\r\nbye"),
        QStringLiteral("'quoted'' ${PATH} * && || \\\\ \\n\ttab end\\"),
    };
    onePhone();
    for (const QString& message : messages) {
        const AdbCall call = Send_AN_MSG_Command(QStringLiteral("+491701234567"), message, 0);
        EXPECT_FALSE(Activity_Start_Failed(call)) << call.output.toStdString();
    }
    const QList<QJsonObject> starts = state->activityStarts();
    ASSERT_EQ(starts.size(), static_cast<qsizetype>(std::size(messages)));
    for (qsizetype i = 0; i < starts.size(); ++i) {
        EXPECT_EQ(extra(starts.at(i), QStringLiteral("MSG")), messages[i]);
        EXPECT_EQ(flag(starts.at(i), QStringLiteral("MSG")), QStringLiteral("--es"));
        EXPECT_EQ(extra(starts.at(i), QStringLiteral("NUM")), QStringLiteral("+491701234567"));
        EXPECT_EQ(starts.at(i).value(QStringLiteral("component")).toString(), kCompanionComponent);
        EXPECT_EQ(starts.at(i).value(QStringLiteral("action")).toString(), kStartAction);
    }
}

TEST_F(AndroidTest, FailedFirstStartIsRetriedWithUnderscoresAndASecondFailureIsFinal) {
    onePhone();
    state->setActivityAnswer(
        1, QStringLiteral("Starting: Intent { act=android.intent.category.MAIN }\nError: "
                          "Activity not started, unable to resolve Intent\n"));
    const QString message = QStringLiteral("  Tom & \"Jerry\"\n(1;2) it's `x` a|b<c>d \\ $HOME ");
    const AdbCall call = Send_AN_MSG_Command(QStringLiteral("0123"), message, 0);
    EXPECT_FALSE(Activity_Start_Failed(call));
    const QList<QJsonObject> starts = state->activityStarts();
    ASSERT_EQ(starts.size(), 2);
    EXPECT_EQ(extra(starts.at(1), QStringLiteral("MSG")),
              QStringLiteral("Tom _ _Jerry_ _1_2_ it_s _x_ a_b_c_d _ $HOME"));
    // A second failure is final.
    state->setActivityAnswer(QStringLiteral("Error: Activity class does not exist.\n"));
    EXPECT_TRUE(Activity_Start_Failed(Send_AN_MSG_Command("0123", QStringLiteral("hi"), 0)));
    EXPECT_EQ(state->activityStarts().size(), 4);
    // A message of blanks has nothing to send: the number-only form, not tried twice.
    EXPECT_TRUE(Activity_Start_Failed(Send_AN_MSG_Command("0123", QStringLiteral(" \n "), 0)));
    EXPECT_EQ(state->activityStarts().size(), 5);
    EXPECT_EQ(state->activityStarts().last().value("extras").toObject().keys(), QStringList{"NUM"});
}

TEST(ActivityStart, FailureWords) {
    const std::pair<const char*, bool> outputs[] = {
        {"Starting: Intent { act=android.intent.category.MAIN }", false},
        // ("Error:" words: the retried start above.)
        {"Cannot find the activity", true},
        {"/system/bin/sh: am: Permission denied", true},
        {"usage: -n: missing component", true}};
    for (const auto& [output, failed] : outputs) {
        EXPECT_EQ(Find_Error_In_Stat_Activity(QString::fromLatin1(output)), failed) << output;
    }
}

}  // namespace
}  // namespace tesk::test
