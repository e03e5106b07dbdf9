#include "ui/buttons/frm_string_enter.h"
#include "project/command_entry.h"

#include "ui/widgets/messages.h"
#include "ui/widgets/twips.h"
#include "ui/widgets/window_placement.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollArea>
#include <QStyle>
#include <QVBoxLayout>

namespace ondrel::ui {

namespace {
constexpr double kWidth = 6240;      // ten fields and the margins
constexpr double kFooter = 1050;     // the help text, OK and Cancel under the fields
constexpr double kFieldsBelow = 450; // from the top of the last row to the footer
} // namespace

FrmStringEnter::FrmStringEnter(QWidget* parent, int count, Store store,
                               std::function<void()> closed)
    : QDialog(parent), store_(std::move(store)), byteCountLast_(count - 1) {
    setObjectName(QStringLiteral("FrmStringEnter"));
    setWindowTitle(tr("Dialog Caption"));
    setAttribute(Qt::WA_DeleteOnClose);

    // The lists and the fields scroll when the dialog is taller than the screen; the footer with
    // OK and Cancel stays in view.
    auto* body = new QWidget;
    body->setObjectName(QStringLiteral("fieldArea"));
    buildCharacterLists(body);
    const double bodyHeight = buildFields(body) + kFieldsBelow;
    const double height = bodyHeight + kFooter;
    body->setFixedSize(twipsToPixels(QSizeF(kWidth, bodyHeight)));
    scroll_ = new QScrollArea(this);
    scroll_->setObjectName(QStringLiteral("fieldScroll"));
    scroll_->setFrameShape(QFrame::NoFrame);
    scroll_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll_->setWidget(body);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(scroll_, 1);
    layout->addWidget(buildFooter());

    // Every way out (OK, Cancel, Esc, the close box) passes through finished().
    if (closed)
        connect(this, &QDialog::finished, this, [closed = std::move(closed)] { closed(); });

    setProperty("twipsGeometry", QRectF(0, 0, kWidth, height));
    fitInto(workAreaOf(this).marginsRemoved(frameMarginsOf(this)).height());
    fields_.front()->setFocus();
}

void FrmStringEnter::buildCharacterLists(QWidget* body) {
    auto* startLabel = new QLabel(tr("Starting character:"), body);
    startLabel->setObjectName(QStringLiteral("Label1"));
    placeInTwips(startLabel, {240, 240, 1800, 255});
    startChar_ = new QComboBox(body);
    startChar_->setObjectName(QStringLiteral("StrtChr"));
    startChar_->addItems({QStringLiteral("None"), QStringLiteral("STX")});
    startChar_->setCurrentIndex(-1);
    placeInTwips(startChar_, {240, 540, 1800, 330});
    startLabel->setBuddy(startChar_);

    auto* endLabel = new QLabel(tr("End character:"), body);
    endLabel->setObjectName(QStringLiteral("Label2"));
    placeInTwips(endLabel, {2520, 240, 1800, 255});
    endChar_ = new QComboBox(body);
    endChar_->setObjectName(QStringLiteral("EndChr"));
    endChar_->addItems(
        {QStringLiteral("None"), QStringLiteral("ETX"), QStringLiteral("Cariage Return")});
    endChar_->setCurrentIndex(-1);
    placeInTwips(endChar_, {2520, 540, 1800, 330});
    endLabel->setBuddy(endChar_);
}

double FrmStringEnter::buildFields(QWidget* body) {
    // Ten fields to a row, 560 twips apart; a new row every ten fields, 520 lower.
    QRectF place(240, 1200, 495, 375);
    for (int i = 0; i <= byteCountLast_; ++i) {
        if (i > 0 && i % 10 == 0)
            place.moveTo(240, place.top() + 520);
        else if (i > 0)
            place.moveLeft(place.left() + 560);
        auto* field = new QLineEdit(body);
        field->setObjectName(QStringLiteral("Str_Byte_%1").arg(i));
        field->setMaxLength(3);
        field->setAlignment(Qt::AlignCenter);
        placeInTwips(field, place);
        // A corrected field loses its mark.
        connect(field, &QLineEdit::textEdited, this, [field] { markField(field, false); });
        fields_.push_back(field);
    }
    return place.top();
}

QWidget* FrmStringEnter::buildFooter() {
    auto* footer = new QWidget(this);
    footer->setFixedHeight(twipsToPixels(kFooter));
    // How an entry is read, under the fields beside the buttons.
    auto* help = new QLabel(tr("One character is sent as itself (A gives 65); two characters are "
                               "read as a hexadecimal byte (0D gives 13)."),
                            footer);
    help->setObjectName(QStringLiteral("lblEntryHelp"));
    help->setWordWrap(true);
    help->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    placeInTwips(help, {240, 0, 3000, 900});

    connect(startChar_, &QComboBox::activated, this, [this](int item) {
        fields_.front()->setText(item == 1 ? QStringLiteral("02") : QString());
        markField(fields_.front(), false);
    });
    connect(endChar_, &QComboBox::activated, this, [this](int item) {
        const QString texts[] = {QString(), QStringLiteral("03"), QStringLiteral("0D")};
        fields_.back()->setText(texts[item]);
        markField(fields_.back(), false);
    });

    auto* okButton = new QPushButton(tr("OK"), footer);
    okButton->setObjectName(QStringLiteral("OKButton"));
    okButton->setDefault(true);
    placeInTwips(okButton, {kWidth - 2 * 1215 - 360, 270, 1215, 375});
    connect(okButton, &QPushButton::clicked, this, &FrmStringEnter::ok);
    auto* cancelButton = new QPushButton(tr("Cancel"), footer);
    cancelButton->setObjectName(QStringLiteral("CancelButton"));
    placeInTwips(cancelButton, {kWidth - 1215 - 240, 270, 1215, 375});
    connect(cancelButton, &QPushButton::clicked, this, &QWidget::close);
    return footer;
}

void FrmStringEnter::fitInto(int roomHeight) {
    const QSize design = twipsToPixels(twipsGeometry(this).size());
    const bool scrolls = roomHeight > 0 && design.height() > roomHeight;
    // Room for the scroll bar beside the last column when the fields scroll.
    const int width =
        design.width() + (scrolls ? style()->pixelMetric(QStyle::PM_ScrollBarExtent) : 0);
    setFixedWidth(width);
    setMaximumHeight(design.height());
    setMinimumHeight(std::min(design.height(), twipsToPixels(kFooter + 1400)));
    resize(width, scrolls ? std::max(roomHeight, minimumHeight()) : design.height());
}

void FrmStringEnter::markField(QLineEdit* field, bool bad) {
    field->setStyleSheet(bad ? QStringLiteral("QLineEdit { background: #ffd0d0; color: #900000; "
                                              "border: 1px solid #d00000; }")
                             : QString());
    field->setToolTip(bad ? tr("Value Not Recognized: enter one character, or two hexadecimal "
                               "digits")
                          : QString());
}

void FrmStringEnter::ok() {
    ByteList list = ByteList::withUpperBound(byteCount());
    QStringList faults;
    QLineEdit* firstBad = nullptr;
    for (int i = 0; i < byteCount(); ++i) {
        QLineEdit* field = fields_[size_t(i)];
        const std::optional<int> byte = ParseEntryByte(field->text());
        markField(field, !byte);
        if (byte) {
            list.setSlot(i, *byte);
            continue;
        }
        faults << tr("Field %1 of %2 holds \"%3\".").arg(i + 1).arg(byteCount()).arg(field->text());
        if (!firstBad)
            firstBad = field;
    }
    if (firstBad) {
        // Nothing is stored while a byte is missing: the fields stay for the correction.
        firstBad->setFocus();
        firstBad->selectAll();
        scroll_->ensureWidgetVisible(firstBad);
        QMessageBox* box =
            showMessage(this, QMessageBox::Critical, tr("Error"), tr("Value Not Recognized"));
        box->setInformativeText(faults.join(QLatin1Char('\n')) +
                                tr("\n\nEnter one character, or two hexadecimal digits, in each "
                                   "marked field. Nothing was stored."));
        return;
    }
    store_(list);
    close();
}

} // namespace ondrel::ui
