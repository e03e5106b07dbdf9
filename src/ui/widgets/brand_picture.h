#pragma once

#include <QFont>
#include <QPixmap>
#include <QSize>

namespace ondrel::ui {

// The maker's brand picture, drawn rather than shipped so that it scales cleanly to any size.
QPixmap brandPicture(QSize size);

// The face the product name "Ondrel" is always written in: bold Courier New.
QFont productNameFont(int pointSize);

} // namespace ondrel::ui
