#pragma once
// Binds the main window's buttons and timer to their commands and lets the check pass and the
// settings reach the window's fields.
#include <QObject>
#include <QString>
#include <memory>
#include <string>

#include "check/pass.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QWidget;

namespace tq::app {
class CheckTimer;
}

namespace tq::ui {

class OpenDialog;

class Controller : public QObject {
    Q_OBJECT
public:
    // Finds the window's controls by name and binds them; nothing when one is missing, with
    // its name in `missing`. `fetch` serves every check of the pass.
    static std::unique_ptr<Controller> bind(QWidget& window, check::FetchPage fetch,
                                            QString* missing = nullptr);
    ~Controller() override;

    // The window-created step: skin first, then the saved list and feature string.
    void windowCreated();

    // The commands, each run on the window thread.
    void countAddresses();
    void importAddresses();
    void clearAddresses();
    void copyAddresses();
    void saveSettings();
    void start();
    void stop();
    void clearResults();

    check::CheckPass& pass() { return *pass_; }
    check::WindowFields& fields();
    OpenDialog& openDialog() { return *openDialog_; }

private:
    struct Controls;
    class Fields;
    class SettingsAccess;

    Controller(QWidget& window, std::unique_ptr<Controls> controls, check::FetchPage fetch);
    void connectCommands();
    // The address box's text, kept until the box changes so that repeated reads of an
    // unchanged list hand out the same buffer.
    std::shared_ptr<const std::string> addressListNow();

    QWidget& window_;
    std::unique_ptr<Controls> c_;
    std::shared_ptr<const std::string> addressCache_;
    OpenDialog* openDialog_;
    std::unique_ptr<Fields> fields_;
    std::unique_ptr<SettingsAccess> settings_;
    std::unique_ptr<check::CheckPass> pass_;
};

}  // namespace tq::ui
