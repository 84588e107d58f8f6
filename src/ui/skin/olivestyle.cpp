#include "ui/skin/olivestyle.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyleFactory>
#include <QStyleOption>
#include <QTextEdit>

namespace tq::ui::skin {

namespace {

// The colours users must see. Everything else (gradients, rings) is our own choice.
const QColor kButtonBorder(55, 98, 6);
const QColor kDisabledCaption(165, 162, 148);
const QColor kCheckBorder(24, 81, 132);
const QColor kTick(33, 162, 33);
const QColor kEditFrame(164, 185, 127);
const QColor kDisabledText(128, 128, 128);
const QColor kArrow(55, 98, 6);
const QColor kListHighlight(206, 222, 172);

constexpr int kIndicatorSize = 13;
constexpr int kEditFrameWidth = 2;  // the olive line plus the inner line
constexpr int kSpinButtonWidth = 16;

struct Gradient {
    QColor top;
    QColor bottom;
    QColor ring;  // an inner 1-pixel ring; invalid for none
};

enum class Face { Normal, Hot, Pressed, Checked, Focused, Disabled };

Gradient gradientFor(Face face) {
    switch (face) {
        case Face::Hot:
            return {QColor(255, 255, 242), QColor(240, 232, 186), QColor(232, 196, 92)};
        case Face::Pressed:
            return {QColor(204, 217, 176), QColor(243, 247, 234), QColor()};
        case Face::Checked:
            return {QColor(224, 233, 203), QColor(196, 213, 158), QColor()};
        case Face::Focused:
            return {QColor(255, 255, 255), QColor(214, 228, 186), QColor(181, 205, 139)};
        case Face::Disabled:
            return {QColor(246, 245, 240), QColor(246, 245, 240), QColor()};
        case Face::Normal:
            break;
    }
    return {QColor(255, 255, 255), QColor(229, 236, 214), QColor()};
}

QColor darkenedBy32(const QColor& c) {
    return QColor(qMax(0, c.red() - 32), qMax(0, c.green() - 32), qMax(0, c.blue() - 32));
}

// Disabled controls of every kind draw their border in the button face darkened a little, so
// that they recede without changing shape.
QColor disabledBorder(const QPalette& palette) {
    return darkenedBy32(palette.color(QPalette::Button));
}

bool enabled(const QStyleOption* option) {
    return option->state & QStyle::State_Enabled;
}

Face faceFor(const QStyleOption* option, bool isDefault) {
    const auto state = option->state;
    if (!(state & QStyle::State_Enabled))
        return Face::Disabled;
    if (state & QStyle::State_Sunken)
        return Face::Pressed;
    if (state & QStyle::State_On)
        return Face::Checked;
    if (state & QStyle::State_MouseOver)
        return Face::Hot;
    if ((state & QStyle::State_HasFocus) || isDefault)
        return Face::Focused;
    return Face::Normal;
}

// A rounded face; the corners are left unpainted so the parent's background shows through.
void drawButtonFace(QPainter* p, const QRect& rect, Face face, const QColor& border) {
    if (rect.width() < 4 || rect.height() < 4)
        return;
    const Gradient g = gradientFor(face);
    p->save();
    p->setRenderHint(QPainter::Antialiasing, true);
    QLinearGradient fill(rect.topLeft(), rect.bottomLeft());
    fill.setColorAt(0, g.top);
    fill.setColorAt(1, g.bottom);
    const QRectF outer = QRectF(rect).adjusted(0.5, 0.5, -0.5, -0.5);
    p->setPen(QPen(border, 1));
    p->setBrush(fill);
    p->drawRoundedRect(outer, 3, 3);
    if (g.ring.isValid() && rect.width() > 6 && rect.height() > 6) {
        p->setPen(QPen(g.ring, 1));
        p->setBrush(Qt::NoBrush);
        p->drawRoundedRect(outer.adjusted(1, 1, -1, -1), 2, 2);
    }
    p->restore();
}

// A square face for the small buttons inside spin boxes and editable combo boxes.
void drawSmallFace(QPainter* p, const QRect& rect, Face face, const QColor& border) {
    const Gradient g = gradientFor(face);
    p->save();
    p->setRenderHint(QPainter::Antialiasing, false);
    QLinearGradient fill(rect.topLeft(), rect.bottomLeft());
    fill.setColorAt(0, g.top);
    fill.setColorAt(1, g.bottom);
    p->fillRect(rect, fill);
    p->setPen(border);
    p->setBrush(Qt::NoBrush);
    p->drawRect(rect.adjusted(0, 0, -1, -1));
    p->restore();
}

void drawFocusRect(QPainter* p, const QRect& rect) {
    if (!rect.isValid())
        return;
    p->save();
    p->setRenderHint(QPainter::Antialiasing, false);
    QPen pen(QColor(0, 0, 0), 1);
    pen.setDashPattern({1.0, 1.0});
    p->setPen(pen);
    p->setBrush(Qt::NoBrush);
    p->drawRect(rect.adjusted(0, 0, -1, -1));
    p->restore();
}

enum class Sign { Up, Down, Plus, Minus };

void drawSign(QPainter* p, const QRect& rect, Sign sign, const QColor& colour) {
    p->save();
    const QPointF c = QRectF(rect).center();
    if (sign == Sign::Plus || sign == Sign::Minus) {
        p->setRenderHint(QPainter::Antialiasing, false);
        const int half = qMax(2, qMin(rect.width(), rect.height()) / 4);
        const QPoint ci = rect.center();
        p->fillRect(QRect(ci.x() - half, ci.y(), 2 * half + 1, 1), colour);
        if (sign == Sign::Plus)
            p->fillRect(QRect(ci.x(), ci.y() - half, 1, 2 * half + 1), colour);
    } else {
        p->setRenderHint(QPainter::Antialiasing, true);
        const qreal w = qMax<qreal>(3.0, qMin(rect.width(), rect.height() * 2) / 4.0);
        const qreal h = w / 2;
        QPolygonF tri;
        if (sign == Sign::Up)
            tri << QPointF(c.x() - w, c.y() + h / 2) << QPointF(c.x() + w, c.y() + h / 2)
                << QPointF(c.x(), c.y() - h);
        else
            tri << QPointF(c.x() - w, c.y() - h / 2) << QPointF(c.x() + w, c.y() - h / 2)
                << QPointF(c.x(), c.y() + h);
        p->setPen(Qt::NoPen);
        p->setBrush(colour);
        p->drawPolygon(tri);
    }
    p->restore();
}

// The frame of an edit box: an olive line and, inside it, a line in the box's own background
// colour, or in the button face when the box cannot be typed into.
//
// "Background colour" is the palette's Base: that is the colour the box's text sits on, and the
// main window paints its boxes light blue through Base, so the inner line matches them.
void drawEditFrame(QPainter* p, const QRect& rect, const QPalette& palette, bool isEnabled,
                   bool readOnly) {
    const QColor outer = isEnabled ? kEditFrame : disabledBorder(palette);
    const QColor inner =
        (isEnabled && !readOnly) ? palette.color(QPalette::Base) : palette.color(QPalette::Button);
    p->save();
    p->setRenderHint(QPainter::Antialiasing, false);
    p->setBrush(Qt::NoBrush);
    p->setPen(outer);
    p->drawRect(rect.adjusted(0, 0, -1, -1));
    p->setPen(inner);
    p->drawRect(rect.adjusted(1, 1, -2, -2));
    p->restore();
}

bool isTextEdit(const QWidget* w) {
    return qobject_cast<const QTextEdit*>(w) || qobject_cast<const QPlainTextEdit*>(w);
}

bool isReadOnly(const QStyleOption* option, const QWidget* w) {
    if (option->state & QStyle::State_ReadOnly)
        return true;
    if (auto* e = qobject_cast<const QLineEdit*>(w))
        return e->isReadOnly();
    if (auto* e = qobject_cast<const QTextEdit*>(w))
        return e->isReadOnly();
    if (auto* e = qobject_cast<const QPlainTextEdit*>(w))
        return e->isReadOnly();
    if (auto* e = qobject_cast<const QAbstractSpinBox*>(w))
        return e->isReadOnly();
    return false;
}

bool isComboPopup(const QWidget* w) {
    return w && w->inherits("QComboBoxPrivateContainer");
}

bool isComboPopupView(const QWidget* w) {
    return w && isComboPopup(w->parentWidget());
}

// Buttons that show only a picture, and flat buttons, keep the base style's look: they ask not
// to look like an ordinary push button.
bool skinnedPushButton(const QStyleOptionButton* b) {
    if (b->features & QStyleOptionButton::Flat)
        return false;
    if (b->text.isEmpty() && !b->icon.isNull())
        return false;
    return true;
}

void drawCheckIndicator(QPainter* p, const QStyleOption* option) {
    QRect box(0, 0, kIndicatorSize, kIndicatorSize);
    box.moveCenter(option->rect.center());
    const bool on = enabled(option);
    const auto state = option->state;

    p->save();
    p->setRenderHint(QPainter::Antialiasing, false);
    const QRect inside = box.adjusted(1, 1, -1, -1);
    if (!on) {
        p->fillRect(inside, Qt::white);
    } else {
        QLinearGradient fill(inside.topLeft(), inside.bottomRight());
        if (state & QStyle::State_Sunken) {
            fill.setColorAt(0, QColor(176, 190, 150));
            fill.setColorAt(1, QColor(240, 244, 232));
        } else if (state & QStyle::State_MouseOver) {
            fill.setColorAt(0, QColor(250, 226, 160));
            fill.setColorAt(1, QColor(255, 255, 245));
        } else {
            fill.setColorAt(0, QColor(220, 220, 215));
            fill.setColorAt(1, QColor(255, 255, 255));
        }
        p->fillRect(inside, fill);
    }
    p->setPen(on ? kCheckBorder : disabledBorder(option->palette));
    p->setBrush(Qt::NoBrush);
    p->drawRect(box.adjusted(0, 0, -1, -1));

    const QColor mark = on ? kTick : kDisabledCaption;
    if (state & QStyle::State_On) {
        // A tick three pixels thick, drawn pixel-exact so it stays crisp at 13 pixels.
        const int x = box.x(), y = box.y();
        p->setPen(mark);
        for (int i = 0; i < 3; ++i) {
            p->drawLine(x + 3, y + 5 + i, x + 5, y + 7 + i);
            p->drawLine(x + 5, y + 7 + i, x + 9, y + 3 + i);
        }
    } else if (state & QStyle::State_NoChange) {
        p->fillRect(box.adjusted(3, 3, -3, -3), mark.lighter(140));
    }
    p->restore();
}

void drawRadioIndicator(QPainter* p, const QStyleOption* option) {
    QRect box(0, 0, kIndicatorSize, kIndicatorSize);
    box.moveCenter(option->rect.center());
    const bool on = enabled(option);
    const auto state = option->state;

    p->save();
    p->setRenderHint(QPainter::Antialiasing, true);
    QLinearGradient fill(box.topLeft(), box.bottomRight());
    if (!on) {
        fill.setColorAt(0, Qt::white);
        fill.setColorAt(1, Qt::white);
    } else if (state & QStyle::State_Sunken) {
        fill.setColorAt(0, QColor(176, 190, 150));
        fill.setColorAt(1, QColor(240, 244, 232));
    } else if (state & QStyle::State_MouseOver) {
        fill.setColorAt(0, QColor(250, 226, 160));
        fill.setColorAt(1, QColor(255, 255, 245));
    } else {
        fill.setColorAt(0, QColor(220, 220, 215));
        fill.setColorAt(1, QColor(255, 255, 255));
    }
    p->setPen(QPen(on ? kCheckBorder : disabledBorder(option->palette), 1));
    p->setBrush(fill);
    p->drawEllipse(QRectF(box).adjusted(0.5, 0.5, -0.5, -0.5));
    if (state & QStyle::State_On) {
        p->setPen(Qt::NoPen);
        p->setBrush(on ? kTick : kDisabledCaption);
        p->drawEllipse(QRectF(box).center(), 3.0, 3.0);
    }
    p->restore();
}

}  // namespace

OliveStyle::OliveStyle() : QProxyStyle(QStyleFactory::create("Fusion")) {}

void OliveStyle::polish(QWidget* widget) {
    QProxyStyle::polish(widget);
    // Hot tracking needs enter and leave repaints; focus, press and check changes repaint anyway.
    if (qobject_cast<QPushButton*>(widget) || qobject_cast<QCheckBox*>(widget) ||
        qobject_cast<QRadioButton*>(widget) || qobject_cast<QComboBox*>(widget) ||
        qobject_cast<QAbstractSpinBox*>(widget) || qobject_cast<QGroupBox*>(widget))
        widget->setAttribute(Qt::WA_Hover, true);
}

void OliveStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option,
                               QPainter* painter, const QWidget* widget) const {
    switch (element) {
        case PE_IndicatorCheckBox:
            drawCheckIndicator(painter, option);
            return;
        case PE_IndicatorRadioButton:
            drawRadioIndicator(painter, option);
            return;
        case PE_FrameLineEdit:
            drawEditFrame(painter, option->rect, option->palette, enabled(option),
                          isReadOnly(option, widget));
            return;
        case PE_PanelLineEdit:
            if (auto* f = qstyleoption_cast<const QStyleOptionFrame*>(option);
                f && f->lineWidth > 0) {
                painter->fillRect(f->rect.adjusted(kEditFrameWidth, kEditFrameWidth,
                                                   -kEditFrameWidth, -kEditFrameWidth),
                                  f->palette.brush(QPalette::Base));
                drawEditFrame(painter, f->rect, f->palette, enabled(option),
                              isReadOnly(option, widget));
                return;
            }
            break;
        case PE_Frame:
            if (isTextEdit(widget)) {
                drawEditFrame(painter, option->rect, option->palette, enabled(option),
                              isReadOnly(option, widget));
                return;
            }
            if (isComboPopup(widget)) {
                painter->save();
                painter->setRenderHint(QPainter::Antialiasing, false);
                painter->setPen(kButtonBorder);
                painter->setBrush(Qt::NoBrush);
                painter->drawRect(option->rect.adjusted(0, 0, -1, -1));
                painter->restore();
                return;
            }
            break;
        case PE_FrameGroupBox: {
            painter->save();
            painter->setRenderHint(QPainter::Antialiasing, true);
            painter->setPen(
                QPen(enabled(option) ? kEditFrame : disabledBorder(option->palette), 1));
            painter->setBrush(Qt::NoBrush);
            painter->drawRoundedRect(QRectF(option->rect).adjusted(0.5, 0.5, -0.5, -0.5), 3, 3);
            painter->restore();
            return;
        }
        case PE_PanelItemViewItem:
            if (isComboPopupView(widget)) {
                if (auto* v = qstyleoption_cast<const QStyleOptionViewItem*>(option)) {
                    QStyleOptionViewItem vo(*v);
                    vo.palette.setColor(QPalette::Highlight, kListHighlight);
                    QProxyStyle::drawPrimitive(element, &vo, painter, widget);
                    return;
                }
            }
            break;
        default:
            break;
    }
    QProxyStyle::drawPrimitive(element, option, painter, widget);
}

