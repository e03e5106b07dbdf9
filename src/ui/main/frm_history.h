#pragma once

#include "programming/programming_history.h"

#include <QWidget>

class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace ondrel::ui {

// "Programming History": every upload, factory restore and firmware update recorded in the
// history file, newest first, filtered by file name.
class FrmHistory : public QWidget {
    Q_OBJECT
public:
    explicit FrmHistory(QWidget* parent = nullptr, const QString& path = historyFilePath());

    QLineEdit* txtFilter() const { return txtFilter_; }
    QTableWidget* grdHistory() const { return grdHistory_; }
    QLabel* lblStatus() const { return lblStatus_; }

public slots:
    // Reads the file again.
    void refresh();

private:
    void fill();

    QString path_;
    QList<HistoryRecord> records_;
    int skipped_ = 0;
    QString readError_;
    QLineEdit* txtFilter_ = nullptr;
    QTableWidget* grdHistory_ = nullptr;
    QLabel* lblStatus_ = nullptr;
    QPushButton* cmdRefresh_ = nullptr;
    QPushButton* cmdClose_ = nullptr;
};

} // namespace ondrel::ui
