// Writes the program's icon, drawn as the window draws it, to a PNG file for
// the desktop launcher: program_icon FILE. Run by the build.
#include <QGuiApplication>

#include "widgets/icon_pictures.h"

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    if (argc != 2)
        return 2;
    return picturePixmap(Picture::Program, 128).save(QString::fromLocal8Bit(argv[1]), "PNG") ? 0 : 1;
}
