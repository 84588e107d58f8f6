#include "ui/linklabel.h"

#include <QDesktopServices>
#include <QEnterEvent>
#include <QMouseEvent>
#include <QProcess>
#include <QStandardPaths>

#ifdef Q_OS_WIN
#include <QSettings>
#endif

#include "ui/fonts.h"

namespace tq::ui {

namespace {

LinkLabel::Openers& openers() {
    static LinkLabel::Openers current = LinkLabel::defaultOpeners();
    return current;
}

#ifdef Q_OS_WIN
// The command line registered for opening ".htm" files, cut before its "%1" placeholder (and
// before the quote that opens it), or empty.
QString htmOpenCommand() {
    QSettings classes(QStringLiteral("HKEY_CLASSES_ROOT"), QSettings::NativeFormat);
    const QString progId = classes.value(QStringLiteral(".htm/.")).toString();
    if (progId.isEmpty()) {
        return {};
    }
    QString command = classes.value(progId + QStringLiteral("/shell/open/command/.")).toString();
    const qsizetype placeholder = command.indexOf(QStringLiteral("%1"));
    if (placeholder >= 0) {
        qsizetype cut = placeholder;
        if (cut > 0 && command.at(cut - 1) == QLatin1Char('"')) {
            --cut;
        }
        command.truncate(cut);
    }
    return command.trimmed();
}
#endif

}  // namespace

LinkLabel::LinkLabel(const QUrl& url, QWidget* parent) : QLabel(parent), url_(url) {
    setTextFormat(Qt::PlainText);
    setAlignment(Qt::AlignCenter);
    setWordWrap(false);
    setFont(songTi(12, QFont::Bold));
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_Hover);
    updateColour();
}

LinkLabel::Openers LinkLabel::defaultOpeners() {
    return {[](const QUrl& url) { return QDesktopServices::openUrl(url); }, startBrowser};
}

void LinkLabel::setOpeners(Openers replacement) {
    Openers defaults = defaultOpeners();
    openers().desktop = replacement.desktop ? std::move(replacement.desktop) : defaults.desktop;
    openers().browser = replacement.browser ? std::move(replacement.browser) : defaults.browser;
}

void LinkLabel::enterEvent(QEnterEvent* event) {
    hovered_ = true;
    updateColour();
    QLabel::enterEvent(event);
}

void LinkLabel::leaveEvent(QEvent* event) {
    hovered_ = false;
    updateColour();
    QLabel::leaveEvent(event);
}

void LinkLabel::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QLabel::mousePressEvent(event);
        return;
    }
    event->accept();
    // Copies: an opener may replace the openers (or run a nested loop) while it works.
    const Openers use = openers();
    if (use.desktop(url_) || use.browser(url_)) {
        visited_ = true;
        updateColour();
    }
}

void LinkLabel::updateColour() {
    QPalette p = palette();
    p.setColor(QPalette::WindowText, hovered_ ? kHover : visited_ ? kVisited : kNormal);
    setPalette(p);
}

bool startBrowser(const QUrl& url) {
    const QString address = url.toString(QUrl::FullyEncoded);
#ifdef Q_OS_WIN
    const QString command = htmOpenCommand();
    if (command.isEmpty()) {
        return false;
    }
    QStringList parts = QProcess::splitCommand(command);
    if (parts.isEmpty()) {
        return false;
    }
    const QString program = parts.takeFirst();
    parts.append(address);
    return QProcess::startDetached(program, parts);
#else
    for (const char* name : {"xdg-open", "sensible-browser", "x-www-browser"}) {
        const QString program = QStandardPaths::findExecutable(QString::fromLatin1(name));
        if (!program.isEmpty() && QProcess::startDetached(program, {address})) {
            return true;
        }
    }
    return false;
#endif
}

}  // namespace tq::ui
