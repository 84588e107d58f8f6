#pragma once
// Texts in and out of widgets, as code page 936 bytes, losslessly.
#include <string>
#include <string_view>

class QPlainTextEdit;
class QLineEdit;
class QLabel;

namespace tq::ui {

std::string boxText(const QPlainTextEdit* box);  // lines separated by CR LF
void setBoxText(QPlainTextEdit* box, std::string_view text);
void appendBoxText(QPlainTextEdit* box, std::string_view text);  // cost independent of the box size

std::string boxText(const QLineEdit* box);
void setBoxText(QLineEdit* box, std::string_view text);

void setLabelText(QLabel* label, std::string_view text);

}  // namespace tq::ui
