#include "widgets/twips.h"

#include <QWidget>

#include <cmath>

int twipsToPixels(int twips, double dotsPerInch)
{
    return int(std::lround(twips * dotsPerInch / 1440.0));
}

int pixelsToTwips(int pixels, double dotsPerInch)
{
    return int(std::lround(pixels * 1440.0 / dotsPerInch));
}

void placeTwips(QWidget *widget, int left, int top, int width, int height)
{
    const double dpi = widget->logicalDpiX();
    widget->setGeometry(twipsToPixels(left, dpi), twipsToPixels(top, dpi), twipsToPixels(width, dpi),
                        twipsToPixels(height, dpi));
}
