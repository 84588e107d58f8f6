#pragma once
#include <QProxyStyle>

namespace tq::ui::skin {

// The olive skin: flat gradient buttons with an olive border, a redrawn check box with a green
// tick, edit boxes framed in olive.
class OliveStyle : public QProxyStyle {
    Q_OBJECT
public:
    OliveStyle();
};

// Sets the skin for the whole application, also for windows opened later.
void applySkin();

}  // namespace tq::ui::skin
