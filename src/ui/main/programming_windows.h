#pragma once

#include <QDialog>
#include <QWidget>

class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;

namespace ondrel::ui {

// "Upload Data": the report of the last upload. "Exit" only hides it, so the report stays for
// "View Previous Upload Data". While a procedure runs, Esc here cancels it, as it does on the
// other programming windows.
class UploadWindow : public QWidget {
    Q_OBJECT
public:
    explicit UploadWindow(QWidget* parent = nullptr);

    QPlainTextEdit* Text1() const { return report_; }
    QPushButton* Command1() const { return exitButton_; }
    void setRunning(bool running) { running_ = running; }

signals:
    void cancelRequested();

private:
    QPlainTextEdit* report_ = nullptr;
    QPushButton* exitButton_ = nullptr;
    bool running_ = false;
};

// "Press Reset": modal while the tool waits for the panel's loader. Esc (or the close box) gives
// up at once.
class ResetPrompt : public QDialog {
    Q_OBJECT
public:
    explicit ResetPrompt(QWidget* parent = nullptr);

    QLabel* Label1() const { return promptLabel_; }
    // 1 after the installer gave up, 0 while waiting or after the panel answered.
    int shouldexit = 0;

    // Shows the prompt for a new wait, without blocking the caller.
    void prompt();
    // What the upload line has to say about its settings (a network serial server's), shown
    // under the prompt; empty hides it.
    void setLineNotice(const QString& text);

signals:
    void skipped();

public slots:
    void reject() override;

private:
    QLabel* promptLabel_ = nullptr;
    QLabel* notice_ = nullptr;
};

// "Programming....": progress while firmware lines or configuration blocks are sent. "Cancel" (or
// Esc) stops the procedure between two blocks; the procedure says the panel is left part-written.
class ProgressWindow : public QDialog {
    Q_OBJECT
public:
    explicit ProgressWindow(QWidget* parent = nullptr);

    QProgressBar* ProgressBar1() const { return progressBar_; }
    QPushButton* cancelButton() const { return cancel_; }
    void showProgress(const QString& caption, int value, int maximum);

signals:
    void cancelRequested();

public slots:
    // Esc and the close box: the window stays until the procedure has ended.
    void reject() override;

private:
    QProgressBar* progressBar_ = nullptr;
    QPushButton* cancel_ = nullptr;
};

} // namespace ondrel::ui
