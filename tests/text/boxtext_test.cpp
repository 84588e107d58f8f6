#include "ui/boxtext.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <random>

#include "nasty.h"
#include "text/cp936.h"

namespace tq::ui {
namespace {

using text::testing::nastyInputs;

// What the user sees in a multi-line box: its lines, as the document holds them.
QStringList visibleLines(const QPlainTextEdit& box) {
    QStringList lines;
    for (QTextBlock b = box.document()->begin(); b.isValid(); b = b.next())
        lines << b.text();
    return lines;
}

int countCrLf(const std::string& s) {
    int n = 0;
    for (size_t at = s.find("\r\n"); at != std::string::npos; at = s.find("\r\n", at + 2))
        ++n;
    return n;
}

TEST(BoxText, NastyInputsSurviveEveryWidget) {
    QPlainTextEdit box;
    QLineEdit line;
    QLabel label;
    for (const auto& [name, bytes] : nastyInputs()) {
        SCOPED_TRACE(name);
        setBoxText(&box, bytes);
        EXPECT_EQ(boxText(&box), bytes);
        // Only CR LF breaks a line; a lone CR or LF stays inside its line.
        EXPECT_EQ(box.document()->blockCount(), countCrLf(bytes) + 1);

        setBoxText(&line, bytes);
        EXPECT_EQ(boxText(&line), bytes);

        setLabelText(&label, bytes);
        EXPECT_EQ(labelText(&label), bytes);
        EXPECT_FALSE(label.text().contains(u'\n') || label.text().contains(u'\r'));
    }
}

TEST(BoxText, EveryValidCharacterSurvivesTheBoxes) {
    // All valid pairs and single bytes, 64 characters to a line.
    std::string bytes;
    int onLine = 0;
    auto add = [&](std::string ch) {
        bytes += ch;
        if (++onLine == 64) {
            bytes += "\r\n";
            onLine = 0;
        }
    };
    for (int b = 0x80; b <= 0xFF; ++b) {
        const std::string single(1, char(b));
        if (!text::isEscape(text::decode(single).at(0).unicode()))
            add(single);
    }
    for (int lead = 0x81; lead <= 0xFE; ++lead)
        for (int trail = 0x40; trail <= 0xFE; ++trail)
            if (text::pairChar(lead, trail) != 0)
                add({char(lead), char(trail)});

    QPlainTextEdit box;
    setBoxText(&box, bytes);
    EXPECT_EQ(boxText(&box), bytes);
    QLineEdit line;
    setBoxText(&line, bytes);
    EXPECT_EQ(boxText(&line), bytes);
}

TEST(BoxText, WhatTheUserTypesComesOutAsCodePageBytes) {
    QPlainTextEdit box;
    box.show();
    box.setFocus();
    QTest::keyClicks(&box, "ab");
    QTest::keyClick(&box, Qt::Key_Return);
    QTest::keyClicks(&box, "c");
    QTest::keyClick(&box, Qt::Key_Return, Qt::ShiftModifier);  // a line separator in the block
    QInputMethodEvent chinese;
    chinese.setCommitString(QStringLiteral(u"\u4e2d\u6587"));
    QApplication::sendEvent(&box, &chinese);
    QTest::keyClicks(&box, "\xc2\xa0");  // a pasted no-break space
    EXPECT_EQ(boxText(&box), "ab\r\nc\r\n\xd6\xd0\xce\xc4 ");

    QLineEdit line;
    line.show();
    QApplication::sendEvent(&line, &chinese);
    QTest::keyClicks(&line, "x");
    EXPECT_EQ(boxText(&line), "\xd6\xd0\xce\xc4x");
}

TEST(BoxText, LongLineSurvivesTheLineEditLimit) {
    std::string bytes;
    for (int n = 0; n < 40000; ++n)
        bytes += "\xd6\xd0";
    bytes += "\xb0";
    QLineEdit line;
    setBoxText(&line, bytes);
    EXPECT_EQ(boxText(&line), bytes);
}

TEST(BoxText, LabelShowsOneLineOfPlainText) {
    QLabel label;
    setLabelText(&label, "<b>a</b>\r\nb\rc\n\xd6\xd0\xb0");
    EXPECT_EQ(label.textFormat(), Qt::PlainText);
    EXPECT_EQ(label.text(), QStringLiteral(u"<b>a</b>  b c \u4e2d\ufffd"));
    EXPECT_EQ(labelText(&label), "<b>a</b>\r\nb\rc\n\xd6\xd0\xb0");
    // Text set past us is what the label holds from then on.
    label.setText(QStringLiteral(u"\u6587"));
    EXPECT_EQ(labelText(&label), "\xce\xc4");
}

TEST(AppendBoxText, ShowsTheOldTextFollowedByTheNewBytes) {
    struct Case {
        const char* name;
        std::string old;
        std::string more;
    };
    const Case cases[] = {
        {"empty box", "", "http://a.cn----\xcd\xe2\xc1\xb4\r\n"},
        {"box ending in CR LF", "one\r\n", "two\r\n"},
        {"box without final break", "one", "two\r\nthree"},
        {"lone CR then LF", "a\r", "\nb"},
        {"lone CR then CR LF", "a\r", "\r\nb"},
        {"lone CR then other", "a\r", "b"},
        {"LF then CR LF", "a\n", "\r\n"},
        {"lead byte then trail", "a\xb0", "\xa1z"},
        {"lead byte then ASCII trail", "a\xb0", "Az"},
        {"lead byte then LF", "a\xb0", "\nz"},
        {"lead then CR then LF", "\xb0\r", "\n\xb0"},
        {"complete pair then byte", "\xb0\xa1", "\xa1"},
        {"nothing appended", "x\r", ""},
        {"blank lines", "\r\n", "\r\n\r\n"},
    };
    QPlainTextEdit box;
    QPlainTextEdit expected;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        setBoxText(&box, c.old);
        appendBoxText(&box, c.more);
        EXPECT_EQ(boxText(&box), c.old + c.more);
        setBoxText(&expected, c.old + c.more);
        EXPECT_EQ(visibleLines(box), visibleLines(expected));
    }
}

TEST(AppendBoxText, PiecesAppendedOneByOneEqualTheirConcatenation) {
    std::mt19937 rng(17);
    const std::string alphabet = "\r\n\r\nab\x80\xb0\xa1\xd6\xd0\xff\x40";
    QPlainTextEdit box;
    QPlainTextEdit expected;
    for (int round = 0; round < 50; ++round) {
        std::string all;
        setBoxText(&box, "");
        for (int piece = 0; piece < 20; ++piece) {
            std::string s(rng() % 4, '\0');
            for (char& b : s)
                b = alphabet[rng() % alphabet.size()];
            appendBoxText(&box, s);
            all += s;
        }
        ASSERT_EQ(boxText(&box), all);
        setBoxText(&expected, all);
        ASSERT_EQ(visibleLines(box), visibleLines(expected));
    }
}

TEST(AppendBoxText, LeavesTheUsersSelectionAlone) {
    QPlainTextEdit box;

    // A selection in the middle, and one that reaches the end: neither moves nor grows.
    for (const auto& [anchor, position] : {std::pair{2, 8}, std::pair{3, 13}, std::pair{13, 6}}) {
        setBoxText(&box, "first\r\nsecond\r");
        QTextCursor c = box.textCursor();
        c.setPosition(anchor);
        c.setPosition(position, QTextCursor::KeepAnchor);
        box.setTextCursor(c);
        const QString selected = box.textCursor().selectedText();
        appendBoxText(&box, "x");
        EXPECT_EQ(box.textCursor().anchor(), anchor);
        EXPECT_EQ(box.textCursor().position(), position);
        EXPECT_EQ(box.textCursor().selectedText(), selected);
    }

    // A caret at the end follows the text as a log's does, also across a completed CR LF.
    setBoxText(&box, "a\r");
    box.moveCursor(QTextCursor::End);
    appendBoxText(&box, "\nb");
    EXPECT_TRUE(box.textCursor().atEnd());
    EXPECT_EQ(boxText(&box), "a\r\nb");
}

TEST(AppendBoxText, FollowsTheEndOnlyWhenTheViewWasThere) {
    QPlainTextEdit box;
    box.resize(300, 120);
    box.show();
    std::string lines;
    for (int n = 0; n < 200; ++n)
        lines += "line " + std::to_string(n) + "\r\n";
    setBoxText(&box, lines);
    QScrollBar* bar = box.verticalScrollBar();
    ASSERT_GT(bar->maximum(), 0);

    bar->setValue(bar->maximum());
    for (int n = 0; n < 50; ++n)
        appendBoxText(&box, "more\r\n");
    EXPECT_EQ(bar->value(), bar->maximum());

    bar->setValue(10);
    for (int n = 0; n < 50; ++n)
        appendBoxText(&box, "more\r\n");
    EXPECT_EQ(bar->value(), 10);
}

}  // namespace
}  // namespace tq::ui
