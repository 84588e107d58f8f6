#pragma once
// Every message box and the open dialog go through here, so tests can answer them.
#include <QObject>
#include <QString>
#include <optional>
#include <string>
#include <vector>

class QWidget;

namespace tq::ui {

class Dialogs {
public:
    // Notice: title "信息：", no icon, an OK button. Modal for the program's windows, no owner.
    static void notice(const std::string& text);
    // Question: title "提示：", OK and Cancel, question-mark icon; true for OK, false for
    // Cancel, Esc or the close box.
    static bool question(const std::string& text);

    // Test seam. An answer set here is taken by the next notice or question instead of showing
    // it (a notice ignores the value); each call takes one. Without a queued answer the real
    // modal box runs.
    static void setNextAnswer(bool answer);
    // The next open dialog returns this instead of showing; nothing means "cancelled".
    static void setNextFileName(std::optional<QString> fileName);
    // Texts of the boxes answered through the seam, oldest first; the call empties the record.
    static std::vector<std::string> takeAnsweredTexts();
    // Drops queued answers, a queued file name and the record.
    static void resetSeam();

    // Shared by the real boxes: the box kinds' window titles, as code page 936 bytes.
    static const char* const kNoticeTitle;
    static const char* const kQuestionTitle;
};

// The open dialog: keeps the full path chosen at the last successful import and offers it as
// the initial file name next time. Lives as a child of the main window.
class OpenDialog : public QObject {
    Q_OBJECT
public:
    explicit OpenDialog(QObject* parent = nullptr);

    // Shows the dialog modally (or takes the seam's file name); the full path, or nothing
    // when the user cancelled.
    std::optional<QString> choose();
    // The path the next dialog offers; empty before the first successful choice.
    const QString& fileName() const { return fileName_; }

    // "文本文件(*.txt)" as the one file-type entry.
    static QString filterText();

private:
    QString fileName_;
};

}  // namespace tq::ui
