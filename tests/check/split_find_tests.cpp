#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "check/find.h"
#include "check/split.h"
#include "referencefind.h"

namespace tq::check {
namespace {

using namespace std::string_literals;

struct SplitCase {
    const char* name;
    std::string text;
    std::vector<std::string> members;
};

TEST(SplitAddressList, Rules) {
    const SplitCase cases[] = {
        {"empty text has no members", "", {}},
        {"one line", "a", {"a"}},
        {"last line without CR LF", "a\r\nb", {"a", "b"}},
        {"last line with CR LF", "a\r\nb\r\n", {"a", "b"}},
        {"blank line in the middle", "a\r\n\r\nb", {"a", "", "b"}},
        {"one CR LF alone", "\r\n", {""}},
        {"two CR LF alone", "\r\n\r\n", {"", ""}},
        {"lone CR and LF stay in the member", "a\rb\nc\n\r\r\nd", {"a\rb\nc\n\r", "d"}},
        {"no trimming", "  a \t\r\n b ", {"  a \t", " b "}},
        {"CR LF right after a lead byte is its second byte and the next",
         "\xC4\r\nx",
         {"\xC4\r\nx"}},
        {"trail byte 0x0D is no cut, the LF after it does not pair",
         "a\xC4\r\nb\r\nc",
         {"a\xC4\r\nb", "c"}},
        {"CR LF after a whole double-byte character cuts", "\xC4\xE3\r\nb", {"\xC4\xE3", "b"}},
        {"lead byte at the very end stays", "a\r\n\xC4", {"a", "\xC4"}},
        {"zero bytes are ordinary bytes", "a\0b\r\nc"s, {"a\0b"s, "c"}},
    };
    for (const auto& c : cases) {
        const auto got = splitAddressList(c.text);
        EXPECT_EQ(std::vector<std::string>(got.begin(), got.end()), c.members) << c.name;
    }
}

TEST(SplitAddressList, NoLimitOnMembers) {
    std::string text;
    for (int i = 0; i < 100000; ++i)
        text += std::to_string(i) + "\r\n";
    const auto got = splitAddressList(text);
    ASSERT_EQ(got.size(), 100000u);
    EXPECT_EQ(got.back(), "99999");
}

TEST(PageText, CutsAtFirstZero) {
    EXPECT_EQ(pageText(""), "");
    EXPECT_EQ(pageText("abc"), "abc");
    EXPECT_EQ(pageText("ab\0cd\0"s), "ab");
    EXPECT_EQ(pageText("\0abc"s), "");
    std::string page(100, 'x');
    page += "\0feature"s;
    EXPECT_EQ(pageText(page).size(), 100u);
}

struct FindCase {
    const char* name;
    std::string page;
    std::string feature;
    std::int32_t position;
};

TEST(FindText, Cases) {
    const FindCase cases[] = {
        {"empty feature in a page", "x", "", 1},
        {"empty feature in an empty page", "", "", -1},
        {"feature at the start", "abcdef", "abc", 1},
        {"feature at the end", "xxabc", "abc", 3},
        {"whole page", "abc", "abc", 1},
        {"longer than the page", "ab", "abc", -1},
        {"case is significant", "abc abc", "ABC", -1},
        {"first of two matches", "..ab..ab", "ab", 3},
        {"second byte of a character is never a start", "\xC4\x61\x62", "ab", -1},
        {"byte after a character is a start", "\xC4\x61\x62", "b", 3},
        {"double-byte feature", "x\xC4\xE3\xBA\xC3", "\xBA\xC3", 4},
        {"double-byte feature misaligned", "\xC4\xE3\xBA\xC3", "\xE3\xBA", -1},
        {"UTF-8 colon swallows the next byte",
         "key\xEF\xBC\x9A"
         "abc",
         "abc", -1},
        {"UTF-8 colon then a blank", "key\xEF\xBC\x9A abc", "abc", 8},
        {"lead byte at the end", "ab\xC4", "\xC5", -1},
        {"lead byte at the end is its own match", "ab\xC4", "\xC4", 3},
        {"lead byte before the last byte", "a\xC4z", "z", -1},
        {"GBK feature against UTF-8 page", "\xE4\xBD\xA0\xE5\xA5\xBD", "\xC4\xE3\xBA\xC3", -1},
        {"near misses before a match", "aaaaaaaab", "aab", 7},
        {"match after a long ASCII run", std::string(1000, 'x') + "needle", "needle", 1001},
        {"lead byte hidden in a long ASCII run shifts the steps",
         std::string(40, 'x') +
             "\xC4"
             "n" +
             std::string(40, 'x') + "n",
         "n", 83},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(findText(c.page, c.feature), c.position) << c.name;
    }
}

TEST(FindText, AgreesWithPlainSteppingScan) {
    std::mt19937 random(12345);
    // A small alphabet makes matches, near misses and misaligned matches common.
    const unsigned char alphabet[] = {'a', 'b', 'c', 0x80, 0xC4, 0xE3, 0xFF};
    auto pick = [&](std::size_t length, unsigned asciiPercent) {
        std::string s;
        for (std::size_t j = 0; j < length; ++j) {
            const bool ascii = random() % 100 < asciiPercent;
            s += static_cast<char>(ascii ? alphabet[random() % 3] : alphabet[3 + random() % 4]);
        }
        return s;
    };
    for (int round = 0; round < 20000; ++round) {
        const unsigned asciiPercent = std::vector<unsigned>{100, 95, 50, 0}[round % 4];
        // Long enough, often, to cross several 64-byte blocks.
        const std::string page = pick(random() % 300, asciiPercent);
        std::string feature;
        if (!page.empty() && random() % 2 == 0) {
            // Often a piece of the page itself, at any offset (aligned or not).
            const std::size_t from = random() % page.size();
            feature = page.substr(from, 1 + random() % 70);
        } else {
            feature = pick(random() % 6, asciiPercent);
        }
        ASSERT_EQ(findText(page, feature), test::referenceFind(page, feature))
            << "page " << testing::PrintToString(page) << " feature "
            << testing::PrintToString(feature);
    }
}

}  // namespace
}  // namespace tq::check
