#pragma once

#include "catalogue/model_file.h"

#include <QDialog>

class QButtonGroup;
class QComboBox;
class QLayout;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QTableWidget;

namespace ondrel {
class Catalogue;
class UserCatalogue;
} // namespace ondrel

namespace ondrel::ui {

class CommandNotationEdit;

// The installer's own projector models: list them, add one from scratch or as a copy of any
// model, edit, remove, import model files and export one. Commands are typed in a manual's
// notation with the command editor's live preview. Saving writes the own catalogue at once.
class frmUserModels : public QDialog {
    Q_OBJECT
public:
    // `own` is where the own models are written: the own catalogue `catalogue` reads (its
    // userPath()), so a stored model is listed and chosen through `catalogue` at once. Both
    // outlive the window.
    frmUserModels(const Catalogue& catalogue, UserCatalogue& own, QWidget* parent = nullptr);

    // The model in the form, as it would be saved.
    const ModelDefinition& definition() const { return current_; }
    // Loads a model of the catalogue (own or shipped) into the form.
    void load(const QString& manufacturer, const QString& model);
    // Stores the form's model; false (and a message) when it is incomplete.
    bool save();
    bool importFiles(const QStringList& paths);
    bool exportTo(const QString& path);
    bool removeSelected();
    // The row of command `name` and whether its off string is edited.
    void editCommand(const QString& name, bool offString);

    QListWidget* lstModels() const { return list_; }
    QTableWidget* grdCommands() const { return table_; }
    CommandNotationEdit* commandEditor() const { return edit_; }

    // The form holds changes that were not saved.
    bool hasUnsavedChanges();

signals:
    // An own model was stored or removed: windows showing it look it up again.
    void modelChanged(const QString& manufacturer, const QString& model);

public slots:
    // Esc, "Close" and the close box all end here: unsaved changes are asked about first, as the
    // main window does.
    void reject() override;

private:
    // The construction steps, in the order the widgets are made (the order Tab follows).
    QLayout* buildListSide();
    QPushButton* buildCopyChoice();
    QLayout* buildModelForm();
    QLayout* buildCommandEditor();

    void refreshList();
    void showDefinition();
    void showCommandRow(int row);
    void commandTyped();
    void selectedCommand();
    void readForm();

    const Catalogue& catalogue_;
    UserCatalogue& own_;
    QStringList names_;
    ModelDefinition current_;
    ModelDefinition saved_; // as loaded or saved last: what "unsaved" is measured against
    QListWidget* list_;
    QComboBox* copyMaker_;
    QComboBox* copyModel_;
    QLineEdit* manufacturer_;
    QLineEdit* model_;
    QComboBox* baud_;
    QComboBox* parity_;
    QRadioButton* ascii_;
    QRadioButton* binary_;
    QTableWidget* table_;
    QRadioButton* onString_;
    QRadioButton* offString_;
    CommandNotationEdit* edit_;
    bool loading_ = false;
    bool closeConfirmed_ = false;
};

} // namespace ondrel::ui
