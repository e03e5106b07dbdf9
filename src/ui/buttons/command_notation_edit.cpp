#include "ui/buttons/command_notation_edit.h"

#include "project/byte_list.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QFontDatabase>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTextCharFormat>
#include <QVBoxLayout>
#include <algorithm>

namespace ondrel::ui {

namespace {

const Notation kNotations[] = {Notation::Text, Notation::Hex, Notation::Decimal};

QString exampleFor(Notation notation) {
    switch (notation) {
    case Notation::Text:
        return QStringLiteral("For example: PWR ON<CR>   \\x02PON\\x03   <STX>PON<ETX>   "
                              "%1POWR 1\\r");
    case Notation::Hex:
        return QStringLiteral("For example: BE EF 03 06 00   0x02,0x50   $0D$0A   7Eh 30h   "
                              "02 \"PON\" 03");
    case Notation::Decimal:
        break;
    }
    return QStringLiteral("For example: 80 87 82 32 79 78 13   2,80,79,78,3");
}

QLineEdit* previewBox(QWidget* parent, const char* name) {
    auto* box = new QLineEdit(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setReadOnly(true);
    box->setFocusPolicy(Qt::ClickFocus);
    return box;
}

} // namespace

CommandNotationEdit::CommandNotationEdit(QWidget* parent)
    : QWidget(parent), notationBox_(new QComboBox(this)), command_(new QLineEdit(this)),
      example_(new QLabel(this)), fault_(new QLabel(this)), count_(new QLabel(this)),
      decimal_(previewBox(this, "TxtDecimal")), ascii_(previewBox(this, "TxtAscii")),
      hex_(previewBox(this, "TxtHex")) {
    notationBox_->setObjectName(QStringLiteral("cmbNotation"));
    notationBox_->addItems({tr("Text"), tr("Hex"), tr("Decimal")});
    command_->setObjectName(QStringLiteral("TxtCommand"));
    command_->setMaxLength(4000);
    command_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    command_->setMinimumWidth(360);
    example_->setObjectName(QStringLiteral("lblExample"));
    example_->setTextFormat(Qt::PlainText);
    example_->setWordWrap(true);
    example_->setEnabled(false); // greyed: a hint, not a value
    fault_->setObjectName(QStringLiteral("lblFault"));
    fault_->setTextFormat(Qt::PlainText);
    fault_->setWordWrap(true);
    fault_->setStyleSheet(QStringLiteral("color: #b00000"));
    warning_ = new QLabel(this);
    warning_->setObjectName(QStringLiteral("lblWarning"));
    warning_->setTextFormat(Qt::PlainText);
    warning_->setWordWrap(true);
    warning_->setStyleSheet(QStringLiteral("color: #8a5a00"));
    count_->setObjectName(QStringLiteral("lblCount"));

    // Hex pasted while the box reads text: say so, and offer to read it as hex.
    hexHint_ = new QWidget(this);
    hexHint_->setObjectName(QStringLiteral("hexHint"));
    hexHintText_ = new QLabel(hexHint_);
    hexHintText_->setObjectName(QStringLiteral("lblHexHint"));
    hexHintText_->setWordWrap(true);
    auto* readAsHex = new QPushButton(tr("Read as &Hex"), hexHint_);
    readAsHex->setObjectName(QStringLiteral("cmdReadAsHex"));
    readAsHex->setAutoDefault(false);
    connect(readAsHex, &QPushButton::clicked, this, [this] { readAs(Notation::Hex); });
    auto* hintRow = new QHBoxLayout(hexHint_);
    hintRow->setContentsMargins(0, 0, 0, 0);
    hintRow->addWidget(hexHintText_, 1);
    hintRow->addWidget(readAsHex, 0, Qt::AlignTop);

    auto* notationLabel = new QLabel(tr("&Notation:"), this);
    notationLabel->setBuddy(notationBox_);
    auto* commandLabel = new QLabel(tr("&Command:"), this);
    commandLabel->setBuddy(command_);
    auto* top = new QHBoxLayout;
    top->addWidget(notationLabel);
    top->addWidget(notationBox_);
    top->addStretch();
    top->addWidget(count_);

    auto* preview = new QFormLayout;
    preview->addRow(tr("Decimal:"), decimal_);
    preview->addRow(tr("ASCII:"), ascii_);
    preview->addRow(tr("Hex:"), hex_);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(top);
    layout->addWidget(commandLabel);
    layout->addWidget(command_);
    layout->addWidget(example_);
    layout->addWidget(fault_);
    layout->addWidget(warning_);
    layout->addWidget(hexHint_);
    layout->addLayout(preview);

    connect(command_, &QLineEdit::textChanged, this, &CommandNotationEdit::refresh);
    connect(notationBox_, &QComboBox::currentIndexChanged, this,
            [this](int index) { readAs(kNotations[std::clamp(index, 0, 2)]); });
    refresh();
}

Notation CommandNotationEdit::notation() const {
    return shown_;
}

void CommandNotationEdit::setNotation(Notation notation) {
    if (notation == shown_)
        return;
    const bool rewrite = parsed_.ok() && !command_->text().trimmed().isEmpty();
    const QByteArray bytes = parsed_.bytes;
    showNotation(notation);
    if (rewrite)
        command_->setText(formatCommandNotation(bytes, notation));
    refresh();
}

void CommandNotationEdit::readAs(Notation notation) {
    showNotation(notation);
    refresh();
}

void CommandNotationEdit::showNotation(Notation notation) {
    shown_ = notation;
    const QSignalBlocker block(notationBox_);
    notationBox_->setCurrentIndex(
        int(std::find(std::begin(kNotations), std::end(kNotations), notation) -
            std::begin(kNotations)));
}

void CommandNotationEdit::setBytes(const QByteArray& bytes) {
    command_->setText(formatCommandNotation(bytes, shown_));
}

void CommandNotationEdit::setText(const QString& text) {
    command_->setText(text);
}

QString CommandNotationEdit::text() const {
    return command_->text();
}

void CommandNotationEdit::refresh() {
    parsed_ = parseCommandNotation(command_->text(), shown_);
    example_->setText(exampleFor(shown_));
    const ByteList list = ByteList::fromBytes(parsed_.ok() ? parsed_.bytes : QByteArray());
    decimal_->setText(list.textForm(Notation::Decimal));
    ascii_->setText(list.textForm(Notation::Text));
    hex_->setText(list.textForm(Notation::Hex));
    count_->setText(parsed_.ok() ? tr("%n byte(s)", nullptr, int(parsed_.bytes.size()))
                                 : QString());
    fault_->setText(parsed_.ok() ? QString() : parsed_.fault->message());
    fault_->setVisible(!parsed_.ok());
    QStringList warnings;
    for (const NotationFault& w : parsed_.warnings)
        warnings << w.message();
    warning_->setText(warnings.join(QLatin1Char('\n')));
    warning_->setVisible(parsed_.ok() && !warnings.isEmpty());
    const bool hex = shown_ == Notation::Text && looksLikeHex(command_->text());
    if (hex)
        hexHintText_->setText( // two bytes at least: plural
            tr("This reads as hexadecimal: %1 bytes. As text it is %2 characters.")
                .arg(parseCommandNotation(command_->text(), Notation::Hex).bytes.size())
                .arg(command_->text().size()));
    hexHint_->setVisible(hex);
    markFault();
    emit changed();
}

// Colours the offending characters inside the box, the way spelling checkers mark a word,
// without touching the text, the cursor or the undo history.
void CommandNotationEdit::markFault() {
    QList<QInputMethodEvent::Attribute> attributes;
    const auto mark = [&](const NotationFault& where, QColor background, QColor text,
                          QColor underline) {
        QTextCharFormat format;
        format.setBackground(background);
        format.setForeground(text);
        format.setUnderlineStyle(QTextCharFormat::WaveUnderline);
        format.setUnderlineColor(underline);
        attributes << QInputMethodEvent::Attribute(QInputMethodEvent::TextFormat,
                                                   where.column - 1 - command_->cursorPosition(),
                                                   where.length, format);
    };
    if (!parsed_.ok())
        mark(*parsed_.fault, QColor(255, 200, 200), QColor(150, 0, 0), Qt::red);
    else
        for (const NotationFault& w : parsed_.warnings)
            mark(w, QColor(255, 236, 179), QColor(120, 70, 0), QColor(230, 140, 0));
    QInputMethodEvent event(QString(), attributes);
    QCoreApplication::sendEvent(command_, &event);
}

} // namespace ondrel::ui
