#include "ui/skin/olivestyle.h"

#include <QApplication>
#include <QStyleFactory>

namespace tq::ui::skin {

OliveStyle::OliveStyle() : QProxyStyle(QStyleFactory::create("Fusion")) {}

void applySkin() { QApplication::setStyle(new OliveStyle); }

}  // namespace tq::ui::skin
