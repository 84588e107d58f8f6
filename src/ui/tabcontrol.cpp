#include "ui/tabcontrol.h"

#include <QPainter>
#include <QStyleOptionTab>
#include <QStyleOptionTabWidgetFrame>
#include <QWheelEvent>
#include <algorithm>

#include "ui/fonts.h"

namespace tq::ui {

TabHeaders::TabHeaders(QWidget* parent) : QTabBar(parent) {
    setFont(songTi(12));
    setFocusPolicy(Qt::NoFocus);
    setDrawBase(false);
    setExpanding(false);
    setUsesScrollButtons(false);
    setElideMode(Qt::ElideNone);
    setDocumentMode(false);
}

QSize TabHeaders::tabSizeHint(int index) const {
    const int caption = fontMetrics().horizontalAdvance(tabText(index));
    return {std::max(caption + kCaptionMargin, kMinimumWidth), kHeight};
}

void TabHeaders::wheelEvent(QWheelEvent* event) {
    event->ignore();
}

void TabHeaders::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    // The current tab last, so its shape lies over its neighbours'.
    QList<int> order;
    for (int tab = 0; tab < count(); ++tab) {
        if (tab != currentIndex()) {
            order.append(tab);
        }
    }
    if (currentIndex() >= 0) {
        order.append(currentIndex());
    }
    for (int tab : std::as_const(order)) {
        QStyleOptionTab option;
        initStyleOption(&option, tab);
        style()->drawControl(QStyle::CE_TabBarTabShape, &option, &painter, this);
        painter.setPen(option.palette.color(QPalette::WindowText));
        painter.drawText(option.rect, Qt::AlignCenter | Qt::TextSingleLine, option.text);
    }
}

TabControl::TabControl(QWidget* parent) : QWidget(parent), headers_(new TabHeaders(this)) {
    setFocusPolicy(Qt::NoFocus);
    connect(headers_, &QTabBar::currentChanged, this, [this](int tab) {
        showTab(tab);
        emit currentChanged(tab);
    });
}

int TabControl::addTab(const QString& caption, const QString& toolTip) {
    const QSignalBlocker quiet(headers_);  // the first tab becomes current: no switch yet
    const int tab = headers_->addTab(caption);
    if (!toolTip.isEmpty()) {
        headers_->setTabToolTip(tab, toolTip);
    }
    pages_.append(QList<QWidget*>());
    layoutHeaders();
    return tab;
}

void TabControl::setCurrentIndex(int tab) {
    if (tab == headers_->currentIndex()) {
        showTab(tab);  // so that a freshly built control shows only the first tab's controls
        return;
    }
    headers_->setCurrentIndex(tab);
}

int TabControl::tabOf(const QWidget* control) const {
    for (int tab = 0; tab < pages_.size(); ++tab) {
        if (pages_.at(tab).contains(control)) {
            return tab;
        }
    }
    return -1;
}

void TabControl::placeWidget(int tab, QWidget* control, const QRect& rect) {
    Q_ASSERT(control->parentWidget() == this);
    control->setGeometry(rect);
    pages_[tab].append(control);
    control->setVisible(tab == headers_->currentIndex());
}

void TabControl::showTab(int tab) {
    // Show the new tab's controls first: when the focused control is hidden, the focus can
    // then move within the window rather than leave it.
    for (QWidget* control : std::as_const(pages_[tab])) {
        control->show();
    }
    for (int other = 0; other < pages_.size(); ++other) {
        if (other != tab) {
            for (QWidget* control : std::as_const(pages_[other])) {
                control->hide();
            }
        }
    }
}

void TabControl::layoutHeaders() {
    headers_->setGeometry(QRect(kHeadersOrigin, headers_->sizeHint()));
}

void TabControl::paintEvent(QPaintEvent*) {
    // The page frame: from the bottom of the header row to the control's edges.
    QPainter painter(this);
    QStyleOptionTabWidgetFrame frame;
    frame.initFrom(this);
    frame.shape = QTabBar::RoundedNorth;
    frame.tabBarSize = headers_->size();
    frame.tabBarRect = headers_->geometry();
    frame.rect = rect().adjusted(0, headers_->geometry().bottom() + 1, 0, 0);
    frame.lineWidth = style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, this);
    style()->drawPrimitive(QStyle::PE_FrameTabWidget, &frame, &painter, this);
}

}  // namespace tq::ui
