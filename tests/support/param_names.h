#pragma once
// Readable names for parameterised cases: the case's own `name` field when it has one (letters,
// digits and underscores kept, anything else folded to one underscore), else "case<index>".
// Without this, test runners show each case by the bytes of its parameter.
#include <QString>

#include <gtest/gtest.h>

#include <cctype>
#include <string>

namespace tesk::test {

inline std::string Case_Name_Text(const char* text) {
    return text == nullptr ? "" : text;
}
inline std::string Case_Name_Text(const std::string& text) {
    return text;
}
inline std::string Case_Name_Text(const QString& text) {
    return text.toStdString();
}

struct ByCaseName {
    template <typename Param>
    std::string operator()(const ::testing::TestParamInfo<Param>& info) const {
        std::string raw;
        if constexpr (requires { Case_Name_Text(info.param.name); }) {
            raw = Case_Name_Text(info.param.name);
        }
        std::string name;
        for (const char c : raw) {
            if (std::isalnum(static_cast<unsigned char>(c)) != 0) {
                name += c;
            } else if (!name.empty() && name.back() != '_') {
                name += '_';
            }
        }
        while (!name.empty() && name.back() == '_') {
            name.pop_back();
        }
        return name.empty() ? "case" + std::to_string(info.index) : name;
    }
};

}  // namespace tesk::test
