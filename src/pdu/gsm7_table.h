#pragma once
// The GSM 7-bit default alphabet and its extension table (3GPP TS 23.038 6.2.1) in both
// directions. Read-only data built at compile time, safe from every thread.
#include <array>
#include <cstdint>

namespace tesk::pdu {

inline constexpr uint8_t kEscapeSeptet = 27;
inline constexpr char16_t kNoCharacter = 0xFFFF;

// Septet -> character of the default alphabet; the escape position holds kNoCharacter.
// clang-format off
inline constexpr std::array<char16_t, 128> kGsmBasic = {
    u'@', u'£', u'$', u'¥', u'è', u'é', u'ù', u'ì',  // 0x00
    u'ò', u'Ç', u'\n', u'Ø', u'ø', u'\r', u'Å', u'å',  // 0x08
    u'Δ', u'_', u'Φ', u'Γ', u'Λ', u'Ω', u'Π', u'Ψ',  // 0x10
    u'Σ', u'Θ', u'Ξ', kNoCharacter, u'Æ', u'æ', u'ß', u'É',  // 0x18
    u' ', u'!', u'"', u'#', u'¤', u'%', u'&', u'\'',  // 0x20
    u'(', u')', u'*', u'+', u',', u'-', u'.', u'/',  // 0x28
    u'0', u'1', u'2', u'3', u'4', u'5', u'6', u'7',  // 0x30
    u'8', u'9', u':', u';', u'<', u'=', u'>', u'?',  // 0x38
    u'¡', u'A', u'B', u'C', u'D', u'E', u'F', u'G',  // 0x40
    u'H', u'I', u'J', u'K', u'L', u'M', u'N', u'O',  // 0x48
    u'P', u'Q', u'R', u'S', u'T', u'U', u'V', u'W',  // 0x50
    u'X', u'Y', u'Z', u'Ä', u'Ö', u'Ñ', u'Ü', u'§',  // 0x58
    u'¿', u'a', u'b', u'c', u'd', u'e', u'f', u'g',  // 0x60
    u'h', u'i', u'j', u'k', u'l', u'm', u'n', u'o',  // 0x68
    u'p', u'q', u'r', u's', u't', u'u', u'v', u'w',  // 0x70
    u'x', u'y', u'z', u'ä', u'ö', u'ñ', u'ü', u'à',  // 0x78
};
// clang-format on

struct ExtensionRow {
    uint8_t septet;
    char16_t character;
};

// Characters reached through the escape septet.
inline constexpr std::array<ExtensionRow, 10> kGsmExtension = {{
    {0x0A, u'\f'},
    {0x14, u'^'},
    {0x28, u'{'},
    {0x29, u'}'},
    {0x2F, u'\\'},
    {0x3C, u'['},
    {0x3D, u'~'},
    {0x3E, u']'},
    {0x40, u'|'},
    {0x65, u'€'},
}};

inline constexpr int kExtensionFlag = 0x100;
inline constexpr int kNotInTable = -1;

namespace detail {
inline constexpr int kLookupSize = 0x400;  // every table character below € lives under U+0400

constexpr std::array<int16_t, kLookupSize> buildLookup() {
    std::array<int16_t, kLookupSize> table{};
    for (auto& entry : table) {
        entry = kNotInTable;
    }
    for (int septet = 0; septet < 128; ++septet) {
        const char16_t c = kGsmBasic[septet];
        if (c != kNoCharacter) {
            table[c] = static_cast<int16_t>(septet);
        }
    }
    for (const ExtensionRow& row : kGsmExtension) {
        if (row.character < kLookupSize) {
            table[row.character] = static_cast<int16_t>(kExtensionFlag | row.septet);
        }
    }
    return table;
}

inline constexpr std::array<int16_t, kLookupSize> kLookup = buildLookup();
}  // namespace detail

// Character -> septet, with kExtensionFlag set for extension characters; kNotInTable otherwise.
// The typographic quotation marks stand in for the straight ones, whose positions they take.
constexpr int MapChar(char16_t c) {
    if (c < detail::kLookupSize) {
        return detail::kLookup[c];
    }
    switch (c) {
        case u'€':
            return kExtensionFlag | 0x65;
        case u'\u201C':  // left double quotation mark
            return 0x22;
        case u'\u2018':  // left single quotation mark
            return 0x27;
        default:
            return kNotInTable;
    }
}

// Extension septet -> character; kNoCharacter when the extension table has no symbol there.
constexpr char16_t ExtensionChar(uint8_t septet) {
    for (const ExtensionRow& row : kGsmExtension) {
        if (row.septet == septet) {
            return row.character;
        }
    }
    return kNoCharacter;
}

}  // namespace tesk::pdu
