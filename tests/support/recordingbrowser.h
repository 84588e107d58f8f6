#pragma once
#include <QList>
#include <QObject>
#include <QUrl>

namespace tq::test {

// Stands in for the desktop's web browser: records the addresses it was asked to open.
// Registered with QDesktopServices::setUrlHandler(scheme, &browser, "open").
class RecordingBrowser : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl& url) { opened.append(url); }
};

}  // namespace tq::test
