#pragma once
// Every message box and the open dialog go through here, so tests can answer them.
#include <QString>
#include <optional>
#include <string>

namespace tq::ui {

class Dialogs {
public:
    // Notice: title "信息：", no icon, an OK button. Modal for the program's windows.
    static void notice(const std::string& text);
    // Question: title "提示：", OK and Cancel, question-mark icon; true for OK.
    static bool question(const std::string& text);
    // Open dialog for one existing file; the full path, or nothing on cancel.
    static std::optional<QString> openFile(const QString& initialFile);
};

}  // namespace tq::ui