void OliveStyle::drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                             const QWidget* widget) const {
    switch (element) {
        case CE_PushButton:
            if (auto* b = qstyleoption_cast<const QStyleOptionButton*>(option);
                b && skinnedPushButton(b)) {
                proxy()->drawControl(CE_PushButtonBevel, b, painter, widget);
                QStyleOptionButton label(*b);
                label.rect = proxy()->subElementRect(SE_PushButtonContents, b, widget);
                proxy()->drawControl(CE_PushButtonLabel, &label, painter, widget);
                if (b->state & State_HasFocus)
                    drawFocusRect(painter, b->rect.adjusted(3, 3, -3, -3));
                return;
            }
            break;
        case CE_PushButtonBevel:
            if (auto* b = qstyleoption_cast<const QStyleOptionButton*>(option);
                b && skinnedPushButton(b)) {
                const bool isDefault = b->features & QStyleOptionButton::DefaultButton;
                drawButtonFace(painter, b->rect, faceFor(b, isDefault),
                               enabled(b) ? kButtonBorder : disabledBorder(b->palette));
                if (b->features & QStyleOptionButton::HasMenu) {
                    const int mbi = proxy()->pixelMetric(PM_MenuButtonIndicator, b, widget);
                    QRect arrow(b->rect.right() - mbi - 2, b->rect.y() + 2, mbi,
                                b->rect.height() - 4);
                    arrow = visualRect(b->direction, b->rect, arrow);
                    drawSign(painter, arrow, Sign::Down, enabled(b) ? kArrow : kDisabledCaption);
                }
                return;
            }
            break;
        case CE_PushButtonLabel:
            if (auto* b = qstyleoption_cast<const QStyleOptionButton*>(option);
                b && skinnedPushButton(b)) {
                QStyleOptionButton label(*b);
                label.palette.setColor(QPalette::ButtonText,
                                       enabled(b) ? QColor(0, 0, 0) : kDisabledCaption);
                if (b->state & State_Sunken)
                    label.rect.translate(1, 1);
                QProxyStyle::drawControl(element, &label, painter, widget);
                return;
            }
            break;
        case CE_CheckBox:
        case CE_RadioButton:
            if (auto* b = qstyleoption_cast<const QStyleOptionButton*>(option)) {
                const bool radio = element == CE_RadioButton;
                QStyleOptionButton part(*b);
                part.rect = proxy()->subElementRect(
                    radio ? SE_RadioButtonIndicator : SE_CheckBoxIndicator, b, widget);
                proxy()->drawPrimitive(radio ? PE_IndicatorRadioButton : PE_IndicatorCheckBox,
                                       &part, painter, widget);
                part.rect = proxy()->subElementRect(
                    radio ? SE_RadioButtonContents : SE_CheckBoxContents, b, widget);
                proxy()->drawControl(radio ? CE_RadioButtonLabel : CE_CheckBoxLabel, &part, painter,
                                     widget);
                if (b->state & State_HasFocus)
                    drawFocusRect(painter, proxy()->subElementRect(radio ? SE_RadioButtonFocusRect
                                                                         : SE_CheckBoxFocusRect,
                                                                   b, widget));
                return;
            }
            break;
        case CE_CheckBoxLabel:
        case CE_RadioButtonLabel:
            if (auto* b = qstyleoption_cast<const QStyleOptionButton*>(option)) {
                // The caption takes the text colour its palette gives (the window sets it per
                // control), and one fixed grey when disabled.
                QStyleOptionButton label(*b);
                label.palette.setColor(
                    QPalette::WindowText,
                    enabled(b) ? b->palette.color(QPalette::WindowText) : kDisabledText);
                QProxyStyle::drawControl(element, &label, painter, widget);
                return;
            }
            break;
        case CE_MenuItem:
            // Combo box lists draw their entries as menu items, on behalf of the combo box.
            if (qobject_cast<const QComboBox*>(widget)) {
                if (auto* m = qstyleoption_cast<const QStyleOptionMenuItem*>(option)) {
                    QStyleOptionMenuItem item(*m);
                    item.palette.setColor(QPalette::Highlight, kListHighlight);
                    item.palette.setColor(QPalette::HighlightedText, QColor(0, 0, 0));
                    QProxyStyle::drawControl(element, &item, painter, widget);
                    return;
                }
            }
            break;
        default:
            break;
    }
    QProxyStyle::drawControl(element, option, painter, widget);
}

