#include "ui/dialogs.h"

#include <QFileDialog>
#include <QFileSystemModel>
#include <QMessageBox>
#include <QPushButton>
#include <deque>

#include "text/cp936.h"

namespace tq::ui {

// "信息："
const char* const Dialogs::kNoticeTitle = "\xD0\xC5\xCF\xA2\xA3\xBA";
// "提示："
const char* const Dialogs::kQuestionTitle = "\xCC\xE1\xCA\xBE\xA3\xBA";

namespace {

// "确定"
constexpr char kOkCaption[] = "\xC8\xB7\xB6\xA8";
// "取消"
constexpr char kCancelCaption[] = "\xC8\xA1\xCF\xFB";
// "文本文件(*.txt)"
constexpr char kFilter[] = "\xCE\xC4\xB1\xBE\xCE\xC4\xBC\xFE(*.txt)";

// Only the window thread opens boxes, so the seam needs no lock.
struct Seam {
    std::deque<bool> answers;
    bool hasFileName = false;
    std::optional<QString> fileName;
    std::vector<std::string> answeredTexts;
};

Seam& seam() {
    static Seam s;
    return s;
}

std::optional<bool> takeAnswer(const std::string& text) {
    Seam& s = seam();
    if (s.answers.empty())
        return std::nullopt;
    bool answer = s.answers.front();
    s.answers.pop_front();
    s.answeredTexts.push_back(text);
    return answer;
}

// No owner window: the box blocks input to every window of the program while it is open, and
// the window thread keeps serving workers from inside its modal loop.
bool runBox(QMessageBox::Icon icon, const char* title, const std::string& text, bool withCancel) {
    QMessageBox box;
    box.setIcon(icon);
    box.setWindowTitle(text::decode(title));
    box.setText(text::decode(text));
    box.setTextFormat(Qt::PlainText);
    box.setWindowModality(Qt::ApplicationModal);
    QAbstractButton* ok = box.addButton(QMessageBox::Ok);
    ok->setText(text::decode(kOkCaption));
    box.setDefaultButton(QMessageBox::Ok);
    if (withCancel) {
        QAbstractButton* cancel = box.addButton(QMessageBox::Cancel);
        cancel->setText(text::decode(kCancelCaption));
        box.setEscapeButton(cancel);  // Esc and the close box answer no
    } else {
        box.setEscapeButton(ok);
    }
    box.exec();
    return box.clickedButton() == ok;
}

}  // namespace

void Dialogs::notice(const std::string& text) {
    if (takeAnswer(text))
        return;
    runBox(QMessageBox::NoIcon, kNoticeTitle, text, false);
}

bool Dialogs::question(const std::string& text) {
    if (std::optional<bool> answer = takeAnswer(text))
        return *answer;
    return runBox(QMessageBox::Question, kQuestionTitle, text, true);
}

void Dialogs::setNextAnswer(bool answer) {
    seam().answers.push_back(answer);
}

void Dialogs::setNextFileName(std::optional<QString> fileName) {
    seam().hasFileName = true;
    seam().fileName = std::move(fileName);
}

std::vector<std::string> Dialogs::takeAnsweredTexts() {
    return std::exchange(seam().answeredTexts, {});
}

void Dialogs::resetSeam() {
    seam() = Seam{};
}

OpenDialog::OpenDialog(QObject* parent) : QObject(parent) {}

QString OpenDialog::filterText() {
    return text::decode(kFilter);
}

std::optional<QString> OpenDialog::choose() {
    std::optional<QString> chosen;
    Seam& s = seam();
    if (s.hasFileName) {
        s.hasFileName = false;
        chosen = std::exchange(s.fileName, std::nullopt);
    } else {
        // Qt's own dialog rather than the desktop's, so the application style reaches it.
        QFileDialog dialog(qobject_cast<QWidget*>(parent()));
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        dialog.setWindowModality(Qt::ApplicationModal);
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
        dialog.setNameFilter(filterText());
        // The entry's text merely looks like a pattern: it brings none of its own, so every
        // file of the folder is listed.
        if (auto* model = dialog.findChild<QFileSystemModel*>())
            model->setNameFilters({});
        if (!fileName_.isEmpty())
            dialog.selectFile(fileName_);
        if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
            chosen = dialog.selectedFiles().constFirst();
    }
    if (chosen)
        fileName_ = *chosen;
    return chosen;
}

}  // namespace tq::ui
