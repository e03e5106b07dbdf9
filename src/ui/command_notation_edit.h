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
// below it. Used by the command editor of the button configuration and by the model window.
class CommandNotationEdit : public QWidget {
    Q_OBJECT
public:
    explicit CommandNotationEdit(QWidget* parent = nullptr);

    Notation notation() const;
    // Switching the notation rewrites a valid command in the new one; a faulty text stays as typed.
    void setNotation(Notation notation);
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

    QComboBox* notationBox_;
    QLineEdit* command_;
    QLabel* example_;
    QLabel* fault_;
    QLabel* count_;
    QLineEdit* decimal_;
    QLineEdit* ascii_;
    QLineEdit* hex_;
    Notation shown_ = Notation::Text;
    ParsedCommand parsed_;
};

} // namespace ondrel::ui