void OliveStyle::drawComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                                    QPainter* painter, const QWidget* widget) const {
    if (control == CC_SpinBox) {
        if (auto* sb = qstyleoption_cast<const QStyleOptionSpinBox*>(option)) {
            const bool on = enabled(sb);
            const bool readOnly = isReadOnly(sb, widget);
            painter->fillRect(sb->rect, sb->palette.brush(QPalette::Base));
            if (sb->frame && (sb->subControls & SC_SpinBoxFrame))
                drawEditFrame(painter, sb->rect, sb->palette, on, readOnly);
            const QColor border = on ? kEditFrame : disabledBorder(sb->palette);
            const bool plusMinus = sb->buttonSymbols == QAbstractSpinBox::PlusMinus;
            struct Part {
                SubControl sc;
                QAbstractSpinBox::StepEnabledFlag flag;
                Sign sign;
            };
            for (const Part part : {Part{SC_SpinBoxUp, QAbstractSpinBox::StepUpEnabled,
                                         plusMinus ? Sign::Plus : Sign::Up},
                                    Part{SC_SpinBoxDown, QAbstractSpinBox::StepDownEnabled,
                                         plusMinus ? Sign::Minus : Sign::Down}}) {
                if (!(sb->subControls & part.sc))
                    continue;
                const QRect r = proxy()->subControlRect(CC_SpinBox, sb, part.sc, widget);
                const bool stepOn = on && !readOnly && (sb->stepEnabled & part.flag);
                const bool active = sb->activeSubControls & part.sc;
                Face face = Face::Normal;
                if (!stepOn)
                    face = Face::Disabled;
                else if (active && (sb->state & State_Sunken))
                    face = Face::Pressed;
                else if (active && (sb->state & State_MouseOver))
                    face = Face::Hot;
                drawSmallFace(painter, r, face, border);
                drawSign(painter, face == Face::Pressed ? r.translated(1, 1) : r, part.sign,
                         stepOn ? kArrow : kDisabledCaption);
            }
            return;
        }
    } else if (control == CC_ComboBox) {
        if (auto* cb = qstyleoption_cast<const QStyleOptionComboBox*>(option)) {
            const bool on = enabled(cb);
            const QRect arrow = proxy()->subControlRect(CC_ComboBox, cb, SC_ComboBoxArrow, widget);
            if (cb->editable) {
                painter->fillRect(cb->rect, cb->palette.brush(QPalette::Base));
                if (cb->frame)
                    drawEditFrame(painter, cb->rect, cb->palette, on, false);
                Face face = on ? Face::Normal : Face::Disabled;
                if (on && (cb->activeSubControls & SC_ComboBoxArrow)) {
                    if (cb->state & State_Sunken)
                        face = Face::Pressed;
                    else if (cb->state & State_MouseOver)
                        face = Face::Hot;
                }
                const int fw = cb->frame ? kEditFrameWidth : 0;
                drawSmallFace(painter, arrow.adjusted(0, fw, -fw, -fw), face,
                              on ? kEditFrame : disabledBorder(cb->palette));
            } else {
                // The list's own button: the push-button face, so it reads as something to press.
                const bool open = cb->state & (State_On | State_Sunken);
                QStyleOption faceOption(*cb);
                if (open)
                    faceOption.state |= State_Sunken;
                drawButtonFace(painter, cb->rect, faceFor(&faceOption, false),
                               on ? kButtonBorder : disabledBorder(cb->palette));
                painter->save();
                painter->setRenderHint(QPainter::Antialiasing, false);
                painter->setPen(on ? kEditFrame : disabledBorder(cb->palette));
                const int x = cb->direction == Qt::RightToLeft ? arrow.right() : arrow.left();
                painter->drawLine(x, cb->rect.top() + 4, x, cb->rect.bottom() - 4);
                painter->restore();
                if (cb->state & State_HasFocus)
                    drawFocusRect(
                        painter, proxy()
                                     ->subControlRect(CC_ComboBox, cb, SC_ComboBoxEditField, widget)
                                     .adjusted(-1, 1, 1, -1));
            }
            drawSign(painter, arrow, Sign::Down, on ? kArrow : kDisabledCaption);
            return;
        }
    } else if (control == CC_GroupBox) {
        if (auto* gb = qstyleoption_cast<const QStyleOptionGroupBox*>(option)) {
            QStyleOptionGroupBox title(*gb);
            if ((gb->subControls & SC_GroupBoxFrame) && !(gb->features & QStyleOptionFrame::Flat)) {
                // The frame runs through the middle of the title and breaks around it.
                const QRect label =
                    proxy()->subControlRect(CC_GroupBox, gb, SC_GroupBoxLabel, widget);
                const QRect check =
                    proxy()->subControlRect(CC_GroupBox, gb, SC_GroupBoxCheckBox, widget);
                QRect frame = proxy()->subControlRect(CC_GroupBox, gb, SC_GroupBoxFrame, widget);
                const QRect head = (gb->text.isEmpty() ? QRect() : label) |
                                   ((gb->subControls & SC_GroupBoxCheckBox) ? check : QRect());
                if (head.isValid())
                    frame.setTop(qMax(frame.top(), head.center().y()));
                painter->save();
                if (head.isValid()) {
                    QRegion clip(gb->rect);
                    clip -= head.adjusted(-2, 0, 2, 0);
                    painter->setClipRegion(clip);
                }
                QStyleOptionGroupBox frameOption(*gb);
                frameOption.rect = frame;
                proxy()->drawPrimitive(PE_FrameGroupBox, &frameOption, painter, widget);
                painter->restore();
                title.subControls &= ~SC_GroupBoxFrame;
            }
            const QColor colour = enabled(gb) ? kButtonBorder : kDisabledText;
            title.textColor = colour;
            title.palette.setColor(QPalette::WindowText, colour);
            QProxyStyle::drawComplexControl(control, &title, painter, widget);
            return;
        }
    }
    QProxyStyle::drawComplexControl(control, option, painter, widget);
}

