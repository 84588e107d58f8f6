// The skin is checked where users see it: on grabs of real widgets, at named pixels.
#include <gtest/gtest.h>
#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QImage>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QSpinBox>
#include <QToolButton>

#include <functional>
#include <memory>
#include <set>
#include <string>
#include <utility>

#include "ui/skin/olivestyle.h"

namespace {

using tq::ui::skin::applySkin;

const QRgb kButtonBorder = qRgb(55, 98, 6);
const QRgb kDisabledCaption = qRgb(165, 162, 148);
const QRgb kCheckBorder = qRgb(24, 81, 132);
const QRgb kTick = qRgb(33, 162, 33);
const QRgb kEditFrame = qRgb(164, 185, 127);
const QRgb kEditBackground = qRgb(215, 240, 255);  // what the main window gives its edit boxes
const QRgb kHostBackground = qRgb(250, 200, 120);  // distinct from anything the skin draws

std::string hex(QRgb c) {
    return QStringLiteral("#%1").arg(c & 0xffffff, 6, 16, QLatin1Char('0')).toStdString();
}

QRgb at(const QImage& img, int x, int y) {
    return img.pixel(x, y) | 0xff000000u;
}

QImage grabOf(QWidget& w) {
    return w.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

QRgb darkenedBy32(QColor c) {
    return qRgb(qMax(0, c.red() - 32), qMax(0, c.green() - 32), qMax(0, c.blue() - 32));
}

// Pixels of one exact colour; only fully covered pixels of a glyph or line qualify, so the
// result does not depend on the background they are blended over.
std::set<std::pair<int, int>> pixelsOf(const QImage& img, QRgb colour, QRect area = {}) {
    if (area.isNull())
        area = img.rect();
    std::set<std::pair<int, int>> out;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (at(img, x, y) == colour)
                out.insert({x, y});
    return out;
}

QRect boundsOf(const std::set<std::pair<int, int>>& pixels) {
    QRect r;
    for (auto [x, y] : pixels)
        r |= QRect(x, y, 1, 1);
    return r;
}

QFont bigCaptionFont() {
    QFont f = QApplication::font();
    f.setPixelSize(20);
    f.setBold(true);
    return f;
}

// A window to put the controls in, with a background the corners must blend into.
struct Host {
    QWidget window;
    Host() {
        window.resize(300, 200);
        window.setAutoFillBackground(true);
        QPalette p = window.palette();
        p.setColor(QPalette::Window, QColor(kHostBackground));
        window.setPalette(p);
    }
    template <class W, class... Args>
    W* add(QRect geometry, Args&&... args) {
        auto* w = new W(std::forward<Args>(args)..., &window);
        w->setGeometry(geometry);
        return w;
    }
    void show() {
        window.show();
        QApplication::processEvents();
    }
};

// A button that existed before the skin was applied: the skin must reach it too.
QPointer<QWidget> gEarlyWindow;

class SkinEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        auto* early = new QWidget;
        early->resize(160, 60);
        auto* b = new QPushButton("Early", early);
        b->setObjectName("early");
        b->setGeometry(10, 10, 120, 32);
        early->show();
        QApplication::processEvents();
        gEarlyWindow = early;
        applySkin();
    }
    void TearDown() override { delete gEarlyWindow.data(); }
};

const auto* const gEnvironment = ::testing::AddGlobalTestEnvironment(new SkinEnvironment);

void expectBorder(const QImage& img, QRgb colour, const std::string& what) {
    const int w = img.width(), h = img.height();
    const std::pair<int, int> mids[] = {{0, h / 2}, {w - 1, h / 2}, {w / 2, 0}, {w / 2, h - 1}};
    for (auto [x, y] : mids)
        EXPECT_EQ(hex(at(img, x, y)), hex(colour)) << what << " at " << x << "," << y;
}

TEST(Skin, AppliesAppWideAndSwitchesToQtDialogs) {
    EXPECT_TRUE(qobject_cast<tq::ui::skin::OliveStyle*>(QApplication::style()));
    EXPECT_TRUE(QApplication::testAttribute(Qt::AA_DontUseNativeDialogs));
    applySkin();  // a second call keeps the same style object
    EXPECT_TRUE(qobject_cast<tq::ui::skin::OliveStyle*>(QApplication::style()));
}

