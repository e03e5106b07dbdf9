#include "ui/settings/timer_dialog.h"

#include "project/project_state.h"
#include "tools/shutoff_timer.h"
#include "ui/widgets/messages.h"
#include "ui/widgets/twips.h"

#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

namespace ondrel::ui {

TimerDialog::TimerDialog(ProjectState& state, QWidget* parent) : QDialog(parent), state_(state) {
    setObjectName(QStringLiteral("timerDialog"));
    setWindowTitle(QStringLiteral("Shut Off Timer"));
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(twipsToPixels(QSizeF(4680, 1320)));

    auto label = [this](const char* name, const QString& text, const QRectF& twips) {
        auto* l = new QLabel(text, this);
        l->setObjectName(QString::fromLatin1(name));
        l->setGeometry(twipsToPixels(twips));
        return l;
    };
    auto box = [this](const char* name, const QRectF& twips) {
        auto* b = new QLineEdit(this);
        b->setObjectName(QString::fromLatin1(name));
        b->setGeometry(twipsToPixels(twips));
        b->setAlignment(Qt::AlignRight);
        return b;
    };
    auto button = [this](const char* name, const QString& text, const QRectF& twips) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(QString::fromLatin1(name));
        b->setGeometry(twipsToPixels(twips));
        return b;
    };

    label("Label1", QStringLiteral("Enter Timer Length:"), {240, 180, 2760, 300});
    hoursBox_ = box("Text1", {240, 600, 735, 345});
    label("Label2", QStringLiteral("Hrs."), {1035, 645, 495, 255})->setBuddy(hoursBox_);
    minutesBox_ = box("Text2", {1650, 600, 735, 345});
    label("Label3", QStringLiteral("Mins."), {2445, 645, 615, 255})->setBuddy(minutesBox_);
    ok_ = button("OKButton", QStringLiteral("OK"), {3240, 180, 1215, 375});
    cancel_ = button("CancelButton", QStringLiteral("Cancel"), {3240, 660, 1215, 375});
    ok_->setDefault(true);
    setTabOrder(hoursBox_, minutesBox_);
    setTabOrder(minutesBox_, ok_);
    setTabOrder(ok_, cancel_);

    connect(ok_, &QPushButton::clicked, this, &TimerDialog::okClicked);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
}

TimerDialog* TimerDialog::showFor(ProjectState& state, QWidget* owner) {
    auto* dialog =
        owner->findChild<TimerDialog*>(QStringLiteral("timerDialog"), Qt::FindDirectChildrenOnly);
    if (!dialog)
        dialog = new TimerDialog(state, owner);
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
    return dialog;
}

void TimerDialog::okClicked() {
    if (minutesBox_->text().isEmpty())
        minutesBox_->setText(QStringLiteral("0"));
    if (hoursBox_->text().isEmpty())
        hoursBox_->setText(QStringLiteral("0"));
    const TimerEntry entry = evaluateTimerEntry(hoursBox_->text(), minutesBox_->text());
    switch (entry.outcome) {
    case TimerEntry::Outcome::BelowMinimum:
        showMessage(this, QMessageBox::Critical, entry.title, entry.message);
        return;
    case TimerEntry::Outcome::Invalid:
        showMessage(this, QMessageBox::Warning, entry.title, entry.message);
        return;
    case TimerEntry::Outcome::Accepted:
        setShutOffTimer(state_, entry.minutes);
        accept();
        return;
    }
}

} // namespace ondrel::ui
