#include "ui/widgets/messages.h"

namespace ondrel::ui {

QMessageBox* showMessage(QWidget* parent, QMessageBox::Icon icon, const QString& title,
                         const QString& text) {
    auto* box = new QMessageBox(icon, title, text, QMessageBox::Ok, parent);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
    return box;
}

QMessageBox::StandardButton askToSave(QWidget* parent, const QString& title, const QString& text,
                                      const QString& question) {
    QMessageBox box(QMessageBox::Warning, title, text,
                    QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, parent);
    box.setObjectName(QStringLiteral("savePrompt"));
    box.setInformativeText(question);
    box.setDefaultButton(QMessageBox::Save);
    return QMessageBox::StandardButton(box.exec());
}

} // namespace ondrel::ui