TEST(Skin, ReachesButtonsThatExistedBeforeIt) {
    ASSERT_TRUE(gEarlyWindow);
    auto* b = gEarlyWindow->findChild<QPushButton*>("early");
    ASSERT_NE(b, nullptr);
    expectBorder(grabOf(*b), kButtonBorder, "early button");
}

struct ButtonCase {
    const char* name;
    std::function<void(QPushButton&)> setUp;
};

TEST(Skin, PushButtonBorderInEveryStateAndCornersShowTheParent) {
    const ButtonCase cases[] = {
        {"normal", [](QPushButton&) {}},
        {"pressed", [](QPushButton& b) { b.setDown(true); }},
        {"checked",
         [](QPushButton& b) {
             b.setCheckable(true);
             b.setChecked(true);
         }},
        {"default", [](QPushButton& b) { b.setDefault(true); }},
        {"focused", [](QPushButton& b) { b.setFocus(); }},
    };
    for (const auto& c : cases) {
        Host host;
        auto* b = host.add<QPushButton>(QRect(10, 10, 120, 32), "OK");
        host.show();
        c.setUp(*b);
        expectBorder(grabOf(*b), kButtonBorder, c.name);
        const QImage window = grabOf(host.window);
        EXPECT_EQ(hex(at(window, 10, 10)), hex(kHostBackground)) << c.name << ": corner";
        EXPECT_EQ(hex(at(window, 10 + 119, 10 + 31)), hex(kHostBackground)) << c.name;
    }
}

TEST(Skin, PushButtonCaptionBlackAndDisabledColours) {
    Host host;
    auto* on = host.add<QPushButton>(QRect(10, 10, 140, 36), "HIH");
    auto* off = host.add<QPushButton>(QRect(10, 60, 140, 36), "HIH");
    on->setFont(bigCaptionFont());
    off->setFont(bigCaptionFont());
    off->setEnabled(false);
    host.show();

    const QRect inside(4, 4, 132, 28);
    const QImage onImg = grabOf(*on);
    EXPECT_FALSE(pixelsOf(onImg, qRgb(0, 0, 0), inside).empty()) << "black caption";

    const QImage offImg = grabOf(*off);
    expectBorder(offImg, darkenedBy32(off->palette().color(QPalette::Disabled, QPalette::Button)),
                 "disabled button");
    EXPECT_FALSE(pixelsOf(offImg, kDisabledCaption, inside).empty()) << "disabled caption";
    EXPECT_TRUE(pixelsOf(offImg, qRgb(0, 0, 0), inside).empty());
}

TEST(Skin, PressedCaptionMovesOnePixelRightAndDownUntilReleased) {
    Host host;
    auto* b = host.add<QPushButton>(QRect(10, 10, 140, 36), "HIH");
    b->setFont(bigCaptionFont());
    host.show();
    const QRect inside(4, 4, 132, 28);
    const auto up = pixelsOf(grabOf(*b), qRgb(0, 0, 0), inside);
    ASSERT_FALSE(up.empty());

    b->setDown(true);
    const auto down = pixelsOf(grabOf(*b), qRgb(0, 0, 0), inside);
    std::set<std::pair<int, int>> shifted;
    for (auto [x, y] : up)
        shifted.insert({x + 1, y + 1});
    EXPECT_EQ(down, shifted);
    EXPECT_EQ(boundsOf(down), boundsOf(up).translated(1, 1));

    b->setDown(false);
    EXPECT_EQ(pixelsOf(grabOf(*b), qRgb(0, 0, 0), inside), up);
}

struct CheckCase {
    const char* name;
    Qt::LayoutDirection direction;
    bool checked;
    bool enabled;
};

