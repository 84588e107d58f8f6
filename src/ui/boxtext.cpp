#include "ui/boxtext.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextCursor>
#include <QTextDocument>
#include <QVariant>
#include <algorithm>
#include <limits>

#include "text/cp936.h"

namespace tq::ui {

namespace {

// Where a label keeps the bytes it was given; its display text is not reversible.
constexpr char kBytesProperty[] = "tqBytes";

QString shownInLabel(std::string_view bytes) {
    QString shown = text::decode(bytes);
    for (QChar& c : shown) {
        const char16_t u = c.unicode();
        if (u < 0x20 || u == 0x7F || u == 0x2028 || u == 0x2029)
            c = u' ';
        else if (c.isSurrogate())
            c = QChar::ReplacementCharacter;
    }
    return shown;
}

}  // namespace

std::string boxText(const QPlainTextEdit* box) {
    // toPlainText() would turn U+00A0 into a blank; the raw text keeps every character and
    // marks each line break with U+2029, which encodeLines writes as CR LF.
    return text::encodeLines(box->document()->toRawText());
}

void setBoxText(QPlainTextEdit* box, std::string_view t) {
    box->setPlainText(text::decodeLines(t));
}

void appendBoxText(QPlainTextEdit* box, std::string_view t) {
    if (t.empty())
        return;
    QTextDocument* doc = box->document();
    QScrollBar* vbar = box->verticalScrollBar();
    QScrollBar* hbar = box->horizontalScrollBar();
    const bool followEnd = vbar->value() >= vbar->maximum();
    const int vpos = vbar->value();
    const int hpos = hbar->value();

    // The box's own cursor is left alone; this one works at the end of the document.
    QTextCursor end(doc);
    end.movePosition(QTextCursor::End);
    const int oldEnd = end.position();
    const char16_t last = oldEnd > 0 ? doc->characterAt(oldEnd - 1).unicode() : 0;
    const text::LinesContinuation more = text::decodeLinesAfter(last, t);
    const int untouched =
        oldEnd - (more.replaceLast ? 1 : 0);  // characters before stay as they were

    const QTextCursor own = box->textCursor();
    const int anchor = own.anchor();
    const int position = own.position();

    end.beginEditBlock();
    if (more.replaceLast)
        end.deletePreviousChar();
    end.insertText(more.text);
    end.endEditBlock();

    // A caret at the very end follows the log as it grows; any other caret or selection keeps
    // its place (the document would stretch a selection that reaches the end).
    if (!(anchor == position && position == oldEnd)) {
        const int wantAnchor = std::min(anchor, untouched);
        const int wantPosition = std::min(position, untouched);
        QTextCursor now = box->textCursor();
        if (now.anchor() != wantAnchor || now.position() != wantPosition) {
            now.setPosition(wantAnchor);
            now.setPosition(wantPosition, QTextCursor::KeepAnchor);
            box->setTextCursor(now);
        }
    }

    hbar->setValue(hpos);
    vbar->setValue(followEnd ? vbar->maximum() : vpos);
}

std::string boxText(const QLineEdit* box) {
    return text::encode(box->text());
}

void setBoxText(QLineEdit* box, std::string_view t) {
    QString s = text::decode(t);
    // The default limit would silently cut a long text.
    if (s.size() > box->maxLength())
        box->setMaxLength(int(std::min<qsizetype>(s.size(), std::numeric_limits<int>::max())));
    box->setText(s);
}

void setLabelText(QLabel* label, std::string_view t) {
    label->setProperty(kBytesProperty, QByteArray(t.data(), qsizetype(t.size())));
    label->setTextFormat(Qt::PlainText);
    label->setText(shownInLabel(t));
}

std::string labelText(const QLabel* label) {
    const QVariant stored = label->property(kBytesProperty);
    if (stored.isValid()) {
        const QByteArray b = stored.toByteArray();
        std::string bytes(b.constData(), size_t(b.size()));
        // Bytes left over from before someone called setText directly are not the label's.
        if (shownInLabel(bytes) == label->text())
            return bytes;
    }
    return text::encode(label->text());
}

}  // namespace tq::ui
