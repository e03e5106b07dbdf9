#include "ui/main/frm_history.h"

#include "ui/widgets/window_placement.h"

#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace ondrel::ui {

namespace {
enum Column {
    ColTime,
    ColProcedure,
    ColFile,
    ColResult,
    ColSize,
    ColCrc,
    ColPort,
    ColDuration,
    ColPackets,
    ColFailure,
    ColCount
};
}

FrmHistory::FrmHistory(QWidget* parent, const QString& path)
    : QWidget(parent, Qt::Window), path_(path) {
    setObjectName(QStringLiteral("frmHistory"));
    closeOnEscape(this);
    setWindowTitle(tr("Programming History"));

    auto* filterLabel = new QLabel(tr("File:"), this);
    txtFilter_ = new QLineEdit(this);
    txtFilter_->setObjectName(QStringLiteral("txtFilter"));
    txtFilter_->setPlaceholderText(tr("part of a file name"));
    txtFilter_->setClearButtonEnabled(true);
    filterLabel->setBuddy(txtFilter_);
    connect(txtFilter_, &QLineEdit::textChanged, this, &FrmHistory::fill);

    grdHistory_ = new QTableWidget(0, ColCount, this);
    grdHistory_->setObjectName(QStringLiteral("grdHistory"));
    grdHistory_->setHorizontalHeaderLabels({tr("Time"), tr("Procedure"), tr("File"), tr("Result"),
                                            tr("Bytes"), tr("CRC-32"), tr("Port"), tr("Seconds"),
                                            tr("Packets (resent)"), tr("Failure")});
    grdHistory_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grdHistory_->setSelectionBehavior(QAbstractItemView::SelectRows);
    grdHistory_->verticalHeader()->hide();
    grdHistory_->horizontalHeader()->setStretchLastSection(true);
    grdHistory_->setWordWrap(false);

    lblStatus_ = new QLabel(this);
    lblStatus_->setObjectName(QStringLiteral("lblStatus"));
    lblStatus_->setWordWrap(true);
    lblStatus_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    cmdRefresh_ = new QPushButton(tr("Refresh"), this);
    cmdRefresh_->setObjectName(QStringLiteral("cmdRefresh"));
    connect(cmdRefresh_, &QPushButton::clicked, this, &FrmHistory::refresh);
    cmdClose_ = new QPushButton(tr("Close"), this);
    cmdClose_->setObjectName(QStringLiteral("cmdClose"));
    connect(cmdClose_, &QPushButton::clicked, this, &QWidget::close);

    auto* top = new QHBoxLayout;
    top->addWidget(filterLabel);
    top->addWidget(txtFilter_, 1);
    top->addWidget(cmdRefresh_);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(lblStatus_, 1);
    bottom->addWidget(cmdClose_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(grdHistory_, 1);
    layout->addLayout(bottom);
    // Wide enough for every column on a 1366 x 768 screen, smaller where the screen is (200 %).
    const QRect screenArea = screen()->availableGeometry();
    resize(std::min(960, screenArea.width() - 40), std::min(420, screenArea.height() - 60));
    refresh();
}

void FrmHistory::refresh() {
    const Result<HistoryContents> read = readHistory(path_);
    records_ = read ? read.value().records : QList<HistoryRecord>();
    skipped_ = read ? read.value().skipped : 0;
    readError_ = read ? QString() : read.error().message;
    fill();
}

void FrmHistory::fill() {
    const QString filter = txtFilter_->text().trimmed();
    grdHistory_->setRowCount(0);
    int shown = 0;
    for (auto r = records_.crbegin(); r != records_.crend(); ++r) { // newest first
        if (!filter.isEmpty() &&
            !QFileInfo(r->file).fileName().contains(filter, Qt::CaseInsensitive))
            continue;
        grdHistory_->insertRow(shown);
        const QStringList cells{
            r->time.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")),
            r->procedure,
            historyFileName(*r),
            r->result,
            QString::number(r->imageSize),
            r->crc,
            r->port.isEmpty() ? r->device : QStringLiteral("%1 (%2)").arg(r->port, r->device),
            QString::number(double(r->durationMs) / 1000.0, 'f', 1),
            QStringLiteral("%1 (%2)").arg(r->packets).arg(r->resends),
            r->failure};
        for (int c = 0; c < ColCount; ++c) {
            auto* item = new QTableWidgetItem(cells[c]);
            if (c == ColFile)
                item->setToolTip(QDir::toNativeSeparators(r->file));
            if (c == ColFailure)
                item->setToolTip(r->failure);
            grdHistory_->setItem(shown, c, item);
        }
        ++shown;
    }
    grdHistory_->resizeColumnsToContents();
    QString status = readError_.isEmpty() ? tr("%1 of %2 records shown. File: %3")
                                                .arg(shown)
                                                .arg(records_.size())
                                                .arg(QDir::toNativeSeparators(path_))
                                          : readError_;
    if (skipped_ > 0)
        status += tr(" (%1 broken line(s) left out)").arg(skipped_);
    lblStatus_->setText(status);
}

} // namespace ondrel::ui
