#pragma once

#include <QMessageBox>
#include <QString>

namespace ondrel::ui {

// Shows a message box without blocking the caller: the box is window-modal to `parent`, deletes
// itself when closed, and can be found among the top-level widgets (tests close it there).
QMessageBox* showMessage(QWidget* parent, QMessageBox::Icon icon, const QString& title,
                         const QString& text);

// The "Error" box with the exclamation icon that serial and programming failures use.
inline QMessageBox* showError(QWidget* parent, const QString& text) {
    return showMessage(parent, QMessageBox::Warning, QStringLiteral("Error"), text);
}

// Asks whether to save unsaved changes first: Save (the default), Discard or Cancel. The one kind
// of box that blocks: the caller cannot go on (close, open another file) without the answer.
QMessageBox::StandardButton askToSave(QWidget* parent, const QString& title, const QString& text,
                                      const QString& question);

} // namespace ondrel::ui
