#include "ui/catalogue/frm_user_models.h"
#include "serial/parity.h"

#include "catalogue/user_catalogue.h"
#include "files/atomic_write.h"
#include "ui/buttons/command_notation_edit.h"
#include "ui/widgets/messages.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTableWidget>
#include <QVBoxLayout>

namespace ondrel::ui {

namespace {

const QString kTitle = QStringLiteral("Your Projector Models");
const QString kFilter = QStringLiteral("Projector models (*.ondrel-model)");

template <typename W> W* named(W* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

ModelCommand* findCommand(ModelDefinition& d, const QString& name) {
    for (ModelCommand& c : d.commands)
        if (c.name == name)
            return &c;
    return nullptr;
}

} // namespace

frmUserModels::frmUserModels(const Catalogue& catalogue, UserCatalogue& own, QWidget* parent)
    : QDialog(parent), catalogue_(catalogue), own_(own) {
    setObjectName(QStringLiteral("frmUserModels"));
    setWindowTitle(tr("Your Projector Models"));
    setAttribute(Qt::WA_DeleteOnClose);
    if (auto names = catalogue_.commandNames())
        names_ = names.value();

    QLayout* left = buildListSide();
    QLayout* form = buildModelForm();
    QLayout* which = buildCommandEditor();
    auto* saveButton = named(new QPushButton(tr("&Save"), this), "cmdSave");
    auto* closeButton = named(new QPushButton(tr("Close"), this), "cmdClose");
    auto* bottom = new QHBoxLayout;
    bottom->addStretch();
    bottom->addWidget(saveButton);
    bottom->addWidget(closeButton);

    auto* right = new QVBoxLayout;
    right->addLayout(form);
    right->addWidget(table_, 1);
    right->addLayout(which);
    right->addWidget(edit_);
    right->addLayout(bottom);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left);
    layout->addLayout(right, 1);
    connect(saveButton, &QPushButton::clicked, this, &frmUserModels::save);
    connect(closeButton, &QPushButton::clicked, this, &QWidget::close);

    // Enter saves, wherever the focus is; it never presses the button that has the focus.
    for (QPushButton* button : findChildren<QPushButton*>())
        button->setAutoDefault(false);
    saveButton->setDefault(true);
    refreshList();
    showDefinition();
    // As large as the form wants, within a small screen's room.
    resize(screen() ? QSize(900, 640).boundedTo(screen()->availableGeometry().size())
                    : QSize(900, 640));
}

// Left: the own models and what can be done with them.
QLayout* frmUserModels::buildListSide() {
    list_ = named(new QListWidget(this), "lstModels");
    list_->setMinimumWidth(200);
    auto* addButton = named(new QPushButton(tr("&New"), this), "cmdAdd");
    auto* removeButton = named(new QPushButton(tr("&Remove"), this), "cmdRemove");
    auto* importButton = named(new QPushButton(tr("&Import…"), this), "cmdImport");
    auto* exportButton = named(new QPushButton(tr("E&xport…"), this), "cmdExport");
    QPushButton* copyButton = buildCopyChoice();

    auto* left = new QVBoxLayout;
    left->addWidget(new QLabel(tr("Your models:"), this));
    left->addWidget(list_, 1);
    auto* actions = new QHBoxLayout;
    actions->addWidget(addButton);
    actions->addWidget(removeButton);
    left->addLayout(actions);
    auto* files = new QHBoxLayout;
    files->addWidget(importButton);
    files->addWidget(exportButton);
    left->addLayout(files);
    auto* copyBox = new QGroupBox(tr("Start from a copy of"), this);
    auto* copyLayout = new QVBoxLayout(copyBox);
    copyLayout->addWidget(copyMaker_);
    copyLayout->addWidget(copyModel_);
    copyLayout->addWidget(copyButton, 0, Qt::AlignRight);
    left->addWidget(copyBox);

    connect(list_, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0)
            load(list_->item(row)->data(Qt::UserRole).toString(),
                 list_->item(row)->data(Qt::UserRole + 1).toString());
    });
    connect(addButton, &QPushButton::clicked, this, [this] {
        list_->setCurrentRow(-1);
        current_ = ModelDefinition{};
        showDefinition();
        manufacturer_->setFocus();
    });
    connect(removeButton, &QPushButton::clicked, this, &frmUserModels::removeSelected);
    connect(importButton, &QPushButton::clicked, this, [this] {
        const QStringList paths =
            QFileDialog::getOpenFileNames(this, tr("Import Projector Models"), QString(), kFilter);
        if (!paths.isEmpty())
            importFiles(paths);
    });
    connect(exportButton, &QPushButton::clicked, this, [this] {
        readForm();
        QString path = QFileDialog::getSaveFileName(
            this, tr("Export Projector Model"),
            QStringLiteral("%1 %2.ondrel-model").arg(current_.manufacturer, current_.model),
            kFilter);
        if (!path.isEmpty())
            exportTo(path);
    });
    return left;
}

