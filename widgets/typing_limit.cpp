#include "widgets/typing_limit.h"

#include <QLineEdit>
#include <QObject>

#include <limits>

void limitTyping(QLineEdit *box, int maxChars)
{
    // The text as it stood before the operator's latest edit. textEdited comes
    // before textChanged, so the edit can still be taken back there; reading
    // the box (not the signal's argument) keeps this right after a take-back.
    auto *accepted = new QString(box->text());
    QObject::connect(box, &QObject::destroyed, box, [accepted] { delete accepted; });
    QObject::connect(box, &QLineEdit::textChanged, box, [box, accepted] { *accepted = box->text(); });
    QObject::connect(box, &QLineEdit::textEdited, box, [box, accepted, maxChars](const QString &text) {
        // A longer text loaded into the box may stay, but not grow.
        const int excess = int(text.size() - qMax<qsizetype>(maxChars, accepted->size()));
        if (excess <= 0)
            return;
        // What was typed or pasted ends at the cursor and is at least as long
        // as the text grew: its last characters are the ones that do not fit.
        const int cursor = qMax(0, box->cursorPosition() - excess);
        box->setText(text.left(cursor) + text.mid(cursor + excess));
        box->setCursorPosition(cursor);
    });
}

void keepTextsWhole(QLineEdit *box)
{
    box->setMaxLength(std::numeric_limits<int>::max());
}
