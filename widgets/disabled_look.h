#pragma once

class QWidget;

// Disabled text boxes, labels, check boxes and frame captions within `area`
// still show what the operator reads (the settings until Edit, the status
// while the setup dialog is open), so they keep a text colour near the
// normal one, at WCAG AA contrast; a text box's background, the window's
// colour in place of its own, tells it disabled. Disabled buttons stay as
// the style draws them.
//
// Done by a style sheet added to the area's own: a palette set on a widget
// does not reach the children of one that has a style sheet.
void keepDisabledReadable(QWidget *area);
