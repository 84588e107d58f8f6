#pragma once
// Texts in and out of widgets, as code page 936 bytes, losslessly. Window code reads and writes
// the boxes and labels only through these, never through setText/toPlainText directly.
#include <string>
#include <string_view>

class QPlainTextEdit;
class QLineEdit;
class QLabel;

namespace tq::ui {

std::string boxText(const QPlainTextEdit* box);  // lines separated by CR LF
void setBoxText(QPlainTextEdit* box, std::string_view text);
// Appends at the end as a log does: the box then shows its old bytes followed by `text`, the
// user's caret and selection stay where they were, and the view follows the end only when it
// was showing the end. Cost independent of the box size.
void appendBoxText(QPlainTextEdit* box, std::string_view text);

std::string boxText(const QLineEdit* box);
void setBoxText(QLineEdit* box, std::string_view text);

// Labels show one line: CR, LF and other control bytes show as blanks, invalid bytes as U+FFFD;
// the exact bytes stay readable through labelText. The label is switched to plain text so that
// a text looking like markup is shown as it is.
void setLabelText(QLabel* label, std::string_view text);
std::string labelText(const QLabel* label);

}  // namespace tq::ui
