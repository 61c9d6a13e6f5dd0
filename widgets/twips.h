#pragma once

class QWidget;

// Window lengths are designed in twips (1/1440 inch): 15 twips are one pixel
// at 96 dots per inch; other screens scale with their logical dpi.
int twipsToPixels(int twips, double dotsPerInch);
int pixelsToTwips(int pixels, double dotsPerInch);

// Places a widget at its designed left, top, width and height in twips,
// relative to its parent.
void placeTwips(QWidget *widget, int left, int top, int width, int height);
