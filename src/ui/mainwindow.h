#pragma once
// The program's one window: a tab control filling it, with the address tab, the check tab and
// the usage tab. Every control carries its name as its object name, so commands find them with
// findChild<T>(name). The window only builds and lays out; it runs no command.
#include <QList>
#include <QMargins>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QWidget>
#include <string>

namespace tq::ui {

class TabControl;

class MainWindow : public QWidget {
    Q_OBJECT
public:
    // Outer size, frame and title bar included.
    static constexpr QSize kOuterSize{836, 569};
    enum Tab { AddressTab = 0, CheckTab = 1, UsageTab = 2 };

    // Builds the window hidden, with every control and the start texts.
    explicit MainWindow(QWidget* parent = nullptr);

    TabControl* tabs() const { return tabs_; }
    // The tab-stop controls of `tab` in the order Tab walks them.
    const QList<QWidget*>& tabOrder(int tab) const { return tabOrder_.at(tab); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool focusNextPrevChild(bool next) override;
    void showEvent(QShowEvent* event) override;
    void moveEvent(QMoveEvent* event) override;

private:
    void buildAddressTab();
    void buildCheckTab();
    void buildUsageTab();
    void onTabSwitched(int tab);
    // Sizes the client area so that the outer size, frame included, is kOuterSize, and
    // centres the window when `place` is set or the frame has changed.
    void fitToFrame(bool place);

    TabControl* tabs_ = nullptr;
    QList<QList<QWidget*>> tabOrder_;
    QMargins frameMargins_;
    bool framed_ = false;
    bool placed_ = false;
};

// Where a window of `outer` size starts: centred on the whole `screen`, each quotient rounded
// towards zero, negative when the screen is smaller than the window.
QPoint centredOrigin(const QRect& screen, QSize outer);

// The text of the usage label, as code page 936 bytes: an opening sentence and the three
// paragraphs, separated by empty lines (CR LF pairs).
std::string usageText();

}  // namespace tq::ui
