#include "widgets/disabled_look.h"

#include <QPalette>
#include <QWidget>

namespace {

// A colour moved `share` of the way toward another.
QColor toward(const QColor &from, const QColor &to, float share)
{
    const auto mix = [share](float a, float b) { return a + (b - a) * share; };
    return QColor::fromRgbF(mix(from.redF(), to.redF()), mix(from.greenF(), to.greenF()), mix(from.blueF(), to.blueF()));
}

}  // namespace

void keepDisabledReadable(QWidget *area)
{
    const QPalette palette = area->palette();
    const QColor window = palette.color(QPalette::Active, QPalette::Window);
    // A third of the way toward the background: paler than enabled text, and
    // still 7:1 on the light default palette.
    const auto dimmed = [&](QPalette::ColorRole role) {
        return toward(palette.color(QPalette::Active, role), window, 1.0f / 3).name();
    };
    area->setStyleSheet(area->styleSheet()
                        + QStringLiteral("QLineEdit:disabled { color: %1; background-color: %2; }"
                                         "QLabel:disabled, QCheckBox:disabled, QGroupBox:disabled { color: %3; }")
                              .arg(dimmed(QPalette::Text), window.name(), dimmed(QPalette::WindowText)));
}
