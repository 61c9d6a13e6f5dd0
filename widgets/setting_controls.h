#pragma once

#include "formats/program_information.h"

class QWidget;

// The settings that live in controls between saves, copied by the settings
// table: each entry names its control, found by object name among the
// window's children. Entries whose control the window does not have are left
// alone. A text box holds a text or a frame code; a check box the count flag
// (ticked 1) or a switch (ticked "On").
void loadSettingControls(QWidget &window, const ProgramInformation &settings);
void copySettingControls(const QWidget &window, ProgramInformation &record);
