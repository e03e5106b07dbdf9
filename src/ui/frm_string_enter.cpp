#include "frm_string_enter.h"

#include "frm_config_buttons.h"
#include "messages.h"
#include "twips.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

namespace ondrel::ui {

namespace {
constexpr double kWidth = 6240; // ten fields and the margins
} // namespace

FrmStringEnter::FrmStringEnter(FrmConfigButtons& config, int count)
    : QDialog(&config), config_(config), byteCountLast_(count - 1) {
    setObjectName(QStringLiteral("FrmStringEnter"));
    setWindowTitle(tr("Dialog Caption"));
    setAttribute(Qt::WA_DeleteOnClose);

    auto* startLabel = new QLabel(tr("Starting character:"), this);
    startLabel->setObjectName(QStringLiteral("Label1"));
    placeInTwips(startLabel, {240, 240, 1800, 255});
    startChar_ = new QComboBox(this);
    startChar_->setObjectName(QStringLiteral("StrtChr"));
    startChar_->addItems({QStringLiteral("None"), QStringLiteral("STX")});
    startChar_->setCurrentIndex(-1);
    placeInTwips(startChar_, {240, 540, 1800, 330});
    startLabel->setBuddy(startChar_);

    auto* endLabel = new QLabel(tr("End character:"), this);
    endLabel->setObjectName(QStringLiteral("Label2"));
    placeInTwips(endLabel, {2520, 240, 1800, 255});
    endChar_ = new QComboBox(this);
    endChar_->setObjectName(QStringLiteral("EndChr"));
    endChar_->addItems(
        {QStringLiteral("None"), QStringLiteral("ETX"), QStringLiteral("Cariage Return")});
    endChar_->setCurrentIndex(-1);
    placeInTwips(endChar_, {2520, 540, 1800, 330});
    endLabel->setBuddy(endChar_);

    // Ten fields to a row, 560 twips apart; a new row every ten fields, 520 lower.
    QRectF place(240, 1200, 495, 375);
    for (int i = 0; i <= byteCountLast_; ++i) {
        if (i > 0 && i % 10 == 0)
            place.moveTo(240, place.top() + 520);
        else if (i > 0)
            place.moveLeft(place.left() + 560);
        auto* field = new QLineEdit(this);
        field->setObjectName(QStringLiteral("Str_Byte_%1").arg(i));
        field->setMaxLength(3);
        field->setAlignment(Qt::AlignCenter);
        placeInTwips(field, place);
        fields_.push_back(field);
    }
    const double height = place.top() + 1500;

    connect(startChar_, &QComboBox::activated, this, [this](int item) {
        fields_.front()->setText(item == 1 ? QStringLiteral("02") : QString());
    });
    connect(endChar_, &QComboBox::activated, this, [this](int item) {
        const QString texts[] = {QString(), QStringLiteral("03"), QStringLiteral("0D")};
        fields_.back()->setText(texts[item]);
    });

    auto* okButton = new QPushButton(tr("OK"), this);
    okButton->setObjectName(QStringLiteral("OKButton"));
    okButton->setDefault(true);
    placeInTwips(okButton, {kWidth - 2 * 1215 - 360, height - 780, 1215, 375});
    connect(okButton, &QPushButton::clicked, this, &FrmStringEnter::ok);
    auto* cancelButton = new QPushButton(tr("Cancel"), this);
    cancelButton->setObjectName(QStringLiteral("CancelButton"));
    placeInTwips(cancelButton, {kWidth - 1215 - 240, height - 780, 1215, 375});
    connect(cancelButton, &QPushButton::clicked, this, &QWidget::close);

    // Every way out (OK, Cancel, Esc, the close box) passes through finished().
    connect(this, &QDialog::finished, &config_, &FrmConfigButtons::showButtonStrings);

    setProperty("twipsGeometry", QRectF(0, 0, kWidth, height));
    setFixedSize(twipsToPixels(QSizeF(kWidth, height)));
}

void FrmStringEnter::ok() {
    ByteList list = ByteList::withUpperBound(byteCount());
    for (int i = 0; i < byteCount(); ++i) {
        const std::optional<int> byte = ParseEntryByte(fields_[size_t(i)]->text());
        if (byte)
            list.setSlot(i, *byte);
        else
            // On the configuration window: this dialog closes below.
            showMessage(&config_, QMessageBox::Critical, tr("Error"), tr("Value Not Recognized"));
    }
    config_.storeCustomString(list);
    close();
}

} // namespace ondrel::ui
