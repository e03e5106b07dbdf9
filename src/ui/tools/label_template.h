#pragma once

#include <QLineF>
#include <QRect>
#include <QSize>
#include <QString>
#include <array>

class QPainter;

namespace ondrel::ui {

// The button-label template: ten label texts placed like the panel's buttons, each inside its
// cut outline. Geometry in twips (1440 per inch); the template prints at this size.
namespace labels {
inline constexpr int kCount = 10;
inline constexpr QSize kClientSize{7350, 8565};

struct Face {
    QString text;
    double pointSize = 9.75;
    bool bold = false;
};

// The label texts as the template first shows them.
std::array<Face, kCount> initialFaces();
QRect labelRect(int index);
// The outline of label `index`: 1320 x 720 for the top pair, 840 x 1200 below.
QRect cellRect(int index);
// The four cut lines of cell `index`: top, right, bottom, left (Line1 to Line4).
std::array<QLineF, 4> cutLines(int index);

// Paints the cut lines and the label texts. The painter's unit must be one twip; fonts are sized
// in twips (20 per point) so that text keeps its size on screen and on paper.
void paint(QPainter& painter, const std::array<Face, kCount>& faces);
} // namespace labels

} // namespace ondrel::ui