TEST(Skin, CheckBoxIsA13PixelBoxWithGreenTick) {
    const CheckCase cases[] = {
        {"unchecked, box left", Qt::LeftToRight, false, true},
        {"checked, box left", Qt::LeftToRight, true, true},
        {"checked, text on the left", Qt::RightToLeft, true, true},
        {"disabled", Qt::LeftToRight, false, false},
    };
    for (const auto& c : cases) {
        Host host;
        auto* cb = host.add<QCheckBox>(QRect(10, 10, 200, 24), "Only dropped");
        cb->setLayoutDirection(c.direction);
        cb->setChecked(c.checked);
        cb->setEnabled(c.enabled);
        host.show();
        const QImage img = grabOf(*cb);

        const QRgb border =
            c.enabled ? kCheckBorder
                      : darkenedBy32(cb->palette().color(QPalette::Disabled, QPalette::Button));
        const QRect box = boundsOf(pixelsOf(img, border));
        ASSERT_EQ(box.size(), QSize(13, 13)) << c.name;
        for (int i = 0; i < 13; ++i) {
            EXPECT_EQ(at(img, box.left() + i, box.top()), border) << c.name;
            EXPECT_EQ(at(img, box.left(), box.top() + i), border) << c.name;
            EXPECT_EQ(at(img, box.right(), box.top() + i), border) << c.name;
            EXPECT_EQ(at(img, box.left() + i, box.bottom()), border) << c.name;
        }
        if (c.direction == Qt::LeftToRight) {
            EXPECT_LT(box.right(), img.width() / 2) << c.name;
        } else {
            EXPECT_GT(box.left(), img.width() / 2) << c.name;
        }

        const QRect inside = box.adjusted(1, 1, -1, -1);
        EXPECT_EQ(!pixelsOf(img, kTick, inside).empty(), c.checked) << c.name;
        if (!c.enabled) {
            EXPECT_EQ(pixelsOf(img, qRgb(255, 255, 255), inside).size(), 11u * 11u) << c.name;
        }
    }
}

TEST(Skin, CheckBoxCaptionTakesThePaletteTextColourAndGreyWhenDisabled) {
    Host host;
    QPalette p = host.window.palette();
    p.setColor(QPalette::WindowText, QColor(0, 0, 160));
    auto* on = host.add<QCheckBox>(QRect(10, 10, 200, 30), "HIH");
    auto* off = host.add<QCheckBox>(QRect(10, 50, 200, 30), "HIH");
    for (auto* cb : {on, off}) {
        cb->setPalette(p);
        cb->setFont(bigCaptionFont());
    }
    off->setEnabled(false);
    host.show();

    const QRect caption(20, 0, 180, 30);
    EXPECT_FALSE(pixelsOf(grabOf(*on), qRgb(0, 0, 160), caption).empty());

    const QImage offImg = grabOf(*off);
    EXPECT_TRUE(pixelsOf(offImg, qRgb(0, 0, 160), caption).empty());
    int darkest = 255;
    for (int y = 0; y < 30; ++y)
        for (int x = caption.left(); x < 200; ++x) {
            const QColor c = QColor::fromRgb(at(offImg, x, y));
            if (c.red() == c.green() && c.green() == c.blue())
                darkest = qMin(darkest, c.red());
        }
    EXPECT_GT(darkest, 64) << "grey, not black";
    EXPECT_LT(darkest, 200) << "still readable";
}

struct EditCase {
    const char* name;
    std::function<QWidget*(QWidget*)> make;
    bool readOnly;
    bool enabled;
};

TEST(Skin, EditBoxFrameIsAnOliveLineWithAnInnerLine) {
    auto lineEdit = [](QWidget* parent) { return new QLineEdit("text", parent); };
    auto plainEdit = [](QWidget* parent) { return new QPlainTextEdit("text", parent); };
    auto spinBox = [](QWidget* parent) { return new QSpinBox(parent); };
    const EditCase cases[] = {
        {"line edit", lineEdit, false, true},
        {"line edit, read-only", lineEdit, true, true},
        {"line edit, disabled", lineEdit, false, false},
        {"multi-line edit", plainEdit, false, true},
        {"multi-line edit, read-only", plainEdit, true, true},
        {"multi-line edit, disabled", plainEdit, false, false},
        {"spin box", spinBox, false, true},
        {"spin box, read-only", spinBox, true, true},
    };
    for (const auto& c : cases) {
        Host host;
        QWidget* edit = c.make(&host.window);
        edit->setGeometry(10, 10, 180, 40);
        QPalette p = edit->palette();
        p.setColor(QPalette::Base, QColor(kEditBackground));
        edit->setPalette(p);
        if (auto* e = qobject_cast<QLineEdit*>(edit))
            e->setReadOnly(c.readOnly);
        if (auto* e = qobject_cast<QPlainTextEdit*>(edit))
            e->setReadOnly(c.readOnly);
        if (auto* e = qobject_cast<QAbstractSpinBox*>(edit))
            e->setReadOnly(c.readOnly);
        edit->setEnabled(c.enabled);
        host.show();

        const QImage img = grabOf(*edit);
        const QPalette::ColorGroup group = c.enabled ? QPalette::Active : QPalette::Disabled;
        const QRgb outer = c.enabled ? kEditFrame : darkenedBy32(p.color(group, QPalette::Button));
        const QRgb inner = (c.enabled && !c.readOnly)
                               ? kEditBackground
                               : edit->palette().color(group, QPalette::Button).rgb();
        const int h = img.height();
        EXPECT_EQ(hex(at(img, 0, h / 2)), hex(outer)) << c.name << ": left frame";
        EXPECT_EQ(hex(at(img, 40, 0)), hex(outer)) << c.name << ": top frame";
        EXPECT_EQ(hex(at(img, 1, h / 2)), hex(inner)) << c.name << ": left inner line";
        EXPECT_EQ(hex(at(img, 40, 1)), hex(inner)) << c.name << ": top inner line";
    }
}

