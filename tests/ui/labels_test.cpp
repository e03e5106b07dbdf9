#include "support/test_support.h"
#include "support/ui_helpers.h"
#include "ui/tools/dlg_new_label.h"
#include "ui/tools/frm_labels.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QImage>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPointer>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <algorithm>
#include <gtest/gtest.h>
#include <map>

using namespace ondrel;
using namespace ondrel::ui;

namespace {

QLabel* label(FrmLabels& w, int i) {
    return w.findChild<QLabel*>(QStringLiteral("Label1_%1").arg(i));
}

DlgNewLabel* openDialogFor(FrmLabels& w, int i) {
    test::click(label(w, i));
    return w.findChild<DlgNewLabel*>(QStringLiteral("dlgNewLabel"));
}

struct Word {
    double xMin, yMin, xMax, yMax;
    double centreX() const { return (xMin + xMax) / 2; }
    double height() const { return yMax - yMin; }
};

// Words on the first page of a PDF with their boxes in points, as poppler reads them (ligatures
// such as the "ff" of "Off" read as their letters).
std::multimap<QString, Word> pdfWords(const QString& pdf) {
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {"-bbox", pdf, "-"});
    EXPECT_TRUE(p.waitForFinished(10000));
    const QString html = QString::fromUtf8(p.readAllStandardOutput());
    static const QRegularExpression re(
        R"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)re");
    std::multimap<QString, Word> words;
    for (auto it = re.globalMatch(html); it.hasNext();) {
        const auto m = it.next();
        words.insert({m.captured(5).normalized(QString::NormalizationForm_KC),
                      {m.captured(1).toDouble(), m.captured(2).toDouble(), m.captured(3).toDouble(),
                       m.captured(4).toDouble()}});
    }
    return words;
}

QString printToPdf(FrmLabels& w, const QTemporaryDir& dir) {
    const QString pdf = dir.filePath(QStringLiteral("labels.pdf"));
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    EXPECT_TRUE(w.printTo(printer).ok());
    return pdf;
}

} // namespace

TEST(Labels, EditingALabelThroughTheDialogAndReopeningStartsAfresh) {
    QPointer<FrmLabels> w = new FrmLabels;
    w->show();
    DlgNewLabel* dlg = openDialogFor(*w, 3);
    ASSERT_TRUE(dlg && dlg->isVisible());
    auto text1 = [&] { return dlg->findChild<QLineEdit*>(QStringLiteral("Text1")); };
    auto combo = [&](int i) {
        return dlg->findChild<QComboBox*>(QStringLiteral("Combo%1").arg(i));
    };
    EXPECT_EQ(text1()->text(), "Volume Down");
    EXPECT_EQ(combo(1)->currentIndex(), -1);
    text1()->setText(QStringLiteral("Mute"));
    dlg->findChild<QPushButton*>(QStringLiteral("OKButton"))->click();
    EXPECT_FALSE(dlg->isVisible());
    const auto initial = labels::initialFaces();
    for (int i = 0; i < labels::kCount; ++i)
        EXPECT_EQ(label(*w, i)->text(), i == 3 ? "Mute" : initial[size_t(i)].text) << i;

    // Size and weight apply at once; Cancel throws away only the text.
    dlg = openDialogFor(*w, 0);
    test::pick(combo(1), "18");
    test::pick(combo(2), "Bold");
    text1()->setText(QStringLiteral("Power"));
    dlg->findChild<QPushButton*>(QStringLiteral("CancelButton"))->click();
    EXPECT_EQ(w->face(0).text, "On");
    EXPECT_EQ(w->face(0).pointSize, 18);
    EXPECT_TRUE(w->face(0).bold);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    // A click on another label while the dialog is open retargets it; so does the keyboard.
    dlg = openDialogFor(*w, 8);
    EXPECT_EQ(openDialogFor(*w, 9), dlg);
    EXPECT_EQ(text1()->text(), "Auto Image");
    test::pick(combo(2), "Regular");
    EXPECT_FALSE(w->face(9).bold);
    EXPECT_EQ(w->face(8).pointSize, 9.75);
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QCoreApplication::sendEvent(label(*w, 6), &enter);
    EXPECT_EQ(w->labelNum, 6);
    EXPECT_EQ(text1()->text(), "VGA One");

    w->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(w.isNull());
    FrmLabels fresh;
    EXPECT_EQ(fresh.face(3).text, "Volume Down");
    EXPECT_EQ(fresh.face(0).pointSize, 13.5);
}

