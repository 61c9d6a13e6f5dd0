#include "app/frm_interface.h"

#include <QAction>
#include <QPushButton>

// Buttons and menu items. A menu item that shares a command with a button
// runs the button's handler, so both behave the same.
void frmInterface::connectCommands()
{
    const auto start = [this] { dispatch([this] { startReportingFailure(); }); };
    const auto stop = [this] { dispatch([this] { cmdStop_Click(); }); };
    connect(cmdStart, &QPushButton::clicked, this, start);
    connect(mnuFileStartInterface, &QAction::triggered, this, start);
    connect(cmdStop, &QPushButton::clicked, this, stop);
    connect(mnuFileStopInterface, &QAction::triggered, this, stop);
}
