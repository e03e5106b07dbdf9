#pragma once

#include <QWidget>

namespace ondrel::ui {

// "Light Setup": kept as a window of the tool, without controls or behaviour yet. No menu opens
// it; the main window closes it with the others.
class FrmLights : public QWidget {
    Q_OBJECT
public:
    explicit FrmLights(QWidget* parent = nullptr);
};

} // namespace ondrel::ui