QRect OliveStyle::subControlRect(ComplexControl control, const QStyleOptionComplex* option,
                                 SubControl subControl, const QWidget* widget) const {
    if (control == CC_SpinBox) {
        if (auto* sb = qstyleoption_cast<const QStyleOptionSpinBox*>(option)) {
            const int fw = sb->frame ? kEditFrameWidth : 0;
            const QRect inner = sb->rect.adjusted(fw, fw, -fw, -fw);
            const int bw = sb->buttonSymbols == QAbstractSpinBox::NoButtons ? 0 : kSpinButtonWidth;
            const int upHeight = inner.height() / 2;
            QRect r;
            switch (subControl) {
                case SC_SpinBoxFrame:
                    return sb->rect;
                case SC_SpinBoxEditField:
                    r = QRect(inner.left() + 1, inner.top(), inner.width() - bw - 1,
                              inner.height());
                    break;
                case SC_SpinBoxUp:
                    if (bw == 0)
                        return {};
                    r = QRect(inner.right() - bw + 1, inner.top(), bw, upHeight);
                    break;
                case SC_SpinBoxDown:
                    if (bw == 0)
                        return {};
                    r = QRect(inner.right() - bw + 1, inner.top() + upHeight, bw,
                              inner.height() - upHeight);
                    break;
                default:
                    return QProxyStyle::subControlRect(control, option, subControl, widget);
            }
            return visualRect(sb->direction, sb->rect, r);
        }
    }
    if (control == CC_GroupBox &&
        (subControl == SC_GroupBoxLabel || subControl == SC_GroupBoxCheckBox)) {
        // Inset the title so the frame line starts before it.
        if (auto* gb = qstyleoption_cast<const QStyleOptionGroupBox*>(option);
            gb && !(gb->features & QStyleOptionFrame::Flat)) {
            const QRect r = QProxyStyle::subControlRect(control, option, subControl, widget);
            return r.translated(gb->direction == Qt::RightToLeft ? -6 : 6, 0);
        }
    }
    return QProxyStyle::subControlRect(control, option, subControl, widget);
}

