#pragma once

#include "result.h"
#include "ui/tools/label_template.h"

#include <QLabel>
#include <QPointer>
#include <QWidget>
#include <array>

class QPrinter;
class QPushButton;

namespace ondrel::ui {

class DlgNewLabel;

// A label of the template: holds caption and font; a click, or Enter or Space while it has the
// focus, opens the label dialog for it. The window paints the text, exactly as on paper, so a
// word wider than its label is not cut; the label itself shows only the focus.
class TemplateLabel : public QLabel {
    Q_OBJECT
public:
    explicit TemplateLabel(QWidget* parent);
signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
};

// "Button Labels": the full-size template of the panel's button inserts, printed with "Print".
// Captions, sizes and weights live only while the window is open.
class FrmLabels : public QWidget {
    Q_OBJECT
public:
    explicit FrmLabels(QWidget* parent = nullptr);

    // The label being edited in the label dialog.
    int labelNum = 0;

    labels::Face face(int index) const;
    std::array<labels::Face, labels::kCount> faces() const;
    void setCaption(int index, const QString& text);
    void setFontSize(int index, double pointSize);
    void setBold(int index, bool bold);

    // Prints the template on `printer` at its size, "Print" hidden meanwhile. A failure shows the
    // printing message and is returned.
    Status printTo(QPrinter& printer);

protected:
    void paintEvent(QPaintEvent* event) override;
    // On a screen too small for the full-size template the window may be made smaller; the
    // template is then drawn to scale (printing keeps the full size).
    void resizeEvent(QResizeEvent* event) override;

private:
    void labelClicked(int index);
    void print();
    void printToPdfFile(const QString& fileName);

    std::array<TemplateLabel*, labels::kCount> labels_{};
    QPushButton* cmdPrint_ = nullptr;
    QPointer<DlgNewLabel> dialog_;
    double scale_ = 1; // of the template on screen
};

} // namespace ondrel::ui
