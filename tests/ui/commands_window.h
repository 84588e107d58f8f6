#pragma once
// The window the command tests drive: the named controls of the main window, of the right
// kinds, without the layout.
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QWidget>

#include "app/timer.h"

namespace tq::ui::testing {

class FieldsWindow : public QWidget {
public:
    FieldsWindow() {
        make<QPlainTextEdit>("编辑框1");
        make<QLineEdit>("编辑框2");
        make<QPlainTextEdit>("编辑框_检测结果");
        make<QCheckBox>("选择框1");
        make<QLabel>("透明标签2");
        make<QLabel>("透明标签7")->setText(QString::fromUtf8("未检测..."));
        make<QLabel>("透明标签8")->setText(QStringLiteral("\r\n"));
        for (const char* name :
             {"按钮_统计地址个数", "按钮_统计地址个数1", "按钮_统计地址个数2", "按钮_统计地址个数3",
              "按钮_保存配置", "按钮1", "按钮2", "按钮3", "按钮4"})
            make<QPushButton>(name);
        (new app::CheckTimer(this))->setObjectName(QString::fromUtf8("时钟1"));
    }

private:
    template <typename T>
    T* make(const char* name) {
        auto* w = new T(this);
        w->setObjectName(QString::fromUtf8(name));
        return w;
    }
};

// The window under test; the main window takes this place once it carries every control.
using TestWindow = FieldsWindow;

}  // namespace tq::ui::testing
