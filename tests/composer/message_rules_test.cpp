#include "composer/message_rules.h"
#include "composer/composer_controller.h"
#include "pdu/pdu.h"
#include "recording_view.h"

namespace {

using namespace tesk::composer;
using namespace tesk::composer::test;

using tesk::test::ScriptedDialogs;

QString repeat(const char* unit, int times) {
    return QString::fromUtf8(unit).repeated(times);
}

struct CountCase {
    const char* name;
    QString text;
    bool unicodeOption;
    QString expected;
};

// The SMS count equals the PDUs the sending path submits: 152-septet / 66-unit windows once
// past one SMS, escaped characters two septets, non-GSM text as UCS2 even with the option off.
TEST(MessageCountText, countsThePartsTheSendingPathSubmits) {
    const auto multi = [](int characters, int parts) {
        return QStringLiteral("%1 Characters (Each Message will now consume %2 SMS)")
            .arg(characters)
            .arg(parts);
    };
    const std::vector<CountCase> cases = {
        {"empty", "", false, "0 Characters"},
        {"160 plain", repeat("a", 160), false, "160 Characters"},
        {"161 plain", repeat("a", 161), false, multi(161, 2)},
        {"304 plain", repeat("a", 304), false, multi(304, 2)},
        {"305 plain", repeat("a", 305), false, multi(305, 3)},
        {"2000 cut to 1600", repeat("a", 2000), false, multi(1600, 11)},
        {"80 euro signs are 160 septets", repeat("€", 80), false, "80 Characters"},
        {"81 euro signs are 162 septets", repeat("€", 81), false, multi(81, 2)},
        {"70 with Unicode on", repeat("a", 70), true, "70 Characters"},
        {"71 with Unicode on", repeat("a", 71), true, multi(71, 2)},
        {"132 with Unicode on", repeat("a", 132), true, multi(132, 2)},
        {"133 with Unicode on", repeat("a", 133), true, multi(133, 3)},
        {"70 Cyrillic, option off", repeat("ж", 70), false, "70 Characters"},
        {"71 Cyrillic, option off", repeat("ж", 71), false, multi(71, 2)},
    };
    for (const CountCase& c : cases) {
        const auto size = Measure_Message(c.text, c.unicodeOption);
        EXPECT_EQ(Message_Count_Text(size), c.expected) << c.name;
        if (size.multiPart) {
            EXPECT_EQ(size.parts, PDU::Part_Count(c.text.left(1600), size.ucs2)) << c.name;
        }
    }
}

// A GSM count is for the list's longest number and the chosen devices' modes; with none chosen,
// for whichever mode sends more. (What each mode submits is the codec's rule.)
TEST(GsmCount, isForTheLongestNumberAndTheChosenModes) {
    ComposerController composer(ComposerKind::Gsm);
    composer.Create_Num_Msg_List("+4477", QString());
    composer.Create_Num_Msg_List("+447700900123", QString());
    const struct {
        SendingModes modes;
        int septets, parts;
    } cases[] = {
        {{true, false, true}, 301, 2},  // PDU mode: two 152-septet parts
        {{false, true, true}, 301, 3},  // text mode sends it in three
        {{true, true, false}, 301, 3},  // no device chosen: the larger
        {{true, false, true}, 160, 1},
    };
    for (const auto& c : cases) {
        composer.Set_Sending_Modes(c.modes);
        EXPECT_EQ(Measure_Message(repeat("a", c.septets), false, composer.Count_Basis()).parts,
                  c.parts);
    }
    composer.Create_Num_Msg_List("+4477009001234", QString());  // 13 digits: 160 no longer fit
    EXPECT_EQ(Measure_Message(repeat("a", 160), false, composer.Count_Basis()).parts, 2);
}

TEST(CutMessage, keepsSurrogatePairsWhole) {
    const QString emoji = QString::fromUtf8("😀");
    EXPECT_EQ(Cut_Message(repeat("a", 1599) + emoji).size(), 1599);
    EXPECT_EQ(Cut_Message(repeat("a", 1598) + emoji + "b").size(), 1600);
    EXPECT_EQ(Cut_Number(repeat("1", 25)), repeat("1", 20));
}

const QString k160Warning = QStringLiteral(
    "Your current message is exceeding the typical SMS Length of 160 Characters. Messages of more "
    "than 160 characters will be delivered in multiple messages of 160 characters to each "
    "recipient.\n\nEither shorten the length of your existing text message or click OK to continue "
    "anyway by delivering each message in multiple parts of 160 characters.");
const QString k70Warning = QStringLiteral(
    "Your current message is exceeding the typical Unicode SMS (non-English text SMS) Length of 70 "
    "Characters. Messages of more than 70 characters will be delivered in multiple messages of 70 "
    "characters to each recipient.\n\nEither shorten the length of your existing text message or "
    "click OK to continue anyway by delivering each message in multiple parts of 70 characters.");

TEST_F(ComposerTest, TextDidChangeWarnsOncePerCrossing) {
    // A 12-digit number through a PDU-mode device: 160 septets still make one SMS.
    composer_.Create_Num_Msg_List("+447700900001", QString());
    composer_.Set_Sending_Modes({true, false, true});
    composer_.textDidChange(repeat("a", 160));
    dialogs_.expectNotice(k160Warning);
    composer_.textDidChange(repeat("a", 161));
    composer_.textDidChange(repeat("a", 400));  // still past the limit: no second warning
    EXPECT_EQ(view_.charCountLabel, "400 Characters (Each Message will now consume 3 SMS)");
    composer_.textDidChange(repeat("a", 160));
    dialogs_.expectNotice(k160Warning);
    composer_.textDidChange(repeat("a", 170));
    EXPECT_EQ(view_.delays, (QList<double>{1.0, 1.0}));
}

TEST(UnicodeChk, recountsAndMayWarnWithTheOtherLimit) {
    ScriptedDialogs dialogs;
    ComposerController composer(ComposerKind::Android);
    RecordingView view(composer);
    composer.textDidChange(repeat("c", 100));
    dialogs.expectNotice(k70Warning);
    composer.Unicode_Chk(true);
    EXPECT_EQ(view.charCountLabel, "100 Characters (Each Message will now consume 2 SMS)");
    composer.Unicode_Chk(false);
    EXPECT_EQ(view.charCountLabel, "100 Characters");
    // Text that needs UCS2 goes as UCS2 with the option off, and is warned about as such.
    dialogs.expectNotice(k70Warning);
    composer.textDidChange(repeat("ж", 71));
    // Text past 1600 characters is cut in the controller and on the screen.
    composer.textDidChange(repeat("ж", 2000));
    EXPECT_EQ(composer.composerText(), repeat("ж", 1600));
    EXPECT_EQ(view.composerText, repeat("ж", 1600));
    EXPECT_EQ(view.charCountLabel, "1600 Characters (Each Message will now consume 25 SMS)");
}

}  // namespace
