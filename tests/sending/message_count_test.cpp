// The GSM composer's SMS count against what a modem really receives: for short and long
// recipient numbers, in PDU and in text mode, and the worst of both while no device is chosen.
#include "composer/composer_controller.h"
#include "modem/modem_test_support.h"

#include <QRegularExpression>

namespace tesk::test {
namespace {

// The count the label shows: 1 in the plain form.
int labelCount(const QString& label) {
    static const QRegularExpression consume("consume (\\d+) SMS");
    const QRegularExpressionMatch m = consume.match(label);
    return m.hasMatch() ? m.captured(1).toInt() : 1;
}

class MessageCountTest : public ModemChannelTest {
  protected:
    // What the modem received for one message in the given mode.
    int sent(bool pduMode, const QString& number, const QString& message) {
        const qsizetype before = modem->received().size();
        QString status;
        if (pduMode) {
            channel.Prepare_Modem_For_PDU_SMS(fd);
            channel.Send_PDU_SMS(fd, number, message, QString(), false, false, &status, "Yes");
        } else {
            channel.Prepare_Modem_For_Text_SMS(fd);
            channel.Send_Text_SMS(fd, number, message, QString(), false, false,
                                  QString::fromUtf8(path), &status, "Yes");
        }
        return static_cast<int>(modem->received().size() - before);
    }

    // Text mode waits between the separate messages of a long one: shorter still here.
    pacing::ScopedScale faster{0.03};
};

TEST_F(MessageCountTest, CountEqualsWhatTheModemReceives) {
    struct Case {
        const char* name;
        QString message;
        int pdu[4];  // SMS for numbers of 8, 12, 13 and 15 digits
        int text[4];
    };
    const QString plain160 = QString(160, QLatin1Char('a'));
    const Case cases[] = {
        {"160 septets", plain160, {1, 1, 2, 2}, {1, 1, 2, 2}},
        {"158 septets", plain160.left(158), {1, 1, 1, 2}, {1, 1, 1, 2}},
        {"70 Unicode", QString::fromUtf8("ж").repeated(70), {1, 1, 2, 2}, {1, 1, 2, 2}},
        {"456 septets", QString(456, QLatin1Char('b')), {3, 3, 3, 3}, {4, 4, 4, 4}},
    };
    const int digits[] = {8, 12, 13, 15};
    openOn({});
    for (const Case& c : cases) {
        for (int i = 0; i < 4; ++i) {
            SCOPED_TRACE(std::string(c.name) + ", " + std::to_string(digits[i]) + " digits");
            const QString number = "+" + QString(digits[i], QLatin1Char('7'));
            composer::ComposerController composer(composer::ComposerKind::Gsm);
            composer.Create_Num_Msg_List("+4477", QString());
            composer.Create_Num_Msg_List(number, QString());
            composer.textDidChange(c.message);
            const int worst = labelCount(composer.charCountLabel());
            composer.Set_Sending_Modes({true, false, true});
            const int pduCount = labelCount(composer.charCountLabel());
            composer.Set_Sending_Modes({false, true, true});
            const int textCount = labelCount(composer.charCountLabel());
            EXPECT_EQ(pduCount, sent(true, number, c.message));
            EXPECT_EQ(textCount, sent(false, number, c.message));
            EXPECT_EQ(pduCount, c.pdu[i]);
            EXPECT_EQ(textCount, c.text[i]);
            EXPECT_EQ(worst, std::max(pduCount, textCount));
        }
    }
}

}  // namespace
}  // namespace tesk::test
