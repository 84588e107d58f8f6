#include "ui/mainwindow.h"

#include <QCheckBox>
#include <QGuiApplication>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTextOption>
#include <QWindow>
#include <limits>

#include "app/timer.h"
#include "check/texts.h"
#include "text/cp936.h"
#include "ui/boxtext.h"
#include "ui/fonts.h"
#include "ui/linklabel.h"
#include "ui/tabcontrol.h"
#include "ui/windowtexts.h"

namespace tq::ui {

namespace {

const QColor kBlack{0, 0, 0};
const QColor kRed{255, 0, 0};
const QColor kGreen{0, 224, 128};
const QColor kUsageBlue{0, 136, 255};
const QColor kBoxBackground{215, 240, 255};
const QColor kWhite{255, 255, 255};

// The tab control lies two pixels above the client area; its top two pixels are not seen.
const QRect kTabControlRect{0, -2, 829, 544};

void setColour(QWidget* widget, QPalette::ColorRole role, const QColor& colour) {
    QPalette p = widget->palette();
    p.setColor(role, colour);
    widget->setPalette(p);
}

void styleEditBox(QWidget* box) {
    QPalette p = box->palette();
    p.setColor(QPalette::Base, kBoxBackground);
    p.setColor(QPalette::Text, kBlack);
    // No selection is seen while the box does not have the focus.
    p.setColor(QPalette::Inactive, QPalette::Highlight, kBoxBackground);
    p.setColor(QPalette::Inactive, QPalette::HighlightedText, kBlack);
    box->setPalette(p);
    box->setFocusPolicy(Qt::StrongFocus);
}

QPlainTextEdit* multiLineBox(QWidget* parent, const char* name) {
    auto* box = new QPlainTextEdit(parent);
    box->setObjectName(QString::fromUtf8(name));
    styleEditBox(box);
    box->setFrameShape(QFrame::StyledPanel);
    box->setFrameShadow(QFrame::Plain);
    box->setLineWidth(1);
    box->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    box->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    box->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    box->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    box->setTabChangesFocus(true);
    box->setMaximumBlockCount(0);
    return box;
}

QLabel* label(QWidget* parent, const char* name, const char* text, const QColor& colour) {
    auto* l = new QLabel(parent);
    l->setObjectName(QString::fromUtf8(name));
    l->setTextFormat(Qt::PlainText);
    l->setWordWrap(false);
    l->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    l->setFocusPolicy(Qt::NoFocus);
    setColour(l, QPalette::WindowText, colour);
    setLabelText(l, text);
    return l;
}

QPushButton* button(QWidget* parent, const char* name, const char* caption) {
    auto* b = new QPushButton(text::decode(caption), parent);
    b->setObjectName(QString::fromUtf8(name));
    b->setAutoDefault(false);
    b->setDefault(false);
    b->setFocusPolicy(Qt::StrongFocus);
    return b;
}

LinkLabel* linkLabel(QWidget* parent, const char* name) {
    auto* l = new LinkLabel(QUrl(QString::fromLatin1(check::kPublisherUrl)), parent);
    l->setObjectName(QString::fromUtf8(name));
    setLabelText(l, texts::kMoreTools);
    return l;
}

// The label that names an edit box names it to screen readers too, without its colon.
void nameAfter(QWidget* box, const QLabel* caption) {
    QString name = caption->text();
    while (name.endsWith(QChar(0xFF1A)) || name.endsWith(QLatin1Char(':'))) {
        name.chop(1);
    }
    box->setAccessibleName(name);
}

bool isEnter(const QKeyEvent* key) {
    return key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
}

constexpr Qt::KeyboardModifiers kChordModifiers =
    Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;

}  // namespace

QPoint centredOrigin(const QRect& screen, QSize outer) {
    // Integer division in C++ rounds towards zero, as the placement rule asks.
    return {screen.x() + (screen.width() - outer.width()) / 2,
            screen.y() + (screen.height() - outer.height()) / 2};
}

std::string usageText() {
    const std::string gap = "\r\n\r\n";
    return std::string(texts::kUsageIntro) + gap + texts::kUsage1 + gap + texts::kUsage2 + gap +
           texts::kUsage3;
}

MainWindow::MainWindow(QWidget* parent) : QWidget(parent) {
    installFontSubstitutions();

    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setWindowTitle(text::decode(texts::kTitle));
    QIcon icon;
    for (int size : {16, 32, 48, 256}) {
        icon.addFile(QStringLiteral(":/icons/tessmoorquarvel-%1.png").arg(size), QSize(size, size));
    }
    setWindowIcon(icon);
    setFocusPolicy(Qt::NoFocus);

    // Until the real frame is known the client area is the whole outer size; fitToFrame()
    // takes the frame off once the window system reports it.
    setFixedSize(kOuterSize);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        move(centredOrigin(screen->geometry(), kOuterSize));
    }

