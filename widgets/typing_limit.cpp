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
        if (text.size() <= maxChars || text.size() <= accepted->size())
            return;
        const int cursor = qMax(0, box->cursorPosition() - int(text.size() - accepted->size()));
        box->setText(*accepted);
        box->setCursorPosition(cursor);
    });
}

void keepTextsWhole(QLineEdit *box)
{
    box->setMaxLength(std::numeric_limits<int>::max());
}