// Any model of the catalogue, own or shipped, as the start of a new one; the copy button.
QPushButton* frmUserModels::buildCopyChoice() {
    copyMaker_ = named(new QComboBox(this), "cmbCopyMaker");
    copyModel_ = named(new QComboBox(this), "cmbCopyModel");
    auto* copyButton = named(new QPushButton(tr("&Copy"), this), "cmdCopy");
    if (auto makers = catalogue_.manufacturers())
        copyMaker_->addItems(makers.value());
    auto fillModels = [this] {
        copyModel_->clear();
        if (auto models = catalogue_.models(copyMaker_->currentText()))
            copyModel_->addItems(models.value());
    };
    fillModels();
    connect(copyMaker_, &QComboBox::currentIndexChanged, this, fillModels);
    connect(copyButton, &QPushButton::clicked, this, [this] {
        load(copyMaker_->currentText(), copyModel_->currentText());
        list_->setCurrentRow(-1);
        model_->setText(model_->text() + tr(" (copy)"));
        model_->setFocus();
        model_->selectAll();
    });
    return copyButton;
}

// Right, on top: the model's names, serial settings and how its commands are shown.
QLayout* frmUserModels::buildModelForm() {
    manufacturer_ = named(new QLineEdit(this), "txtManufacturer");
    model_ = named(new QLineEdit(this), "txtModel");
    baud_ = named(new QComboBox(this), "cmbBaud");
    for (int rate : kPanelBaudRates)
        baud_->addItem(QString::number(rate));
    parity_ = named(new QComboBox(this), "cmbParity");
    parity_->addItems({tr("None"), tr("Even"), tr("Odd")});
    ascii_ = named(new QRadioButton(tr("ASCII"), this), "optAscii");
    binary_ = named(new QRadioButton(tr("Binary"), this), "optBinary");
    auto* form = new QFormLayout;
    form->addRow(tr("&Manufacturer:"), manufacturer_);
    form->addRow(tr("M&odel:"), model_);
    auto* serial = new QHBoxLayout;
    serial->addWidget(baud_);
    serial->addWidget(new QLabel(tr("baud, parity"), this));
    serial->addWidget(parity_);
    serial->addSpacing(12);
    serial->addWidget(new QLabel(tr("8 data bits, 1 stop bit"), this));
    serial->addStretch();
    form->addRow(tr("Baud rate:"), serial);
    // Each pair of options is a group of its own: they share this window as parent.
    auto* presentation = new QButtonGroup(this);
    presentation->addButton(ascii_);
    presentation->addButton(binary_);
    auto* shown = new QHBoxLayout;
    shown->addWidget(ascii_);
    shown->addWidget(binary_);
    shown->addStretch();
    form->addRow(tr("Commands are:"), shown);
    // A binary protocol is written in hex, an ASCII one as text (the notation can still change).
    connect(binary_, &QRadioButton::toggled, this, [this](bool binary) {
        if (!loading_)
            edit_->setNotation(binary ? Notation::Hex : Notation::Text);
    });
    return form;
}

