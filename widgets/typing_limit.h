#pragma once

class QLineEdit;

// Keeps typing or pasting from making the box hold more than `maxChars`
// characters: of what is typed or pasted, only the first characters that fit
// are taken. Unlike QLineEdit::setMaxLength it leaves texts set by the
// program whole, so a longer value loaded from the settings file is shown
// and stored as it is; the operator can still shorten it.
void limitTyping(QLineEdit *box, int maxChars);

// A QLineEdit cuts every text it is given, also by the program, at 32,767
// characters unless told otherwise; a box that holds a setting or shows one
// keeps any text whole.
void keepTextsWhole(QLineEdit *box);
