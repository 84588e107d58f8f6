#include "ui/boxtext.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>

#include "text/cp936.h"

namespace tq::ui {

std::string boxText(const QPlainTextEdit* box) { return text::encodeLines(box->toPlainText()); }
void setBoxText(QPlainTextEdit* box, std::string_view t) { box->setPlainText(text::decodeLines(t)); }
void appendBoxText(QPlainTextEdit* box, std::string_view t) {
    setBoxText(box, boxText(box) + std::string(t));
}
std::string boxText(const QLineEdit* box) { return text::encode(box->text()); }
void setBoxText(QLineEdit* box, std::string_view t) { box->setText(text::decode(t)); }
void setLabelText(QLabel* label, std::string_view t) { label->setText(text::decode(t)); }

}  // namespace tq::ui
