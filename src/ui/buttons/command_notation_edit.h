#pragma once

#include "project/command_notation.h"

#include <QByteArray>
#include <QWidget>

class QComboBox;
class QLabel;
class QLineEdit;

namespace ondrel::ui {

// One command string typed or pasted whole, in a chosen notation, with the bytes it gives shown
// at once in the decimal, ASCII and hexadecimal forms; a fault is marked in the text and named
// below it, and so is a word that looks like a control name but is none. Text that reads as hex
// says so and offers to read it as hex. Used by the command editor of the button configuration
// and by the model window.
class CommandNotationEdit : public QWidget {
    Q_OBJECT
public:
    explicit CommandNotationEdit(QWidget* parent = nullptr);

    Notation notation() const;
    // Shows the command in another notation: a valid command is rewritten in it, a faulty text
    // stays as typed (the owner's choice, such as a model's protocol).
    void setNotation(Notation notation);
    // Reads what is typed in another notation, as choosing it in the list does: hex pasted while
    // the box read text becomes the bytes it spells.
    void readAs(Notation notation);
    // Shows `bytes` written in the current notation.
    void setBytes(const QByteArray& bytes);
    void setText(const QString& text);
    QString text() const;

    bool isValid() const { return parsed_.ok(); }
    const ParsedCommand& parsed() const { return parsed_; }

    QLineEdit* commandBox() const { return command_; }
    QComboBox* notationBox() const { return notationBox_; }

signals:
    // The text or the notation changed; parsed() is up to date.
    void changed();

private:
    void refresh();
    void markFault();
    void showNotation(Notation notation);

    QComboBox* notationBox_;
    QLineEdit* command_;
    QLabel* example_;
    QLabel* fault_;
    QLabel* warning_;
    QWidget* hexHint_;
    QLabel* hexHintText_;
    QLabel* count_;
    QLineEdit* decimal_;
    QLineEdit* ascii_;
    QLineEdit* hex_;
    Notation shown_ = Notation::Text;
    ParsedCommand parsed_;
};

} // namespace ondrel::ui