    tabs_ = new TabControl(this);
    tabs_->setObjectName(QStringLiteral(u"高级选择夹1"));
    tabs_->setGeometry(kTabControlRect);
    tabs_->addTab(text::decode(texts::kTabAddress), text::decode(texts::kTabAddressTip));
    tabs_->addTab(text::decode(texts::kTabCheck), text::decode(texts::kTabCheckTip));
    tabs_->addTab(text::decode(texts::kTabUsage), QString());
    tabOrder_.resize(tabs_->count());

    buildAddressTab();
    buildCheckTab();
    buildUsageTab();

    auto* timer = new app::CheckTimer(this);
    timer->setObjectName(QStringLiteral(u"时钟1"));

    tabs_->setCurrentIndex(UsageTab);
    connect(tabs_, &TabControl::currentChanged, this, &MainWindow::onTabSwitched);

    for (QWidget* child : findChildren<QWidget*>()) {
        child->installEventFilter(this);
    }
    installEventFilter(this);
}

void MainWindow::buildAddressTab() {
    TabControl* t = tabs_;
    const int tab = AddressTab;
    t->place(tab, linkLabel(t, "超级链接框2"), {249, 5, 200, 16});
    QLabel* caption =
        t->place(tab, label(t, "透明标签4", texts::kMonitoredLabel, kBlack), {10, 29, 102, 13});
    QPlainTextEdit* addresses = t->place(tab, multiLineBox(t, "编辑框1"), {9, 41, 810, 449});
    nameAfter(addresses, caption);
    t->place(tab, label(t, "透明标签1", texts::kCountCaption, kBlack), {13, 492, 59, 16});
    t->place(tab, label(t, "透明标签2", "", kRed), {77, 492, 83, 16});
    auto* count =
        t->place(tab, button(t, "按钮_统计地址个数", texts::kCountButton), {9, 510, 88, 24});
    auto* import =
        t->place(tab, button(t, "按钮_统计地址个数1", texts::kImportButton), {112, 510, 88, 24});
    auto* clear =
        t->place(tab, button(t, "按钮_统计地址个数2", texts::kClearButton), {216, 510, 88, 24});
    auto* copy =
        t->place(tab, button(t, "按钮_统计地址个数3", texts::kCopyButton), {326, 510, 88, 24});
    auto* save = t->place(tab, button(t, "按钮_保存配置", texts::kSaveButton), {432, 510, 88, 24});
    tabOrder_[tab] = {addresses, count, import, clear, copy, save};
}

void MainWindow::buildCheckTab() {
    TabControl* t = tabs_;
    const int tab = CheckTab;
    t->place(tab, linkLabel(t, "超级链接框1"), {249, 5, 200, 16});
    auto* start = t->place(tab, button(t, "按钮1", texts::kStartButton), {452, 36, 80, 24});
    auto* stop = t->place(tab, button(t, "按钮2", texts::kStopButton), {535, 36, 80, 24});
    auto* clear = t->place(tab, button(t, "按钮3", texts::kClearResultsButton), {618, 36, 80, 24});
    auto* save = t->place(tab, button(t, "按钮4", texts::kSaveButton), {704, 36, 80, 24});

    auto* feature = t->place(tab, new QLineEdit(t), {83, 38, 357, 24});
    feature->setObjectName(QStringLiteral(u"编辑框2"));
    styleEditBox(feature);
    feature->setFrame(true);
    feature->setMaxLength(std::numeric_limits<int>::max());
    feature->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    nameAfter(feature,
              t->place(tab, label(t, "透明标签3", texts::kFeatureLabel, kBlack), {7, 40, 72, 20}));

    auto* onlyGone =
        t->place(tab, new QCheckBox(text::decode(texts::kOnlyGoneBox), t), {456, 61, 121, 24});
    onlyGone->setObjectName(QStringLiteral(u"选择框1"));
    onlyGone->setChecked(false);
    onlyGone->setAutoFillBackground(true);
    onlyGone->setBackgroundRole(QPalette::Window);  // buttons fill with Button by default
    onlyGone->setFocusPolicy(Qt::StrongFocus);
    setColour(onlyGone, QPalette::Window, kWhite);
    setColour(onlyGone, QPalette::WindowText, kBlack);

    t->place(tab, label(t, "透明标签6", texts::kStatusCaption, kBlack), {7, 76, 61, 20});
    t->place(tab, label(t, "透明标签7", texts::kStatusStart, kRed), {79, 76, 552, 20});
    QLabel* caption =
        t->place(tab, label(t, "透明标签5", texts::kResultsCaption, kBlack), {7, 107, 100, 13});
    t->place(tab, label(t, "透明标签8", "\r\n", kGreen), {77, 107, 291, 13});
    QPlainTextEdit* results = t->place(tab, multiLineBox(t, "编辑框_检测结果"), {9, 122, 810, 411});
    nameAfter(results, caption);

    tabOrder_[tab] = {feature, results, start, stop, clear, onlyGone, save};
}