TEST(Labels, PrintedTemplateHasTheLabelsAtTheirPlacesAndSizes) {
    ONDREL_SKIP_WITHOUT_PDFTOTEXT();
    QTemporaryDir dir;
    FrmLabels w;
    w.show();
    w.setFontSize(4, 18);
    const QString pdf = printToPdf(w, dir);
    EXPECT_TRUE(w.findChild<QPushButton*>(QStringLiteral("Command1"))->isVisible());

    const auto words = pdfWords(pdf);
    ASSERT_FALSE(words.empty()) << "no text in the PDF: was it rasterised?";
    const auto initial = labels::initialFaces();
    for (int i = 0; i < labels::kCount; ++i) {
        const QRect r = labels::labelRect(i);
        const double centre = (r.left() + r.width() / 2.0) / 20.0; // points
        const QStringList parts = initial[size_t(i)].text.split(' ');
        double firstTop = -1;
        for (const QString& part : parts) {
            // Each word stands on its own line, centred on its label, within the label's height.
            const auto [from, to] = words.equal_range(part);
            const auto it = std::find_if(from, to, [&](const auto& word) {
                return word.second.yMin >= r.top() / 20.0 - 1 &&
                       word.second.yMax <= r.bottom() / 20.0 + 1;
            });
            ASSERT_NE(it, to) << part.toStdString() << " not within label " << i;
            EXPECT_NEAR(it->second.centreX(), centre, 1.0) << part.toStdString();
            if (firstTop < 0)
                firstTop = it->second.yMin;
        }
        EXPECT_NEAR(firstTop, r.top() / 20.0, 1.0) << i;
    }
    // Text heights in proportion to the font sizes: 13.5 top pair, 9.75 below, 18 for "VCR".
    const double small = words.find("DVD")->second.height();
    EXPECT_NEAR(words.find("On")->second.height() / small, 13.5 / 9.75, 0.03);
    EXPECT_NEAR(words.find("VCR")->second.height() / small, 18 / 9.75, 0.03);
    EXPECT_NEAR(small / 9.75, 1.15, 0.25);

    // The cut outlines on paper: at 144 dpi one pixel is ten twips.
    QProcess render;
    render.start(QStringLiteral("pdftoppm"),
                 {"-r", "144", "-gray", "-png", "-singlefile", pdf, dir.filePath("page")});
    ASSERT_TRUE(render.waitForFinished(20000));
    const QImage page(dir.filePath("page.png"));
    ASSERT_FALSE(page.isNull());
    const auto dark = [&](int x, int y) { return qGray(page.pixel(x, y)) < 128; };
    for (int i = 0; i < labels::kCount; ++i) {
        const QRect c = labels::cellRect(i);
        EXPECT_EQ(c.size(), i < 2 ? QSize(1320, 720) : QSize(840, 1200)) << i;
        const int l = c.left() / 10, t = c.top() / 10;
        const int r = (c.left() + c.width()) / 10, b = (c.top() + c.height()) / 10;
        EXPECT_TRUE(dark((l + r) / 2, t) && dark((l + r) / 2, b)) << "cell " << i;
        EXPECT_TRUE(dark(l, (t + b) / 2) && dark(r, (t + b) / 2)) << "cell " << i;
        EXPECT_FALSE(dark(l - 3, t) || dark(r + 3, t) || dark(l, t - 3) || dark(l, b + 3))
            << "cell " << i;
        EXPECT_FALSE(dark(l + 3, t + 3)) << "cell " << i;
    }
}

TEST(Labels, APrintFailureIsReportedAndPrintStaysUsable) {
    FrmLabels w;
    w.show();
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QStringLiteral("/nonexistent-folder/labels.pdf"));
    test::MessageBoxes boxes;
    EXPECT_FALSE(w.printTo(printer).ok());
    const test::MessageBoxes::Box box = boxes.next();
    EXPECT_EQ(box.title, "No Printer Found.");
    EXPECT_EQ(box.text, "There was an error Pringing.  Make sure printer is\r\n"
                        "Connected properly and try again.");
    EXPECT_TRUE(w.findChild<QPushButton*>(QStringLiteral("Command1"))->isVisible());
}

TEST(Labels, PrintWithoutAPrinterOffersAPdfFile) {
    ONDREL_SKIP_WITHOUT_PDFTOTEXT();
    if (!QPrinterInfo::availablePrinters().isEmpty())
        GTEST_SKIP() << "a printer is installed";
    QTemporaryDir dir;
    FrmLabels w;
    w.show();
    w.findChild<QPushButton*>(QStringLiteral("Command1"))->click();
    auto* files = w.findChild<QFileDialog*>(QStringLiteral("pdfFileDialog"));
    ASSERT_TRUE(files);
    const QString pdf = dir.filePath(QStringLiteral("chosen.pdf"));
    files->selectFile(pdf);
    QMetaObject::invokeMethod(files, "accept");
    EXPECT_TRUE(QFileInfo(pdf).size() > 0);
    EXPECT_EQ(pdfWords(pdf).count("Screen"), 1u);
}
