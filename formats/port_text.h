#pragma once

#include <QString>
#include <QStringView>

// Every reading of a port's text in one place.

// The port a box's text gives the socket: its leading number (no number: 0),
// rounded to 32 bits, halves to the even neighbour.
qint32 portNumberOf(QStringView text);

// The port as start-up shows it in both port boxes: the setting's leading
// number written back shortest (" 2575abc" shows 2575, "2575.5" as it is).
QString shownPort(QStringView setting);

// What the remote-port save makes of the text in the port box: a plain whole
// number (blanks around it allowed) from 0 to 65535 is a port; a text whose
// leading number, read as the start-up reads the port, lies outside that
// range is out of range; anything else, the empty text included, is no port
// at all.
enum class PortText { Valid, OutOfRange, Invalid };

PortText checkPortText(QStringView text);
