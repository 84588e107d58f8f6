// The link labels can open one address only, and nothing they open passes through a shell.
#include <gtest/gtest.h>

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include "check/texts.h"
#include "recordingbrowser.h"
#include "ui/linklabel.h"
#include "ui/mainwindow.h"
#include "ui/tabcontrol.h"

namespace {

using tq::ui::LinkLabel;
using tq::ui::MainWindow;

// Whatever a label's text comes to say, a press opens the publisher's page and nothing else.
TEST(LinkSafety, LabelsOpenOnlyThePublisherPageWhateverTheirText) {
    const QString schemes[] = {QStringLiteral("https"), QStringLiteral("http"),
                               QStringLiteral("file"), QStringLiteral("javascript")};
    tq::test::RecordingBrowser browser;
    for (const QString& scheme : schemes)
        QDesktopServices::setUrlHandler(scheme, &browser, "open");
    LinkLabel::setOpeners({{}, [](const QUrl&) { return false; }});

    MainWindow window;
    window.show();
    const QList<LinkLabel*> labels = window.findChildren<LinkLabel*>();
    ASSERT_FALSE(labels.isEmpty());
    for (LinkLabel* l : labels) {
        SCOPED_TRACE(l->objectName().toStdString());
        EXPECT_FALSE(l->openExternalLinks());
        EXPECT_EQ(l->textFormat(), Qt::PlainText) << "no markup, so no link of its own";
        window.tabs()->setCurrentIndex(window.tabs()->tabOf(l));
        l->setText(QStringLiteral("<a href=\"file:///etc/passwd\">x</a> http://other.example/"));
        browser.opened.clear();
        QTest::mouseClick(l, Qt::LeftButton, {}, l->rect().center());
        EXPECT_EQ(browser.opened, QList<QUrl>{QUrl(QString::fromLatin1(tq::check::kPublisherUrl))});
    }
    for (const QString& scheme : schemes)
        QDesktopServices::unsetUrlHandler(scheme);
    LinkLabel::setOpeners({});
}

#ifndef Q_OS_WIN
// The fallback starts the browser with the address as one argument: shell syntax in it stays
// text. A stand-in browser on PATH records what it was given.
TEST(LinkSafety, TheBrowserFallbackPassesTheAddressAsOneArgumentWithoutAShell) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString record = dir.filePath(QStringLiteral("args"));
    const QString marker = dir.filePath(QStringLiteral("PWNED"));
    QFile script(dir.filePath(QStringLiteral("xdg-open")));
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    script.write(QStringLiteral("#!/bin/sh\n"
                                "for a in \"$@\"; do printf '%s\\n' \"$a\"; done > '%1.part'\n"
                                "mv '%1.part' '%1'\n")
                     .arg(record)
                     .toUtf8());
    script.close();
    script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    const QByteArray oldPath = qgetenv("PATH");
    qputenv("PATH", (dir.path() + QStringLiteral(":/usr/bin:/bin")).toLocal8Bit());
    const QString oldCwd = QDir::currentPath();
    QDir::setCurrent(dir.path());
    const QUrl hostile(QStringLiteral("https://x.example/a;touch$IFS'PWNED'&b=$(touch PWNED)|c"));
    const bool started = tq::ui::startBrowser(hostile);
    const bool recorded = QTest::qWaitFor([&] { return QFile::exists(record); }, 10000);
    QDir::setCurrent(oldCwd);
    qputenv("PATH", oldPath);

    ASSERT_TRUE(started);
    ASSERT_TRUE(recorded);
    QFile got(record);
    ASSERT_TRUE(got.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(got.readAll()), hostile.toString(QUrl::FullyEncoded) + "\n");
    EXPECT_FALSE(QFile::exists(marker));
    EXPECT_FALSE(QFile::exists(QDir(oldCwd).filePath(QStringLiteral("PWNED"))));
}
#endif

}  // namespace