TEST(Skin, FocusRectangleOnlyWhileFocused) {
    // The caption is blue so that the black dots of the focus rectangle stand out from it.
    Host host;
    QPalette p = host.window.palette();
    p.setColor(QPalette::WindowText, QColor(0, 0, 160));
    p.setColor(QPalette::ButtonText, QColor(0, 0, 160));
    auto* button = host.add<QPushButton>(QRect(10, 10, 120, 32), "OK");
    auto* check = host.add<QCheckBox>(QRect(10, 60, 200, 24), "Only dropped");
    check->setPalette(p);
    host.show();
    host.window.activateWindow();
    QApplication::processEvents();
    const QRgb dot = qRgb(0, 0, 0);
    // On the button the rectangle runs along row 3, clear of the caption.
    auto buttonDots = [&] { return pixelsOf(grabOf(*button), dot, QRect(4, 3, 112, 1)); };
    auto checkDots = [&] { return pixelsOf(grabOf(*check), dot, QRect(16, 0, 184, 24)); };

    button->setFocus();
    ASSERT_TRUE(button->hasFocus());
    EXPECT_FALSE(buttonDots().empty());
    EXPECT_TRUE(checkDots().empty());
    check->setFocus();
    ASSERT_TRUE(check->hasFocus());
    EXPECT_TRUE(buttonDots().empty());
    EXPECT_FALSE(checkDots().empty());
}

// Opens a top-level window without blocking and returns its first enabled text push button.
QPushButton* firstTextButton(QWidget& window) {
    window.show();
    QApplication::processEvents();
    for (auto* b : window.findChildren<QPushButton*>())
        if (b->isVisible() && b->isEnabled() && !b->text().isEmpty())
            return b;
    return nullptr;
}

TEST(Skin, MessageBoxOpenedLaterWearsTheSkin) {
    QMessageBox box(QMessageBox::Question, "Question", "Clear the list?",
                    QMessageBox::Yes | QMessageBox::No);
    QPushButton* b = firstTextButton(box);
    ASSERT_NE(b, nullptr);
    expectBorder(grabOf(*b), kButtonBorder, "message box button");
}

TEST(Skin, OpenDialogIsQtsOwnAndWearsTheSkin) {
    QFileDialog dialog(nullptr, QString(), QString(), "Text (*.txt)");
    dialog.setFileMode(QFileDialog::ExistingFile);
    QPushButton* b = firstTextButton(dialog);
    ASSERT_NE(b, nullptr) << "the dialog is Qt's own, with widget buttons";
    expectBorder(grabOf(*b), kButtonBorder, "open dialog button");

    auto* name = dialog.findChild<QLineEdit*>("fileNameEdit");
    ASSERT_NE(name, nullptr);
    EXPECT_EQ(hex(at(grabOf(*name), 0, name->height() / 2)), hex(kEditFrame));
}

TEST(Skin, PictureButtonsAndToolButtonsKeepTheirOwnLook) {
    Host host;
    QPixmap picture(16, 16);
    picture.fill(Qt::red);
    auto* pictureButton = host.add<QPushButton>(QRect(10, 10, 40, 32), QIcon(picture), QString());
    auto* tool = host.add<QToolButton>(QRect(60, 10, 60, 32));
    tool->setText("Tool");
    tool->setToolButtonStyle(Qt::ToolButtonTextOnly);
    host.show();
    EXPECT_TRUE(pixelsOf(grabOf(*pictureButton), kButtonBorder).empty());
    EXPECT_TRUE(pixelsOf(grabOf(*tool), kButtonBorder).empty());
}

}  // namespace
