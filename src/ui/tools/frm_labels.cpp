#include "ui/tools/frm_labels.h"

#include "ui/tools/dlg_new_label.h"
#include "ui/widgets/messages.h"
#include "ui/widgets/twips.h"
#include "ui/widgets/window_placement.h"

#include <QDir>
#include <QFileDialog>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QStandardPaths>
#include <algorithm>

namespace ondrel::ui {

TemplateLabel::TemplateLabel(QWidget* parent) : QLabel(parent) {
    setFocusPolicy(Qt::StrongFocus);
}

void TemplateLabel::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        emit clicked();
        return;
    default:
        QLabel::keyPressEvent(event);
    }
}

void TemplateLabel::paintEvent(QPaintEvent*) {
    if (!hasFocus())
        return;
    QPainter painter(this);
    painter.setPen(QPen(palette().highlight().color(), 1, Qt::DotLine));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

void TemplateLabel::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        emit clicked();
    QLabel::mousePressEvent(event);
}

FrmLabels::FrmLabels(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("frmLabels"));
    closeOnEscape(this);
    setWindowTitle(QStringLiteral("Button Labels"));
    setAttribute(Qt::WA_DeleteOnClose);
    const QSize full = twipsToPixels(QSizeF(labels::kClientSize));
    setMaximumSize(full);
    setMinimumSize(full / 2);
    resize(full);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);
    setAutoFillBackground(true);

    const auto faces = labels::initialFaces();
    for (int i = 0; i < labels::kCount; ++i) {
        auto* label = new TemplateLabel(this);
        label->setObjectName(QStringLiteral("Label1_%1").arg(i));
        label->setGeometry(twipsToPixels(QRectF(labels::labelRect(i))));
        label->setCursor(Qt::PointingHandCursor);
        label->setToolTip(QStringLiteral("Click to change this label"));
        label->setFont(QFont(QStringLiteral("MS Sans Serif")));
        label->setText(faces[static_cast<size_t>(i)].text);
        labels_[static_cast<size_t>(i)] = label;
        setFontSize(i, faces[static_cast<size_t>(i)].pointSize);
        connect(label, &TemplateLabel::clicked, this, [this, i] { labelClicked(i); });
    }

    cmdPrint_ = new QPushButton(QStringLiteral("Print"), this);
    cmdPrint_->setObjectName(QStringLiteral("Command1"));
    cmdPrint_->setGeometry(twipsToPixels(QRectF(2640, 7200, 2055, 855)));
    connect(cmdPrint_, &QPushButton::clicked, this, &FrmLabels::print);
}

labels::Face FrmLabels::face(int index) const {
    const QLabel* label = labels_.at(static_cast<size_t>(index));
    return {label->text(), label->font().pointSizeF(), label->font().bold()};
}

std::array<labels::Face, labels::kCount> FrmLabels::faces() const {
    std::array<labels::Face, labels::kCount> out;
    for (int i = 0; i < labels::kCount; ++i)
        out[static_cast<size_t>(i)] = face(i);
    return out;
}

void FrmLabels::setCaption(int index, const QString& text) {
    labels_.at(static_cast<size_t>(index))->setText(text);
    update();
}

void FrmLabels::setFontSize(int index, double pointSize) {
    QLabel* label = labels_.at(static_cast<size_t>(index));
    QFont font = label->font();
    font.setPointSizeF(pointSize);
    label->setFont(font);
    update();
}

void FrmLabels::setBold(int index, bool bold) {
    QLabel* label = labels_.at(static_cast<size_t>(index));
    QFont font = label->font();
    font.setBold(bold);
    label->setFont(font);
    update();
}

void FrmLabels::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.scale(scale_ / kTwipsPerPixel, scale_ / kTwipsPerPixel);
    labels::paint(painter, faces());
}

void FrmLabels::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    const QSizeF full(labels::kClientSize);
    scale_ =
        std::min(pixelsToTwips(width()) / full.width(), pixelsToTwips(height()) / full.height());
    auto place = [this](QWidget* w, const QRectF& twips) {
        w->setGeometry(twipsToPixels(QRectF(twips.topLeft() * scale_, twips.size() * scale_)));
    };
    for (int i = 0; i < labels::kCount; ++i)
        place(labels_.at(size_t(i)), QRectF(labels::labelRect(i)));
    place(cmdPrint_, QRectF(2640, 7200, 2055, 855));
}

void FrmLabels::labelClicked(int index) {
    labelNum = index;
    if (!dialog_)
        dialog_ = new DlgNewLabel(this);
    dialog_->show();
    dialog_->raise();
    dialog_->activateWindow();
    dialog_->setLabelText(labels_.at(static_cast<size_t>(index))->text());
}

void FrmLabels::print() {
    if (!QPrinterInfo::availablePrinters().isEmpty()) {
        auto* printer = new QPrinter(QPrinter::HighResolution);
        auto* dialog = new QPrintDialog(printer, this);
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        connect(dialog, &QDialog::finished, this, [printer] { delete printer; });
        // printTo tells the installer about a failure itself; nothing more to do with it here.
        connect(dialog, &QDialog::accepted, this,
                [this, printer] { static_cast<void>(printTo(*printer)); });
        dialog->open();
        return;
    }
    // No printer installed: the template goes to a PDF file the installer can print elsewhere.
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    auto* dialog = new QFileDialog(this, QStringLiteral("No printer found: save the labels as PDF"),
                                   QDir(folder).filePath(QStringLiteral("Button Labels.pdf")),
                                   QStringLiteral("PDF files (*.pdf)"));
    dialog->setObjectName(QStringLiteral("pdfFileDialog"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setDefaultSuffix(QStringLiteral("pdf"));
    connect(dialog, &QFileDialog::fileSelected, this, &FrmLabels::printToPdfFile);
    dialog->open();
}

void FrmLabels::printToPdfFile(const QString& fileName) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(fileName);
    static_cast<void>(printTo(printer)); // a failure is shown by printTo
}

Status FrmLabels::printTo(QPrinter& printer) {
    cmdPrint_->hide();
    // Positions on paper are the template's own, measured from the paper's corner.
    printer.setFullPage(true);
    printer.setDocName(windowTitle());
    QPainter painter;
    bool ok = painter.begin(&printer);
    if (ok) {
        painter.scale(printer.resolution() / 1440.0, printer.resolution() / 1440.0);
        labels::paint(painter, faces());
        ok = painter.end() && printer.printerState() != QPrinter::Error;
    }
    cmdPrint_->show();
    if (ok)
        return Ok{};
    const QString text = QStringLiteral("There was an error Pringing.  Make sure printer is\r\n"
                                        "Connected properly and try again.");
    showMessage(this, QMessageBox::Information, QStringLiteral("No Printer Found."), text);
    return makeError(text);
}

} // namespace ondrel::ui
