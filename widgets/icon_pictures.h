#pragma once

#include <QIcon>
#include <QPixmap>

// The pictures the window shows as its own icon. Drawn here rather than
// loaded from files so that the program stays one self-contained file.
enum class Picture {
    Program,    // a single computer: the program's own icon
    Start,      // a grey arrow head pointing right: listening
    Stop,       // a red octagon with STOP: stopped
    Connect,    // two linked computers: a sender is connected
    NoConnect,  // a yellow disc with a black exclamation mark: the connection closed
    DataIn,     // the linked computers, rear screen lit: data arriving
    DataOut,    // the linked computers, front screen lit: the answer going out
};

QIcon pictureOf(Picture picture);
// One picture drawn at `size` by `size` pixels (the program's icon file is made from it).
QPixmap picturePixmap(Picture picture, int size);
