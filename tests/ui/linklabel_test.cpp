#include <gtest/gtest.h>

#include <QCursor>
#include <QDesktopServices>
#include <QTest>
#include <QUrl>
#include <memory>

#include "check/texts.h"
#include "recordingbrowser.h"
#include "ui/linklabel.h"
#include "ui/mainwindow.h"
#include "ui/tabcontrol.h"

namespace {

using tq::ui::LinkLabel;
using tq::ui::MainWindow;

struct Fixture {
    std::unique_ptr<MainWindow> window = std::make_unique<MainWindow>();
    tq::test::RecordingBrowser browser;
    Fixture() {
        QDesktopServices::setUrlHandler(QStringLiteral("https"), &browser, "open");
        QCursor::setPos(window->frameGeometry().bottomRight() + QPoint(50, 50));  // off the window
        window->show();
        window->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }
    ~Fixture() {
        QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
        LinkLabel::setOpeners({});
    }
    LinkLabel* label(const char16_t* name) {
        auto* l = window->findChild<LinkLabel*>(QString::fromUtf16(name));
        EXPECT_NE(l, nullptr);
        moveAway();  // so that the label does not appear under the pointer
        window->tabs()->setCurrentIndex(window->tabs()->tabOf(l));
        return l;
    }
    // A point of the window that lies on no link label.
    void moveAway() { QTest::mouseMove(window.get(), QPoint(400, 300)); }
};

QColor colourOf(const QLabel* l) {
    return l->palette().color(QPalette::WindowText);
}

TEST(LinkLabel, HoverAndVisitedColoursAndThePressOpensThePublisherPage) {
    for (const char16_t* name : {u"超级链接框1", u"超级链接框2", u"超级链接框4"}) {
        SCOPED_TRACE(QString::fromUtf16(name).toStdString());
        Fixture f;
        LinkLabel* l = f.label(name);
        const QPoint inside = l->rect().center();
        f.moveAway();
        EXPECT_EQ(colourOf(l), QColor(255, 0, 0));

        QTest::mouseMove(l, inside);
        EXPECT_EQ(colourOf(l), QColor(10, 36, 106)) << "hover";
        f.moveAway();
        EXPECT_EQ(colourOf(l), QColor(255, 0, 0)) << "back to normal on leaving";

        QTest::mouseMove(l, inside);
        QTest::mousePress(l, Qt::LeftButton, {}, inside);
        ASSERT_EQ(f.browser.opened.size(), 1) << "the press opens, not the release";
        EXPECT_EQ(f.browser.opened[0], QUrl(QString::fromLatin1(tq::check::kPublisherUrl)));
        EXPECT_TRUE(l->visited());
        EXPECT_EQ(colourOf(l), QColor(10, 36, 106)) << "hover wins over visited";
        QTest::mouseRelease(l, Qt::LeftButton, {}, inside);
        EXPECT_EQ(f.browser.opened.size(), 1);

        f.moveAway();
        EXPECT_EQ(colourOf(l), QColor(128, 0, 0)) << "visited";
        QTest::mouseMove(l, inside);
        EXPECT_EQ(colourOf(l), QColor(10, 36, 106)) << "a visited label still shows hover";
        EXPECT_FALSE(l->hasFocus()) << "never takes the focus";

        // The other labels keep their own state.
        for (LinkLabel* other : f.window->findChildren<LinkLabel*>()) {
            if (other != l) {
                EXPECT_FALSE(other->visited()) << other->objectName().toStdString();
            }
        }
    }
}

TEST(LinkLabel, FallsBackOnTheBrowserAndIsVisitedOnlyWhenSomethingOpened) {
    struct Case {
        bool desktopOpens;
        bool browserOpens;
        bool visited;
        int browserCalls;
    };
    const Case cases[] = {
        {true, true, true, 0},     // the desktop handler suffices
        {false, true, true, 1},    // the browser is started directly
        {false, false, false, 1},  // nothing opened: silent, colour kept
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.desktopOpens << c.browserOpens);
        Fixture f;
        int browserCalls = 0;
        QUrl browserUrl;
        LinkLabel::setOpeners({[&](const QUrl&) { return c.desktopOpens; },
                               [&](const QUrl& url) {
                                   ++browserCalls;
                                   browserUrl = url;
                                   return c.browserOpens;
                               }});
        LinkLabel* l = f.label(u"超级链接框4");
        QTest::mouseClick(l, Qt::RightButton, {}, l->rect().center());
        EXPECT_FALSE(l->visited()) << "only the left button opens";
        QTest::mouseClick(l, Qt::LeftButton, {}, l->rect().center());
        f.moveAway();
        EXPECT_EQ(l->visited(), c.visited);
        EXPECT_EQ(browserCalls, c.browserCalls);
        if (browserCalls > 0) {
            EXPECT_EQ(browserUrl, QUrl(QString::fromLatin1(tq::check::kPublisherUrl)));
        }
        EXPECT_EQ(colourOf(l), c.visited ? QColor(128, 0, 0) : QColor(255, 0, 0));
    }
}

}  // namespace
