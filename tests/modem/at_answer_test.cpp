#include "modem/at_answer.h"
#include "support/param_names.h"

#include <gtest/gtest.h>

namespace {

struct AnswerCase {
    const char* bytes;
    bool complete;
};

class AtAnswerEnd : public ::testing::TestWithParam<AnswerCase> {};

TEST_P(AtAnswerEnd, IsRecognisedOnlyWhenTheFinalLineHasArrived) {
    EXPECT_EQ(tesk::Is_Complete_AT_Answer(QByteArray(GetParam().bytes)), GetParam().complete)
        << GetParam().bytes;
}

INSTANTIATE_TEST_SUITE_P(
    Modem, AtAnswerEnd,
    ::testing::Values(
        AnswerCase{"\r\nOK\r\n", true}, AnswerCase{"AT\r\r\nOK\r\n", true},
        AnswerCase{"AT+CGSN\r\r\n356938035643809\r\n\r\nOK\r\n", true},
        AnswerCase{"\r\nERROR\r\n", true}, AnswerCase{"\r\n+CMS ERROR: 500\r\n", true},
        AnswerCase{"\r\n+CME ERROR: 10\r\n", true}, AnswerCase{"\r\nCOMMAND NOT SUPPORT\r\n", true},
        AnswerCase{"AT+CMGS=23\r\r\n> ", true}, AnswerCase{"\r\n>", true},
        // Not yet: the line end is missing, or only echo and information came.
        AnswerCase{"\r\nOK", false}, AnswerCase{"\r\nOK\r", false}, AnswerCase{"AT\r", false},
        AnswerCase{"AT\r\n", false}, AnswerCase{"\r\n+CMGS: 12\r\n", false},
        AnswerCase{"\r\n+CSCA: \"+4477\",145\r\n", false}, AnswerCase{"\r\nNOT OK\r\n", false},
        AnswerCase{"\r\nOKAY\r\n", false}, AnswerCase{"a>b\r\n", false}, AnswerCase{"", false}),
    tesk::test::ByCaseName());

}  // namespace
