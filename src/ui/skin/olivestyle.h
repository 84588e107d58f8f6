#pragma once
#include <QProxyStyle>

namespace tq::ui::skin {

// The olive skin: flat gradient buttons with an olive border, a redrawn check box with a green
// tick, edit boxes framed in olive, and matching radio buttons, combo boxes, spin buttons and
// group boxes. Labels, tab bars and tool buttons keep the look of the base style.
//
// The base style is always Fusion, so the skin looks the same on every desktop and in the
// offscreen platform the tests use.
class OliveStyle : public QProxyStyle {
    Q_OBJECT
public:
    OliveStyle();

    void polish(QWidget* widget) override;
    using QProxyStyle::polish;

    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget = nullptr) const override;
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget = nullptr) const override;
    void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                            QPainter* painter, const QWidget* widget = nullptr) const override;
    QRect subControlRect(ComplexControl control, const QStyleOptionComplex* option,
                         SubControl subControl, const QWidget* widget = nullptr) const override;
    int pixelMetric(PixelMetric metric, const QStyleOption* option = nullptr,
                    const QWidget* widget = nullptr) const override;
    int styleHint(StyleHint hint, const QStyleOption* option = nullptr,
                  const QWidget* widget = nullptr,
                  QStyleHintReturn* returnData = nullptr) const override;
};

// Sets the skin for the whole application: every widget that exists now and every window opened
// later (message boxes, the open-file dialog). Also switches the application to Qt's own file
// dialogs, because a native dialog would not wear the skin. Needs a QApplication; calling it
// again is harmless.
void applySkin();

}  // namespace tq::ui::skin
