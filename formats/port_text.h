#pragma once

#include <QStringView>

// What the remote-port save makes of the text in the port box: a plain whole
// number (blanks around it allowed) from 0 to 65535 is a port; a text whose
// leading number, read as the start-up reads the port, lies outside that
// range is out of range; anything else, the empty text included, is no port
// at all.
enum class PortText { Valid, OutOfRange, Invalid };

PortText checkPortText(QStringView text);
