#pragma once

class QWidget;

// Lets a window repaint at most once per `intervalMs`. Under a fast stream of
// arrivals every event would otherwise repaint the window (shaping the text
// of every visible row again); paced, the operator still sees each change
// within one interval, and the arrivals are not slowed by painting.
void paceRepaints(QWidget *window, int intervalMs);
