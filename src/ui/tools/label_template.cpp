#include "ui/tools/label_template.h"

#include <QPainter>
#include <algorithm>

namespace ondrel::ui::labels {
namespace {
struct Place {
    const char* caption;
    int left, top, width, height;
    double pointSize;
};
constexpr Place kPlaces[kCount] = {
    {"On", 1560, 1560, 1095, 495, 13.5},          {"Off", 4680, 1560, 1095, 495, 13.5},
    {"Volume Up", 720, 3000, 615, 975, 9.75},     {"Volume Down", 720, 4920, 615, 975, 9.75},
    {"VCR", 2400, 3000, 615, 975, 9.75},          {"DVD", 2400, 4920, 615, 975, 9.75},
    {"VGA One", 4080, 3000, 615, 975, 9.75},      {"VGA Two", 4080, 4920, 615, 975, 9.75},
    {"Black Screen", 5760, 3000, 615, 975, 9.75}, {"Auto Image", 5760, 4920, 615, 975, 9.75},
};
constexpr int kTwipsPerPoint = 20;
constexpr int kLineWidth = 15; // one pixel of the screen template
} // namespace

std::array<Face, kCount> initialFaces() {
    std::array<Face, kCount> faces;
    for (int i = 0; i < kCount; ++i)
        faces[static_cast<size_t>(i)] = {QString::fromLatin1(kPlaces[i].caption),
                                         kPlaces[i].pointSize, false};
    return faces;
}

QRect labelRect(int index) {
    const Place& p = kPlaces[index];
    return {p.left, p.top, p.width, p.height};
}

QRect cellRect(int index) {
    if (index < 2)
        return {index == 0 ? 1440 : 4560, 1440, 1320, 720};
    const int column = (index - 2) / 2;
    return {600 + 1680 * column, index % 2 == 0 ? 2880 : 4800, 840, 1200};
}

std::array<QLineF, 4> cutLines(int index) {
    const QRectF r = cellRect(index);
    return {QLineF(r.topLeft(), r.topRight()), QLineF(r.topRight(), r.bottomRight()),
            QLineF(r.bottomLeft(), r.bottomRight()), QLineF(r.topLeft(), r.bottomLeft())};
}

void paint(QPainter& painter, const std::array<Face, kCount>& faces) {
    painter.save();
    painter.setPen(QPen(Qt::black, kLineWidth, Qt::SolidLine, Qt::SquareCap));
    for (int i = 0; i < kCount; ++i)
        for (const QLineF& line : cutLines(i))
            painter.drawLine(line);
    constexpr int kFlags = Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap | Qt::TextDontClip;
    constexpr int kSmallest = 4 * kTwipsPerPoint; // a text needs some size to be read at all
    for (int i = 0; i < kCount; ++i) {
        const Face& face = faces[static_cast<size_t>(i)];
        QFont font(QStringLiteral("MS Sans Serif"));
        font.setBold(face.bold);
        // A text too large for its cell is made smaller until it fits inside the cut lines,
        // measured on the device it goes to, so screen and paper agree.
        const QRect room =
            cellRect(i).adjusted(2 * kLineWidth, 2 * kLineWidth, -2 * kLineWidth, -2 * kLineWidth);
        int size = qRound(face.pointSize * kTwipsPerPoint);
        for (;;) {
            font.setPixelSize(size);
            painter.setFont(font);
            const QRectF needed = painter.boundingRect(QRectF(labelRect(i)), kFlags, face.text);
            if (QRectF(room).contains(needed) || size <= kSmallest)
                break;
            size = std::max(kSmallest, size * 9 / 10);
        }
        painter.drawText(labelRect(i), kFlags, face.text);
    }
    painter.restore();
}

} // namespace ondrel::ui::labels
