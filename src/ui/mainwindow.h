#pragma once
#include <QWidget>

namespace tq::ui {

class MainWindow : public QWidget {
    Q_OBJECT
public:
    explicit MainWindow(QWidget* parent = nullptr);
};

}  // namespace tq::ui