// Right, below: the table of commands and the editor of the chosen one's on or off string; the
// row that chooses between the two is returned (table_ and edit_ are laid out around it).
QLayout* frmUserModels::buildCommandEditor() {
    table_ = named(new QTableWidget(int(names_.size()), 2, this), "grdCommands");
    table_->setHorizontalHeaderLabels({tr("Command"), tr("Command string (on / off)")});
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->verticalHeader()->hide();
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setMinimumHeight(150);
    for (int row = 0; row < names_.size(); ++row)
        table_->setItem(row, 0, new QTableWidgetItem(names_[row]));
    table_->resizeColumnToContents(0);
    onString_ = named(new QRadioButton(tr("On string"), this), "optOnString");
    offString_ = named(new QRadioButton(tr("Off string (toggle commands)"), this), "optOffString");
    auto* part = new QButtonGroup(this);
    part->addButton(onString_);
    part->addButton(offString_);
    onString_->setChecked(true);
    edit_ = new CommandNotationEdit(this);
    auto* which = new QHBoxLayout;
    which->addWidget(onString_);
    which->addWidget(offString_);
    which->addStretch();
    connect(table_, &QTableWidget::currentCellChanged, this, &frmUserModels::selectedCommand);
    connect(onString_, &QRadioButton::toggled, this, &frmUserModels::selectedCommand);
    connect(edit_, &CommandNotationEdit::changed, this, &frmUserModels::commandTyped);
    return which;
}

void frmUserModels::refreshList() {
    const QSignalBlocker block(list_);
    list_->clear();
    const auto models = own_.models();
    if (!models) {
        showMessage(this, QMessageBox::Warning, kTitle, models.error().message);
        return;
    }
    for (const auto& [maker, model] : models.value()) {
        auto* item = new QListWidgetItem(maker + QLatin1Char(' ') + model, list_);
        item->setData(Qt::UserRole, maker);
        item->setData(Qt::UserRole + 1, model);
    }
}

void frmUserModels::load(const QString& manufacturer, const QString& model) {
    const auto definition = readModelDefinition(catalogue_, manufacturer, model);
    if (!definition || !definition.value()) {
        showMessage(this, QMessageBox::Warning, kTitle,
                    definition ? tr("The catalogue has no model %1 %2.").arg(manufacturer, model)
                               : definition.error().message);
        return;
    }
    current_ = *definition.value();
    showDefinition();
}

void frmUserModels::showDefinition() {
    loading_ = true;
    manufacturer_->setText(current_.manufacturer);
    model_->setText(current_.model);
    baud_->setCurrentText(QString::number(current_.baud));
    parity_->setCurrentIndex(std::max(0, int(parityNames().indexOf(current_.parity))));
    (current_.presentAs == Notation::Hex ? binary_ : ascii_)->setChecked(true);
    edit_->setNotation(current_.notation);
    for (int row = 0; row < table_->rowCount(); ++row)
        showCommandRow(row);
    loading_ = false;
    table_->setCurrentCell(0, 1);
    selectedCommand();
    readForm();
    saved_ = current_;
}

bool frmUserModels::hasUnsavedChanges() {
    readForm();
    ModelDefinition shown = current_;
    shown.notation = saved_.notation; // how commands are written is not part of the model
    return shown != saved_;
}

void frmUserModels::reject() {
    if (!closeConfirmed_ && hasUnsavedChanges()) {
        switch (askToSave(this, kTitle, tr("The model has changes that were not saved."),
                          tr("Save them before closing?"))) {
        case QMessageBox::Save:
            if (save())
                break;
            return; // not saved: its message says why, the window stays
        case QMessageBox::Discard:
            break;
        default:
            return;
        }
    }
    closeConfirmed_ = true; // the close that follows asks no more
    QDialog::reject();
}

void frmUserModels::showCommandRow(int row) {
    const ModelCommand* c = findCommand(current_, names_.value(row));
    QString text;
    if (c) {
        text = formatCommandNotation(c->primary, current_.notation);
        if (c->secondary)
            text += QStringLiteral(" / ") + formatCommandNotation(*c->secondary, current_.notation);
    }
    auto* item = table_->item(row, 1);
    if (!item)
        table_->setItem(row, 1, item = new QTableWidgetItem);
    item->setText(text);
}

void frmUserModels::editCommand(const QString& name, bool offString) {
    table_->setCurrentCell(int(names_.indexOf(name)), 1);
    (offString ? offString_ : onString_)->setChecked(true);
    selectedCommand();
}

