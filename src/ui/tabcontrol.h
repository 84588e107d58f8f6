#pragma once
// A tab control whose controls are placed in the control's own coordinates, header strip
// included: one row of headers at the top, and one set of child controls per tab, of which
// only the current tab's are shown.
#include <QList>
#include <QTabBar>
#include <QWidget>

namespace tq::ui {

// Headers of a fixed height, each as wide as its caption plus a margin, with a minimum width.
class TabHeaders : public QTabBar {
    Q_OBJECT
public:
    static constexpr int kHeight = 20;
    static constexpr int kCaptionMargin = 11;
    static constexpr int kMinimumWidth = 50;

    explicit TabHeaders(QWidget* parent);

protected:
    QSize tabSizeHint(int index) const override;
    QSize minimumTabSizeHint(int index) const override { return tabSizeHint(index); }
    void wheelEvent(QWheelEvent* event) override;  // only a click switches tabs
    // The style's tab shapes, with each caption drawn whole and centred: the style's own
    // caption padding would not fit into caption width plus the margin.
    void paintEvent(QPaintEvent* event) override;
};

class TabControl : public QWidget {
    Q_OBJECT
public:
    static constexpr QPoint kHeadersOrigin{1, 2};

    explicit TabControl(QWidget* parent);

    int addTab(const QString& caption, const QString& toolTip);
    // Makes `control` (a child of this control) a member of `tab`, at `rect` in this control's
    // coordinates, shown only while `tab` is current.
    template <typename T>
    T* place(int tab, T* control, const QRect& rect) {
        placeWidget(tab, control, rect);
        return control;
    }

    int count() const { return pages_.size(); }
    int currentIndex() const { return headers_->currentIndex(); }
    void setCurrentIndex(int tab);
    int tabOf(const QWidget* control) const;  // -1 when not placed
    const QList<QWidget*>& controls(int tab) const { return pages_.at(tab); }
    TabHeaders* headers() const { return headers_; }

signals:
    // After the controls of the new current tab have been shown.
    void currentChanged(int tab);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void placeWidget(int tab, QWidget* control, const QRect& rect);
    void showTab(int tab);
    void layoutHeaders();

    TabHeaders* headers_;
    QList<QList<QWidget*>> pages_;
};

}  // namespace tq::ui
