#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStringEncoder>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>
#include <QWindow>
#include <memory>
#include <optional>

#include "app/timer.h"
#include "ui/boxtext.h"
#include "ui/fonts.h"
#include "ui/linklabel.h"
#include "ui/mainwindow.h"
#include "ui/skin/olivestyle.h"
#include "ui/tabcontrol.h"

namespace {

using tq::ui::MainWindow;

// Code page 936 bytes of a UTF-8 literal, made by Qt's own GBK table rather than by the
// program's codec, so a codec fault cannot hide a wrong start text.
std::string gbk(const QString& text) {
    QStringEncoder encoder("GBK");
    const QByteArray bytes = encoder(text);
    return std::string(bytes.constData(), size_t(bytes.size()));
}

// What a label shows once the program has written `text` into it.
QString labelShows(const QString& text) {
    QLabel reference;
    tq::ui::setLabelText(&reference, gbk(text));
    return reference.text();
}

template <typename T>
T* control(const QWidget& window, const QString& name) {
    T* found = window.findChild<T*>(name);
    EXPECT_NE(found, nullptr) << name.toStdString();
    return found;
}

struct ShownWindow {
    std::unique_ptr<MainWindow> window = std::make_unique<MainWindow>();
    ShownWindow() {
        window->show();
        window->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }
    void switchByClick(int tab) {
        QTabBar* headers = window->tabs()->headers();
        QTest::mouseClick(headers, Qt::LeftButton, {}, headers->tabRect(tab).center());
    }
    template <typename T = QWidget>
    T* get(const char16_t* name) {
        return control<T>(*window, QString::fromUtf16(name));
    }
};

enum class Kind { Link, Label, MultiLine, SingleLine, Button, CheckBox };

struct ControlCase {
    const char16_t* name;
    Kind kind;
    int tab;
    QRect tabRect;  // in the tab control's coordinates, header strip included
    const char16_t* text;
    QColor foreground;  // invalid: the system's colour
    QColor background;  // invalid: the system's colour
    int fontPixels;     // 0: the default font
    int fontWeight;
};

const QColor kNone;
const QColor kBlack(0, 0, 0), kRed(255, 0, 0), kGreen(0, 224, 128), kBlue(0, 136, 255);
const QColor kBox(215, 240, 255), kWhite(255, 255, 255);
constexpr int A = MainWindow::AddressTab, C = MainWindow::CheckTab, U = MainWindow::UsageTab;
constexpr const char16_t* kMore = u"→→→查看更多SEO优化小工具";

const ControlCase kControls[] = {
    {u"超级链接框2", Kind::Link, A, {249, 5, 200, 16}, kMore, kRed, kNone, 12, 700},
    {u"透明标签4", Kind::Label, A, {10, 29, 102, 13}, u"被监控的地址：", kBlack, kNone, 0, 0},
    {u"编辑框1", Kind::MultiLine, A, {9, 41, 810, 449}, u"", kBlack, kBox, 0, 0},
    {u"透明标签1", Kind::Label, A, {13, 492, 59, 16}, u"地址个数：", kBlack, kNone, 0, 0},
    {u"透明标签2", Kind::Label, A, {77, 492, 83, 16}, u"", kRed, kNone, 0, 0},
    {u"按钮_统计地址个数", Kind::Button, A, {9, 510, 88, 24}, u"统计地址个数", kNone, kNone, 0, 0},
    {u"按钮_统计地址个数1", Kind::Button, A, {112, 510, 88, 24}, u"导入地址", kNone, kNone, 0, 0},
    {u"按钮_统计地址个数2", Kind::Button, A, {216, 510, 88, 24}, u"清空地址", kNone, kNone, 0, 0},
    {u"按钮_统计地址个数3", Kind::Button, A, {326, 510, 88, 24}, u"复制地址", kNone, kNone, 0, 0},
    {u"按钮_保存配置", Kind::Button, A, {432, 510, 88, 24}, u"保存配置", kNone, kNone, 0, 0},
    {u"超级链接框1", Kind::Link, C, {249, 5, 200, 16}, kMore, kRed, kNone, 12, 700},
    {u"按钮1", Kind::Button, C, {452, 36, 80, 24}, u"开始检测", kNone, kNone, 0, 0},
    {u"按钮2", Kind::Button, C, {535, 36, 80, 24}, u"停止检测", kNone, kNone, 0, 0},
    {u"按钮3", Kind::Button, C, {618, 36, 80, 24}, u"清空结果", kNone, kNone, 0, 0},
    {u"按钮4", Kind::Button, C, {704, 36, 80, 24}, u"保存配置", kNone, kNone, 0, 0},
    {u"编辑框2", Kind::SingleLine, C, {83, 38, 357, 24}, u"", kBlack, kBox, 0, 0},
    {u"透明标签3", Kind::Label, C, {7, 40, 72, 20}, u"特征字符串：", kBlack, kNone, 0, 0},
    {u"选择框1", Kind::CheckBox, C, {456, 61, 121, 24}, u"只列出掉了的链接", kBlack, kWhite, 0, 0},
    {u"透明标签6", Kind::Label, C, {7, 76, 61, 20}, u"检测状态：", kBlack, kNone, 0, 0},
    {u"透明标签7", Kind::Label, C, {79, 76, 552, 20}, u"未检测...", kRed, kNone, 0, 0},
    {u"透明标签5", Kind::Label, C, {7, 107, 100, 13}, u"检测结果：", kBlack, kNone, 0, 0},
    {u"透明标签8", Kind::Label, C, {77, 107, 291, 13}, u"\r\n", kGreen, kNone, 0, 0},
    {u"编辑框_检测结果", Kind::MultiLine, C, {9, 122, 810, 411}, u"", kBlack, kBox, 0, 0},
    {u"超级链接框4", Kind::Link, U, {249, 5, 200, 16}, kMore, kRed, kNone, 12, 700},
    // The usage text is checked on its own below.
    {u"透明标签9", Kind::Label, U, {72, 82, 672, 224}, nullptr, kBlue, kNone, 20, 400},
};

TEST(MainWindow, EveryControlHasItsNameKindPlaceTextColourAndFont) {
    MainWindow window;
    ASSERT_TRUE(window.isHidden()) << "the window is built hidden";
    const QWidget* tabs = window.tabs();
    ASSERT_EQ(tabs->objectName(), QStringLiteral(u"高级选择夹1"));

    for (const ControlCase& c : kControls) {
        const QString name = QString::fromUtf16(c.name);
        SCOPED_TRACE(name.toStdString());
        QWidget* w = window.findChild<QWidget*>(name);
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(w->parentWidget(), tabs);
        EXPECT_EQ(window.tabs()->tabOf(w), c.tab);
        EXPECT_EQ(w->isVisibleTo(&window), c.tab == U) << "only the usage tab is shown at start";
        EXPECT_TRUE(w->isEnabled());
        // Client coordinates are the tab control's, two pixels higher.
        EXPECT_EQ(QRect(w->mapTo(&window, QPoint(0, 0)), w->size()), c.tabRect.translated(0, -2));

        const QPalette p = w->palette();
        switch (c.kind) {
            case Kind::Link:
                ASSERT_TRUE(qobject_cast<tq::ui::LinkLabel*>(w));
                [[fallthrough]];
            case Kind::Label: {
                auto* l = qobject_cast<QLabel*>(w);
                ASSERT_NE(l, nullptr);
                if (c.text) {
                    EXPECT_EQ(l->text(), labelShows(QString::fromUtf16(c.text)));
                }
                EXPECT_EQ(l->textFormat(), Qt::PlainText) << "a page address is never markup";
                EXPECT_FALSE(l->autoFillBackground()) << "labels are transparent";
                EXPECT_EQ(l->focusPolicy(), Qt::NoFocus);
                EXPECT_EQ(l->wordWrap(), name == u"透明标签9");
                if (c.kind == Kind::Link) {
                    EXPECT_EQ(l->alignment(), Qt::AlignCenter);
                    EXPECT_EQ(l->cursor().shape(), Qt::PointingHandCursor);
                } else if (name == u"透明标签9") {
                    EXPECT_EQ(l->alignment(), Qt::AlignLeft | Qt::AlignTop);
                } else {
                    EXPECT_EQ(l->alignment(), Qt::AlignLeft | Qt::AlignVCenter);
                }
                EXPECT_EQ(p.color(QPalette::WindowText), c.foreground);
                break;
            }
            case Kind::MultiLine: {
                auto* box = qobject_cast<QPlainTextEdit*>(w);
                ASSERT_NE(box, nullptr);
                EXPECT_TRUE(box->toPlainText().isEmpty());
                EXPECT_FALSE(box->textCursor().hasSelection());
                EXPECT_EQ(box->lineWrapMode(), QPlainTextEdit::WidgetWidth);
                EXPECT_EQ(box->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
                EXPECT_EQ(box->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
                EXPECT_FALSE(box->isReadOnly());
                EXPECT_EQ(box->frameWidth(), 1);
                EXPECT_EQ(box->maximumBlockCount(), 0) << "no length limit";
                break;
            }
            case Kind::SingleLine: {
                auto* box = qobject_cast<QLineEdit*>(w);
                ASSERT_NE(box, nullptr);
                EXPECT_TRUE(box->text().isEmpty());
                EXPECT_FALSE(box->isReadOnly());
                EXPECT_EQ(box->echoMode(), QLineEdit::Normal);
                EXPECT_EQ(box->maxLength(), std::numeric_limits<int>::max()) << "no length limit";
                EXPECT_TRUE(box->hasFrame());
                break;
            }
            case Kind::Button: {
                auto* b = qobject_cast<QPushButton*>(w);
                ASSERT_NE(b, nullptr);
                EXPECT_EQ(b->text(), QString::fromUtf16(c.text));
                EXPECT_FALSE(b->isDefault());
                EXPECT_FALSE(b->autoDefault());
                EXPECT_TRUE(b->icon().isNull());
                break;
            }
            case Kind::CheckBox: {
                auto* b = qobject_cast<QCheckBox*>(w);
                ASSERT_NE(b, nullptr);
                EXPECT_EQ(b->text(), QString::fromUtf16(c.text));
                EXPECT_FALSE(b->isChecked());
                EXPECT_FALSE(b->isTristate());
                EXPECT_TRUE(b->autoFillBackground()) << "white fills the whole rectangle";
                EXPECT_EQ(p.color(QPalette::WindowText), c.foreground);
                EXPECT_EQ(p.color(QPalette::Window), c.background);
                break;
            }
        }
        if (c.kind == Kind::MultiLine || c.kind == Kind::SingleLine) {
            EXPECT_EQ(p.color(QPalette::Text), c.foreground);
            EXPECT_EQ(p.color(QPalette::Base), c.background);
            // The selection is drawn in the box's own colours while it lacks the focus.
            EXPECT_EQ(p.color(QPalette::Inactive, QPalette::Highlight), c.background);
            EXPECT_EQ(p.color(QPalette::Inactive, QPalette::HighlightedText), c.foreground);
        }
        const bool tabStop = c.kind != Kind::Label && c.kind != Kind::Link;
        EXPECT_EQ(bool(w->focusPolicy() & Qt::TabFocus), tabStop);

        if (c.fontPixels == 0) {
            EXPECT_EQ(w->font(), QApplication::font(w)) << "default font";
        } else {
            EXPECT_EQ(w->font().family(), tq::ui::songTiFamily());
            EXPECT_EQ(w->font().pixelSize(), c.fontPixels);
            EXPECT_EQ(w->font().weight(), c.fontWeight);
        }
    }

    auto* timer = window.findChild<tq::app::CheckTimer*>(QStringLiteral(u"时钟1"));
    ASSERT_NE(timer, nullptr);
    EXPECT_EQ(timer->parent(), &window);
    EXPECT_EQ(timer->period(), 0);
}

TEST(MainWindow, EditBoxesAreNamedAfterTheirLabels) {
    MainWindow window;
    const std::pair<const char16_t*, const char16_t*> cases[] = {
        {u"编辑框1", u"被监控的地址"},
        {u"编辑框2", u"特征字符串"},
        {u"编辑框_检测结果", u"检测结果"},
    };
    for (const auto& [name, accessible] : cases) {
        EXPECT_EQ(control<QWidget>(window, QString::fromUtf16(name))->accessibleName(),
                  QString::fromUtf16(accessible));
    }
}

TEST(MainWindow, UsageTextIsTheOpeningSentenceAndThreeParagraphs) {
    MainWindow window;
    const QString shown = control<QLabel>(window, QStringLiteral(u"透明标签9"))->text();
    const QStringList parts = shown.split(QStringLiteral("\n\n"));
    ASSERT_EQ(parts.size(), 4) << shown.toStdString();
    EXPECT_FALSE(parts[0].isEmpty());
    EXPECT_FALSE(parts[0].contains(QLatin1Char('\n')));
    EXPECT_EQ(parts[1],
              u"1.可以监控所有单向连接是否被去掉。比如。购买的连接，或者其他类型的连接。");
    EXPECT_EQ(
        parts[2],
        u"2.可以监控网页源码中某些特定字符是否还存在。比如广告,帖子,等等。可以最快时间知道自己"
        u"的广告或者帖子等是否被删除了,或者监控自己的帖子是否沉掉了。");
    EXPECT_EQ(parts[3], u"3.软件直接读取网页源码可以直接监控源码中是否有黑连接等等。");
    // The stored text separates them with CR LF pairs and ends with the last paragraph.
    const std::string bytes = tq::ui::usageText();
    EXPECT_EQ(bytes.find("\r\n\r\n1."), gbk(parts[0]).size());
    EXPECT_EQ(bytes.substr(bytes.size() - 2), gbk(QStringLiteral(u"。")));
}

TEST(MainWindow, WindowSettingsAndTabHeaders) {
    MainWindow window;
    EXPECT_EQ(window.windowTitle(), QStringLiteral("TessmoorQuarvelV1.0 "));
    const Qt::WindowFlags flags = window.windowFlags();
    EXPECT_TRUE(flags & Qt::WindowMinimizeButtonHint);
    EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
    EXPECT_TRUE(flags & Qt::WindowSystemMenuHint);
    EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
    EXPECT_FALSE(flags & Qt::WindowStaysOnTopHint);
    const QIcon icon = window.windowIcon();
    for (int size : {16, 32, 48, 256}) {
        EXPECT_EQ(icon.pixmap(size, size).size(), QSize(size, size)) << size;
    }

    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    // The outer size holds whatever frame the window system draws.
    const QMargins frame = window.windowHandle()->frameMargins();
    EXPECT_EQ(window.frameGeometry().size(), MainWindow::kOuterSize);
    EXPECT_EQ(window.size(), MainWindow::kOuterSize.shrunkBy(frame));
    EXPECT_EQ(window.minimumSize(), window.maximumSize()) << "fixed size";
    EXPECT_EQ(window.frameGeometry().topLeft(),
              tq::ui::centredOrigin(window.screen()->geometry(), MainWindow::kOuterSize));

    tq::ui::TabControl* tabs = window.tabs();
    EXPECT_EQ(tabs->geometry(), QRect(0, -2, 829, 544));
    EXPECT_EQ(tabs->currentIndex(), MainWindow::UsageTab);
    QTabBar* headers = tabs->headers();
    EXPECT_EQ(headers->font().family(), tq::ui::songTiFamily());
    EXPECT_EQ(headers->font().pixelSize(), 12);
    EXPECT_EQ(headers->focusPolicy(), Qt::NoFocus);
    const std::pair<const char16_t*, const char16_t*> captions[] = {
        {u"需要监控的地址", u"这里填写需要被监控的外链地址"},
        {u"地址检测页面", u"这里是检测页面"},
        {u"用途说明", u""},
    };
    ASSERT_EQ(headers->count(), 3);
    int left = 1;
    for (int tab = 0; tab < 3; ++tab) {
        SCOPED_TRACE(tab);
        EXPECT_EQ(headers->tabText(tab), QString::fromUtf16(captions[tab].first));
        EXPECT_EQ(headers->tabToolTip(tab), QString::fromUtf16(captions[tab].second));
        const QRect header = headers->tabRect(tab).translated(headers->pos());
        const int width =
            std::max(headers->fontMetrics().horizontalAdvance(headers->tabText(tab)) + 11, 50);
        EXPECT_EQ(header, QRect(left, 2, width, 20));
        left += width;
    }
    EXPECT_LT(left, 249) << "the headers end before the link labels";
}

TEST(MainWindow, StartPositionIsCentredWithQuotientsRoundedTowardsZero) {
    struct Case {
        QRect screen;
        QPoint origin;
    };
    const Case cases[] = {
        {{0, 0, 1920, 1080}, {542, 255}}, {{0, 0, 837, 570}, {0, 0}},  // 1/2 rounds down to 0
        {{0, 0, 800, 600}, {-18, 15}},                                 // -36/2
        {{0, 0, 799, 568}, {-18, 0}},  // -37/2 and -1/2 round towards zero, not down
        {{0, 0, 640, 480}, {-98, -44}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(tq::ui::centredOrigin(c.screen, MainWindow::kOuterSize), c.origin)
            << c.screen.width() << "x" << c.screen.height();
    }
}

TEST(MainWindow, SongTiResolvesToAnInstalledChineseFace) {
    tq::ui::installFontSubstitutions();
    const QFontInfo info(tq::ui::songTi(12));
    EXPECT_EQ(info.family(), QStringLiteral("AR PL UMing CN"));
    const QFontMetrics metrics(tq::ui::songTi(12));
    for (QChar c : QStringLiteral(u"需要监控的地址检测页面用途说明→")) {
        EXPECT_TRUE(metrics.inFont(c)) << int(c.unicode());
    }
}

TEST(MainWindowKeys, EscClosesTheWindowFromEveryKindOfControl) {
    for (const char16_t* name :
         {u"编辑框1", u"编辑框_检测结果", u"编辑框2", u"按钮1", u"选择框1"}) {
        SCOPED_TRACE(QString::fromUtf16(name).toStdString());
        ShownWindow w;
        w.switchByClick(w.window->tabs()->tabOf(w.get(name)));
        QWidget* target = w.get(name);
        target->setFocus();
        ASSERT_TRUE(target->hasFocus());
        QTest::keyClick(target, Qt::Key_Escape);
        EXPECT_FALSE(w.window->isVisible());
    }
    ShownWindow w;  // the usage tab: nothing has the focus
    QTest::keyClick(w.window.get(), Qt::Key_Escape);
    EXPECT_FALSE(w.window->isVisible());
}

TEST(MainWindowKeys, EnterBreaksTheLineInMultiLineBoxesAndDoesNothingElsewhere) {
    for (const char16_t* name : {u"编辑框1", u"编辑框_检测结果"}) {
        SCOPED_TRACE(QString::fromUtf16(name).toStdString());
        ShownWindow w;
        auto* box = w.get<QPlainTextEdit>(name);
        w.switchByClick(w.window->tabs()->tabOf(box));
        tq::ui::setBoxText(box, "ab");
        box->setFocus();
        box->moveCursor(QTextCursor::End);
        QTest::keyClick(box, Qt::Key_Return);
        QTest::keyClick(box, Qt::Key_Enter, Qt::KeypadModifier);
        QTest::keyClick(box, Qt::Key_Return, Qt::ShiftModifier);
        QTest::keyClicks(box, "c");
        EXPECT_EQ(tq::ui::boxText(box), "ab\r\n\r\n\r\nc");
        EXPECT_TRUE(box->hasFocus());

        // A selection is replaced by the break.
        tq::ui::setBoxText(box, "abc");
        QTextCursor selection = box->textCursor();
        selection.setPosition(1);
        selection.setPosition(2, QTextCursor::KeepAnchor);
        box->setTextCursor(selection);
        QTest::keyClick(box, Qt::Key_Return);
        EXPECT_EQ(tq::ui::boxText(box), "a\r\nc");
    }

    ShownWindow w;
    w.switchByClick(MainWindow::CheckTab);
    std::vector<std::unique_ptr<QSignalSpy>> clicks;
    for (QPushButton* b : w.window->findChildren<QPushButton*>()) {
        clicks.push_back(std::make_unique<QSignalSpy>(b, &QAbstractButton::clicked));
    }
    auto* feature = w.get<QLineEdit>(u"编辑框2");
    auto* onlyGone = w.get<QCheckBox>(u"选择框1");
    tq::ui::setBoxText(feature, "feature");
    for (QWidget* focused :
         {static_cast<QWidget*>(feature), w.get(u"按钮1"), static_cast<QWidget*>(onlyGone)}) {
        focused->setFocus();
        QTest::keyClick(focused, Qt::Key_Return);
        QTest::keyClick(focused, Qt::Key_Enter, Qt::KeypadModifier);
        EXPECT_TRUE(focused->hasFocus()) << focused->objectName().toStdString();
    }
    EXPECT_EQ(tq::ui::boxText(feature), "feature");
    EXPECT_FALSE(onlyGone->isChecked());
    for (const auto& spy : clicks) {
        EXPECT_EQ(spy->count(), 0) << "no button is pressed by Enter";
    }
    EXPECT_TRUE(w.window->isVisible());
}

TEST(MainWindow, CheckBoxIsDrawnOnWhiteAcrossItsWholeRectangle) {
    ShownWindow w;
    w.switchByClick(MainWindow::CheckTab);
    auto* onlyGone = w.get<QCheckBox>(u"选择框1");
    const QImage image = onlyGone->grab().toImage();
    // Corners far from the box and the caption: only the control's own background shows there.
    for (const QPoint& p :
         {QPoint(image.width() - 2, 1), QPoint(image.width() - 2, image.height() - 2),
          QPoint(1, image.height() - 2)}) {
        EXPECT_EQ(image.pixelColor(p), QColor(255, 255, 255)) << p.x() << "," << p.y();
    }
}

TEST(MainWindowBoxes, ALongLineWrapsOnScreenButStaysOneLineOfTheText) {
    ShownWindow w;
    w.switchByClick(MainWindow::AddressTab);
    auto* addresses = w.get<QPlainTextEdit>(u"编辑框1");
    std::string longLine = "http://www.example.com/";
    longLine.append(400, 'a');
    tq::ui::setBoxText(addresses, longLine + "\r\nhttp://www.example.org/");
    QApplication::processEvents();
    EXPECT_GT(addresses->document()->firstBlock().layout()->lineCount(), 1) << "wrapped";
    EXPECT_FALSE(addresses->horizontalScrollBar()->isVisible());
    EXPECT_EQ(tq::ui::boxText(addresses), longLine + "\r\nhttp://www.example.org/");
}

TEST(MainWindowKeys, TabAndShiftTabWalkTheCurrentTabInOrderAndWrap) {
    const std::pair<int, std::vector<const char16_t*>> orders[] = {
        {MainWindow::AddressTab,
         {u"编辑框1", u"按钮_统计地址个数", u"按钮_统计地址个数1", u"按钮_统计地址个数2",
          u"按钮_统计地址个数3", u"按钮_保存配置"}},
        {MainWindow::CheckTab,
         {u"编辑框2", u"编辑框_检测结果", u"按钮1", u"按钮2", u"按钮3", u"选择框1", u"按钮4"}},
    };
    for (const auto& [tab, names] : orders) {
        SCOPED_TRACE(tab);
        ShownWindow w;
        w.switchByClick(tab);
        const size_t n = names.size();
        w.get(names[0])->setFocus();
        for (size_t i = 1; i <= n; ++i) {  // forwards, past the end back to the first
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            EXPECT_EQ(QApplication::focusWidget(), w.get(names[i % n])) << i;
        }
        for (size_t i = 1; i <= n; ++i) {  // backwards, past the first to the last
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
            EXPECT_EQ(QApplication::focusWidget(), w.get(names[(2 * n - i) % n])) << i;
        }
    }

    ShownWindow w;  // Tab in a multi-line box moves on and types nothing
    w.switchByClick(MainWindow::AddressTab);
    auto* addresses = w.get<QPlainTextEdit>(u"编辑框1");
    addresses->setFocus();
    QTest::keyClick(addresses, Qt::Key_Tab);
    EXPECT_TRUE(addresses->toPlainText().isEmpty());
    EXPECT_EQ(QApplication::focusWidget(), w.get(u"按钮_统计地址个数"));
}

TEST(MainWindowTabs, SwitchingMovesTheFocusAndShowsOnlyThatTab) {
    ShownWindow w;
    tq::ui::TabControl* tabs = w.window->tabs();
    QSignalSpy saves(w.get<QPushButton>(u"按钮4"), &QAbstractButton::clicked);

    w.switchByClick(MainWindow::CheckTab);
    EXPECT_EQ(QApplication::focusWidget(), w.get(u"按钮4"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    EXPECT_EQ(saves.count(), 1) << "Space after the switch presses the save button";

    w.switchByClick(MainWindow::AddressTab);
    EXPECT_EQ(QApplication::focusWidget(), w.get(u"按钮_保存配置"));

    // A click on the current header changes nothing.
    w.get(u"编辑框1")->setFocus();
    w.switchByClick(MainWindow::AddressTab);
    EXPECT_EQ(QApplication::focusWidget(), w.get(u"编辑框1"));

    // No control of the usage tab takes the focus; typing reaches no hidden box.
    w.switchByClick(MainWindow::UsageTab);
    QWidget* focused = QApplication::focusWidget();
    EXPECT_TRUE(focused == nullptr || focused->isVisible());
    QTest::keyClicks(w.window.get(), "x");
    EXPECT_TRUE(w.get<QPlainTextEdit>(u"编辑框1")->toPlainText().isEmpty());

    for (int tab = 0; tab < tabs->count(); ++tab) {
        w.switchByClick(tab);
        for (int other = 0; other < tabs->count(); ++other) {
            for (QWidget* c : tabs->controls(other)) {
                EXPECT_EQ(c->isVisible(), other == tab) << c->objectName().toStdString();
            }
        }
    }
}

TEST(MainWindowTabs, HiddenTabControlsKeepBeingWrittenAndShowTheLatestText) {
    ShownWindow w;
    ASSERT_EQ(w.window->tabs()->currentIndex(), MainWindow::UsageTab);
    auto* status = w.get<QLabel>(u"透明标签7");
    auto* results = w.get<QPlainTextEdit>(u"编辑框_检测结果");
    ASSERT_FALSE(status->isVisible());
    for (int i = 0; i < 3; ++i) {  // as a pass would: status, then a result line
        const std::string address = "http://127.0.0.1/" + std::to_string(i);
        tq::ui::setLabelText(status, address);
        tq::ui::appendBoxText(results, address + "----gone\r\n");
    }
    w.switchByClick(MainWindow::CheckTab);
    ASSERT_TRUE(status->isVisible());
    EXPECT_EQ(status->text(), QStringLiteral("http://127.0.0.1/2"));
    EXPECT_EQ(tq::ui::boxText(results),
              "http://127.0.0.1/0----gone\r\nhttp://127.0.0.1/1----gone\r\n"
              "http://127.0.0.1/2----gone\r\n");
}

// Not a check: writes a picture of each tab when TQ_SCREENSHOT_DIR names a folder
// (tools/screenshots.sh).
TEST(MainWindowScreenshots, EachTab) {
    const QString folder = qEnvironmentVariable("TQ_SCREENSHOT_DIR");
    if (folder.isEmpty()) {
        GTEST_SKIP() << "set TQ_SCREENSHOT_DIR to write screenshots";
    }
    // As the program shows it: the skin is laid on before the window is first shown.
    tq::ui::skin::applySkin();
    ShownWindow w;
    // Some content, as after a pass, so the pictures show how texts sit in the boxes.
    tq::ui::setBoxText(w.get<QPlainTextEdit>(u"编辑框1"),
                       "http://www.example.com/links.html\r\nhttp://www.example.org/friends.htm\r\n"
                       "http://bbs.example.net/thread-1024-1-1.html");
    tq::ui::setBoxText(w.get<QLineEdit>(u"编辑框2"), "www.example.com");
    tq::ui::setLabelText(w.get<QLabel>(u"透明标签2"), gbk(QStringLiteral(u"3 个")));
    tq::ui::setBoxText(
        w.get<QPlainTextEdit>(u"编辑框_检测结果"),
        "http://www.example.com/links.html" + gbk(QStringLiteral(u"----外链存在!√√√\r\n")) +
            "http://www.example.org/friends.htm" + gbk(QStringLiteral(u"----外链掉了×××\r\n")));
    tq::ui::setLabelText(w.get<QLabel>(u"透明标签7"),
                         "http://bbs.example.net/thread-1024-1-1.html");
    tq::ui::setLabelText(w.get<QLabel>(u"透明标签8"), gbk(QStringLiteral(u"正在检测请稍等...")));
    const std::pair<int, const char*> shots[] = {{MainWindow::AddressTab, "tab-address.png"},
                                                 {MainWindow::CheckTab, "tab-check.png"},
                                                 {MainWindow::UsageTab, "tab-usage.png"}};
    for (const auto& [tab, file] : shots) {
        w.switchByClick(tab);
        EXPECT_TRUE(w.window->grab().save(QDir(folder).filePath(QString::fromLatin1(file))));
    }
}

}  // namespace