void frmUserModels::selectedCommand() {
    if (loading_)
        return;
    const ModelCommand* c = findCommand(current_, names_.value(table_->currentRow()));
    offString_->setEnabled(c != nullptr);
    if (!c)
        onString_->setChecked(true);
    loading_ = true;
    const bool off = offString_->isChecked();
    edit_->setBytes(!c ? QByteArray() : off ? c->secondary.value_or(QByteArray()) : c->primary);
    loading_ = false;
}

void frmUserModels::commandTyped() {
    if (loading_)
        return;
    if (edit_->notation() != current_.notation) {
        current_.notation = edit_->notation();
        for (int row = 0; row < table_->rowCount(); ++row)
            showCommandRow(row);
    }
    const int row = table_->currentRow();
    if (!edit_->isValid() || row < 0)
        return; // the last good string stays until the typing reads
    const QString name = names_.value(row);
    const QByteArray& bytes = edit_->parsed().bytes;
    ModelCommand* c = findCommand(current_, name);
    if (offString_->isChecked()) {
        if (c)
            c->secondary = bytes.isEmpty() ? std::nullopt : std::optional<QByteArray>(bytes);
    } else if (bytes.isEmpty()) {
        current_.commands.removeIf([&](const ModelCommand& m) { return m.name == name; });
    } else if (c) {
        c->primary = bytes;
    } else {
        // Keep the catalogue's order of commands.
        qsizetype at = 0;
        while (at < current_.commands.size() && names_.indexOf(current_.commands[at].name) < row)
            ++at;
        current_.commands.insert(at, ModelCommand{name, bytes, std::nullopt});
    }
    offString_->setEnabled(findCommand(current_, name) != nullptr);
    showCommandRow(row);
}

void frmUserModels::readForm() {
    current_.manufacturer = manufacturer_->text().trimmed();
    current_.model = model_->text().trimmed();
    current_.baud = baud_->currentText().toInt();
    current_.parity = parityNames().value(parity_->currentIndex());
    current_.presentAs = binary_->isChecked() ? Notation::Hex : Notation::Text;
    current_.notation = edit_->notation();
}

bool frmUserModels::save() {
    readForm();
    QStringList faults;
    for (const Error& e : checkModelSettings(current_))
        faults << e.message;
    if (!faults.isEmpty()) {
        showMessage(this, QMessageBox::Warning, kTitle,
                    tr("The model is not saved:\n%1").arg(faults.join(QLatin1Char('\n'))));
        return false;
    }
    if (const Status stored = own_.store({current_}); !stored) {
        showMessage(this, QMessageBox::Warning, kTitle, stored.error().message);
        return false;
    }
    refreshList();
    const QList<QListWidgetItem*> found = list_->findItems(
        current_.manufacturer + QLatin1Char(' ') + current_.model, Qt::MatchFixedString);
    if (!found.isEmpty()) {
        const QSignalBlocker block(list_);
        list_->setCurrentItem(found.front());
    }
    saved_ = current_;
    emit modelChanged(current_.manufacturer, current_.model);
    return true;
}

bool frmUserModels::importFiles(const QStringList& paths) {
    const auto read = readModelFiles(paths, names_);
    const Status stored = read ? own_.store(read.value()) : Status(read.error());
    if (!stored) {
        showMessage(this, QMessageBox::Warning, kTitle,
                    tr("Nothing was imported:\n%1").arg(stored.error().message));
        return false;
    }
    refreshList();
    for (const ModelDefinition& d : read.value())
        emit modelChanged(d.manufacturer, d.model);
    current_ = read.value().last();
    showDefinition();
    return true;
}

bool frmUserModels::exportTo(const QString& path) {
    readForm();
    if (const Status written = writeFileAtomically(path, writeModelFile(current_).toUtf8());
        !written) {
        showMessage(this, QMessageBox::Warning, kTitle, written.error().message);
        return false;
    }
    return true;
}

bool frmUserModels::removeSelected() {
    QListWidgetItem* item = list_->currentItem();
    if (!item)
        return false;
    const QString maker = item->data(Qt::UserRole).toString();
    const QString model = item->data(Qt::UserRole + 1).toString();
    if (const Status removed = own_.remove(maker, model); !removed) {
        showMessage(this, QMessageBox::Warning, kTitle, removed.error().message);
        return false;
    }
    refreshList();
    emit modelChanged(maker, model);
    return true;
}

} // namespace ondrel::ui
