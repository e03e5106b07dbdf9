#pragma once

#include <QDialog>

class QComboBox;
class QLineEdit;

namespace ondrel::ui {

class FrmLabels;

// "Enter New Button Label": edits the label the template names in labelNum. Size and weight
// apply at once; OK applies the text, Cancel discards only the text.
class DlgNewLabel : public QDialog {
    Q_OBJECT
public:
    explicit DlgNewLabel(FrmLabels* labels);

    void setLabelText(const QString& text);

private:
    FrmLabels* labels_;
    QLineEdit* txtCaption_;
    QComboBox* cmbSize_;
    QComboBox* cmbWeight_;
};

} // namespace ondrel::ui