int OliveStyle::pixelMetric(PixelMetric metric, const QStyleOption* option,
                            const QWidget* widget) const {
    switch (metric) {
        case PM_IndicatorWidth:
        case PM_IndicatorHeight:
        case PM_ExclusiveIndicatorWidth:
        case PM_ExclusiveIndicatorHeight:
            return kIndicatorSize;
        case PM_DefaultFrameWidth:
            if (qobject_cast<const QLineEdit*>(widget) || isTextEdit(widget) ||
                qobject_cast<const QAbstractSpinBox*>(widget))
                return kEditFrameWidth;
            break;
        default:
            break;
    }
    return QProxyStyle::pixelMetric(metric, option, widget);
}

int OliveStyle::styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                          QStyleHintReturn* returnData) const {
    switch (hint) {
        // Disabled captions are drawn flat in their own colour, never etched or dithered.
        case SH_EtchDisabledText:
        case SH_DitherDisabledText:
            return 0;
        case SH_GroupBox_TextLabelColor:
            return int(kButtonBorder.rgba());
        default:
            break;
    }
    return QProxyStyle::styleHint(hint, option, widget, returnData);
}

void applySkin() {
    // Native dialogs are drawn by the desktop and would escape the skin.
    QApplication::setAttribute(Qt::AA_DontUseNativeDialogs, true);
    if (qobject_cast<OliveStyle*>(QApplication::style()))
        return;
    QApplication::setStyle(new OliveStyle);
}

}  // namespace tq::ui::skin
