// A label insert text too large for its cell is shrunk to fit inside its cut lines.
#include "ui/tools/frm_labels.h"
#include "ui/tools/label_template.h"
#include "ui/widgets/twips.h"

#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <gtest/gtest.h>

using namespace ondrel;

TEST(LongNames, ALabelTextTooWideForItsCellIsShrunkInsideIt) {
    auto faces = ui::labels::initialFaces();
    for (auto& face : faces)
        face.text.clear();
    constexpr int kCell = 4; // "VCR", with cells on both sides
    faces[kCell] = {QStringLiteral("Presentation Document Camera"), 18, true};
    QImage image(ui::twipsToPixels(QSizeF(ui::labels::kClientSize)), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.scale(1 / ui::kTwipsPerPixel, 1 / ui::kTwipsPerPixel);
    ui::labels::paint(painter, faces);
    painter.end();

    const QRect cell = ui::twipsToPixels(QRectF(ui::labels::cellRect(kCell)));
    int inkInside = 0, inkOutside = 0;
    for (int y = cell.top() + 2; y < cell.bottom() - 1; ++y)
        for (int x = cell.left() - 50; x <= cell.right() + 50; ++x) {
            const bool dark = qGray(image.pixel(x, y)) < 128;
            if (x > cell.left() + 1 && x < cell.right() - 1)
                inkInside += dark;
            else if (x < cell.left() - 2 || x > cell.right() + 2)
                inkOutside += dark;
        }
    EXPECT_GT(inkInside, 50);
    EXPECT_EQ(inkOutside, 0);
}

TEST(LongNames, OnASmallScreenTheLabelTemplateIsDrawnToScale) {
    ui::FrmLabels window;
    window.resize(300, 300); // as the window placement does where the full size does not fit
    window.show();
    const auto* print = window.findChild<QPushButton*>(QStringLiteral("Command1"));
    EXPECT_TRUE(window.rect().contains(print->geometry()));
    EXPECT_EQ(window.findChild<QLabel*>(QStringLiteral("Label1_9"))->geometry(),
              ui::twipsToPixels(QRectF(QRectF(ui::labels::labelRect(9)).topLeft() * 300 / 571,
                                       QSizeF(ui::labels::labelRect(9).size()) * 300 / 571)));
}
