#include "text/cp936.h"

#include <gtest/gtest.h>

#include <QStringDecoder>
#include <random>

#include "nasty.h"
#include "text/bytes.h"

namespace tq::text {
namespace {

using testing::nastyInputs;

std::string pairBytes(int lead, int trail) {
    return {char(lead), char(trail)};
}

// Characters a text widget would turn into something else (a break, a blank) if it met them.
bool widgetAlters(char16_t c) {
    return c == u'\r' || c == 0x2028 || c == 0x2029 || c == 0x00A0 || c == 0xFDD0 || c == 0xFDD1;
}

TEST(Cp936, NastyInputsRoundTripInBothModes) {
    for (const auto& [name, bytes] : nastyInputs()) {
        SCOPED_TRACE(name);
        EXPECT_EQ(encode(decode(bytes)), bytes);
        EXPECT_EQ(encodeLines(decodeLines(bytes)), bytes);
    }
}

TEST(Cp936, OnlyCrLfBecomesALineBreak) {
    for (const auto& [name, bytes] : nastyInputs()) {
        SCOPED_TRACE(name);
        const QString lines = decodeLines(bytes);
        qsizetype crlf = 0;
        for (size_t at = bytes.find("\r\n"); at != std::string::npos;
             at = bytes.find("\r\n", at + 2))
            ++crlf;
        EXPECT_EQ(lines.count(u'\n'), crlf);
        for (QChar c : lines)
            EXPECT_FALSE(widgetAlters(c.unicode())) << std::hex << int(c.unicode());
    }
}

TEST(Cp936, DecodesToRealCharactersOrByteEscapes) {
    struct Case {
        std::string bytes;
        std::u16string text;
        std::u16string lines;
    };
    const Case cases[] = {
        {"\xd6\xd0\xce\xc4", u"\u4e2d\u6587", u"\u4e2d\u6587"},
        {"\x81\x40", u"\u4e02", u"\u4e02"},
        {"\xa1\xa1", u"\u3000", u"\u3000"},
        {"\x80", u"\u20ac", u"\u20ac"},
        {"\xb0", u"\xdcb0", u"\xdcb0"},
        {"\x81\x30",
         u"\xdc81"
         u"0",
         u"\xdc81"
         u"0"},
        {"\xb0\r\n", u"\xdcb0\r\n", u"\xdcb0\n"},
        {"a\rb\nc", u"a\rb\nc",
         u"a\xdc0d"
         u"b\xdc0a"
         u"c"},
        {"\r\r\n\n", u"\r\r\n\n", u"\xdc0d\n\xdc0a"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bytes);
        EXPECT_EQ(decode(c.bytes), QString::fromStdU16String(c.text));
        EXPECT_EQ(decodeLines(c.bytes), QString::fromStdU16String(c.lines));
    }
}

TEST(Cp936, EveryPairRoundTripsAndValidPairsAreRealCharacters) {
    QString allValid;
    for (int lead = 0x81; lead <= 0xFE; ++lead) {
        for (int trail = 0x01; trail <= 0xFF; ++trail) {
            const std::string bytes = pairBytes(lead, trail);
            ASSERT_EQ(encode(decode(bytes)), bytes) << std::hex << lead << ' ' << trail;
            ASSERT_EQ(encodeLines(decodeLines(bytes)), bytes) << std::hex << lead << ' ' << trail;
            const char16_t c =
                pairChar(static_cast<unsigned char>(lead), static_cast<unsigned char>(trail));
            if (c == 0)
                continue;
            const QString text = decode(bytes);
            ASSERT_EQ(text.size(), 1);
            EXPECT_EQ(text.at(0).unicode(), c);
            EXPECT_FALSE(QChar::isSurrogate(c)) << std::hex << lead << ' ' << trail;
            EXPECT_FALSE(widgetAlters(c)) << std::hex << lead << ' ' << trail;
            // The same answer as the converter the table was learnt from.
            QStringDecoder icu("GBK");
            EXPECT_EQ(icu.decode(QByteArrayView(bytes.data(), 2)), text);
            allValid += text;
        }
    }
    // All valid characters in one text: no escapes, and back to the same bytes.
    const std::string bytes = encode(allValid);
    EXPECT_EQ(bytes.size(), size_t(allValid.size()) * 2);
    EXPECT_EQ(decode(bytes), allValid);
    EXPECT_EQ(decodeLines(bytes), allValid);
}

TEST(Cp936, EveryHanziOfTheCommonRegionsIsValid) {
    // The GB2312 hanzi rows and the first GBK extension hold nothing but ideographs.
    auto isHanzi = [](char16_t c) { return c >= 0x4E00 && c <= 0x9FA5; };
    for (int lead = 0xB0; lead <= 0xF7; ++lead) {
        for (int trail = 0xA1; trail <= 0xFE; ++trail) {
            if (!(lead == 0xD7 && trail >= 0xFA)) {
                EXPECT_TRUE(isHanzi(pairChar(lead, trail))) << std::hex << lead << ' ' << trail;
            }
        }
    }
    for (int lead = 0x81; lead <= 0xA0; ++lead) {
        for (int trail = 0x40; trail <= 0xFE; ++trail) {
            if (trail != 0x7F) {
                EXPECT_TRUE(isHanzi(pairChar(lead, trail))) << std::hex << lead << ' ' << trail;
            }
        }
    }
}

// Random byte strings weighted towards the troublesome bytes.
std::vector<std::string> randomTexts() {
    std::mt19937 rng(936);
    const std::string special = "\r\n\x80\x81\xa1\xb0\xfe\xff\x40\x7f";
    std::vector<std::string> texts;
    for (int n = 0; n < 3000; ++n) {
        std::string s(rng() % 24, '\0');
        for (char& b : s) {
            const unsigned r = rng() % 4;
            b = r == 0 ? special[rng() % special.size()]
                       : char(r == 1 ? 0x81 + rng() % 0x7E : 1 + rng() % 255);
        }
        texts.push_back(s);
    }
    return texts;
}

TEST(Cp936, RandomBytesRoundTrip) {
    for (const std::string& s : randomTexts()) {
        ASSERT_EQ(encode(decode(s)), s);
        ASSERT_EQ(encodeLines(decodeLines(s)), s);
    }
}

TEST(Cp936, ContinuingATextDecodesLikeTheWholeText) {
    for (const std::string& s : randomTexts()) {
        const QString whole = decodeLines(s);
        for (size_t cut = 0; cut <= s.size(); ++cut) {
            QString head = decodeLines(s.substr(0, cut));
            const char16_t last = head.isEmpty() ? 0 : head.back().unicode();
            const LinesContinuation more = decodeLinesAfter(last, s.substr(cut));
            if (more.replaceLast)
                head.chop(1);
            ASSERT_EQ(head + more.text, whole) << "cut " << cut << " of " << s;
        }
    }
}

TEST(Cp936, CharactersWithoutAFormBecomeQuestionMarks) {
    struct Case {
        std::u16string text;
        std::string bytes;
    };
    const Case cases[] = {
        {u"a\U0001F600b", "a?b"},  // one character, two code units
        {u"\xd800z", "?z"},        // lone high surrogate
        {u"\xdc00", "?"},          // would be a zero byte
        {u"\u0e01", "?"},          // no Thai in the code page
        {u"x\u00a0y", "x y"},      // pasted no-break space
        {u"\u2028", "?"},          // a break only in multi-line boxes
        {u"\xdc0d\xdc0a\xdcff", "\r\n\xff"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bytes);
        EXPECT_EQ(encode(QString::fromStdU16String(c.text)), c.bytes);
    }
}

TEST(Cp936, EveryBreakAWidgetHoldsIsCrLf) {
    const std::u16string breaks[] = {u"\n", u"\r\n", u"\r", u"\u2028", u"\u2029"};
    for (const std::u16string& b : breaks)
        EXPECT_EQ(encodeLines(QString::fromStdU16String(u"a" + b + u"b")), "a\r\nb");
    EXPECT_EQ(encodeLines(u"\n\n"), "\r\n\r\n");
}

TEST(Bytes, TextEndsAtFirstZero) {
    using namespace std::string_literals;
    EXPECT_EQ(untilZero(""s), "");
    EXPECT_EQ(untilZero("abc"s), "abc");
    EXPECT_EQ(untilZero("ab\0cd\0"s), "ab");
    EXPECT_EQ(untilZero("\0x"s), "");
    EXPECT_EQ(untilZero(std::string_view("\xd6\xd0\0z", 4)), "\xd6\xd0");
}

}  // namespace
}  // namespace tq::text
