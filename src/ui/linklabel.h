#pragma once
// A caption that opens one web address when pressed, drawn red, dark blue under the mouse and
// dark red once it has opened its address.
#include <QColor>
#include <QLabel>
#include <QUrl>
#include <functional>

namespace tq::ui {

class LinkLabel : public QLabel {
    Q_OBJECT
public:
    static inline const QColor kNormal{255, 0, 0};
    static inline const QColor kHover{10, 36, 106};
    static inline const QColor kVisited{128, 0, 0};

    LinkLabel(const QUrl& url, QWidget* parent);

    bool visited() const { return visited_; }
    bool hovered() const { return hovered_; }
    QUrl url() const { return url_; }

    // The two ways a label tries to open its address, in order; each returns true when the
    // system took the request. Tests replace them so no browser is started.
    struct Openers {
        std::function<bool(const QUrl&)> desktop;  // the desktop's own handler for the scheme
        std::function<bool(const QUrl&)> browser;  // the user's web browser, found directly
    };
    static Openers defaultOpeners();
    static void setOpeners(Openers openers);  // empty members fall back to the defaults

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void updateColour();

    QUrl url_;
    bool hovered_ = false;
    bool visited_ = false;
};

// Starts the user's web browser on `url` without the desktop's URL handler: the command
// registered for web pages on Windows, xdg-open or the Debian browser alternatives elsewhere.
// The address is passed as one argument, never through a shell.
bool startBrowser(const QUrl& url);

}  // namespace tq::ui