void MainWindow::buildUsageTab() {
    TabControl* t = tabs_;
    const int tab = UsageTab;
    t->place(tab, linkLabel(t, "超级链接框4"), {249, 5, 200, 16});

    auto* usage = t->place(tab, new QLabel(t), {72, 82, 672, 224});
    usage->setObjectName(QStringLiteral(u"透明标签9"));
    usage->setTextFormat(Qt::PlainText);
    usage->setWordWrap(true);
    usage->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    usage->setFocusPolicy(Qt::NoFocus);
    usage->setFont(songTi(20));
    setColour(usage, QPalette::WindowText, kUsageBlue);
    // Here a CR LF pair does start a new line.
    usage->setText(text::decode(usageText()).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
}

void MainWindow::onTabSwitched(int tab) {
    const QList<QWidget*>& order = tabOrder_.at(tab);
    if (!order.isEmpty()) {
        // The focusable control with the lowest key, ties going to the last in Tab order.
        order.last()->setFocus(Qt::OtherFocusReason);
        return;
    }
    // Nothing here takes the focus; keys must not reach a control that is no longer seen.
    if (QWidget* focused = focusWidget(); focused && focused->isHidden()) {
        focused->clearFocus();
    }
}

bool MainWindow::focusNextPrevChild(bool next) {
    const QList<QWidget*>& order = tabOrder_.at(tabs_->currentIndex());
    if (order.isEmpty()) {
        return true;
    }
    const qsizetype n = order.size();
    const qsizetype at = order.indexOf(focusWidget());
    QWidget* target =
        at < 0 ? (next ? order.first() : order.last()) : order.at((at + (next ? 1 : n - 1)) % n);
    target->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
    return true;
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) {
        return QWidget::eventFilter(watched, event);
    }
    auto* key = static_cast<QKeyEvent*>(event);
    const Qt::KeyboardModifiers chord = key->modifiers() & kChordModifiers;
    if (key->key() == Qt::Key_Escape && chord == Qt::NoModifier) {
        close();
        return true;
    }
    if (isEnter(key) && !(chord & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))) {
        if (auto* box = qobject_cast<QPlainTextEdit*>(watched)) {
            // A plain line break that replaces the selection, also for Shift+Enter, which
            // would otherwise put a Unicode line separator into the text.
            box->insertPlainText(QStringLiteral("\n"));
            box->ensureCursorVisible();
        }
        return true;  // anywhere else Enter presses nothing and moves nothing
    }
    return QWidget::eventFilter(watched, event);
}

void MainWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    fitToFrame(!placed_);  // centred when first shown; later shows keep the user's place
    placed_ = true;
}

void MainWindow::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    fitToFrame(false);  // some window systems report the frame only after the first map
}

void MainWindow::fitToFrame(bool place) {
    QWindow* handle = windowHandle();
    if (!handle || !isVisible()) {
        return;
    }
    const QMargins margins = handle->frameMargins();
    if (!place && framed_ && margins == frameMargins_) {
        return;
    }
    framed_ = true;
    frameMargins_ = margins;
    setFixedSize(kOuterSize.shrunkBy(margins));
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        // Placed through the platform window by its frame: the widget's idea of where its
        // frame lies may still date from before the frame was known.
        handle->setFramePosition(centredOrigin(screen->geometry(), kOuterSize));
    }
}

}  // namespace tq::ui
