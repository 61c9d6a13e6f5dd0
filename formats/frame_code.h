#pragma once

#include <QStringView>

// The character a frame code stands for: the text read as a number (blanks
// around it allowed), its integer part rounded down, 0 to 255. Not a number:
// failure 13; outside 0 to 255: failure 5; outside 32 bits: failure 6.
// Whether the code is the "no character" mark "0" is the caller's test.
char frameCharacter(QStringView code);
