#pragma once

#include <QDialog>

class QLabel;
class QTextBrowser;

namespace ondrel::ui {

// Help > About: the tool's version, the Qt and SQLite it runs on, and their licences in full
// (the texts are built into the program, so both packages carry them).
class FrmAbout : public QDialog {
    Q_OBJECT
public:
    explicit FrmAbout(QWidget* parent = nullptr);

    QLabel* lblVersion() const { return version_; }
    QTextBrowser* txtLicences() const { return licences_; }

private:
    QLabel* version_ = nullptr;
    QTextBrowser* licences_ = nullptr;
};

// Help > User Guide: opens the HTML guide at `path` with the system's browser. A guide that is
// missing, or a system with nothing to show it, is reported in a message naming the file.
void openUserGuide(QWidget* parent, const QString& path);

} // namespace ondrel::ui
