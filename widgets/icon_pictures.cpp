#include "widgets/icon_pictures.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPolygonF>

#include <cmath>

namespace {

// Everything is drawn on a 32 by 32 grid and scaled for the 16 by 16 version.
void drawComputer(QPainter &p, QPointF at, bool screenLit)
{
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(QColor(192, 192, 192));
    p.drawRect(QRectF(at.x(), at.y(), 16, 12));
    p.setBrush(screenLit ? QColor(255, 255, 0) : QColor(0, 128, 128));
    p.drawRect(QRectF(at.x() + 2, at.y() + 2, 12, 8));
    p.setBrush(QColor(192, 192, 192));
    p.drawRect(QRectF(at.x() + 4, at.y() + 13, 8, 3));
}

void drawLinkedComputers(QPainter &p, bool rearLit, bool frontLit)
{
    p.setPen(QPen(Qt::black, 2));
    p.drawLine(QPointF(10, 17), QPointF(22, 27));
    drawComputer(p, {1, 1}, rearLit);
    drawComputer(p, {15, 15}, frontLit);
}

void drawStop(QPainter &p)
{
    QPolygonF octagon;
    for (int i = 0; i < 8; ++i) {
        const double angle = (22.5 + 45.0 * i) * 3.14159265358979 / 180.0;
        octagon << QPointF(16 + 15 * std::cos(angle), 16 + 15 * std::sin(angle));
    }
    p.setPen(QPen(Qt::white, 1.5));
    p.setBrush(QColor(204, 0, 0));
    p.drawPolygon(octagon);
    p.setPen(Qt::white);
    QFont font;
    font.setPixelSize(9);
    font.setBold(true);
    p.setFont(font);
    p.drawText(QRectF(0, 0, 32, 32), Qt::AlignCenter, QStringLiteral("STOP"));
}

void drawStart(QPainter &p)
{
    p.setPen(QPen(QColor(64, 64, 64), 1));
    p.setBrush(QColor(128, 128, 128));
    p.drawPolygon(QPolygonF({QPointF(7, 3), QPointF(28, 16), QPointF(7, 29)}));
}

void drawNoConnect(QPainter &p)
{
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(QColor(255, 215, 0));
    p.drawEllipse(QRectF(1, 1, 30, 30));
    p.setBrush(Qt::black);
    p.drawRect(QRectF(14, 6, 4, 14));
    p.drawEllipse(QRectF(14, 22, 4, 4));
}

void draw(QPainter &p, Picture picture)
{
    switch (picture) {
    case Picture::Program: drawComputer(p, {8, 6}, false); break;
    case Picture::Start: drawStart(p); break;
    case Picture::Stop: drawStop(p); break;
    case Picture::Connect: drawLinkedComputers(p, false, false); break;
    case Picture::NoConnect: drawNoConnect(p); break;
    case Picture::DataIn: drawLinkedComputers(p, true, false); break;
    case Picture::DataOut: drawLinkedComputers(p, false, true); break;
    }
}

}  // namespace

QPixmap picturePixmap(Picture picture, int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 32.0, size / 32.0);
    draw(p, picture);
    return pixmap;
}

QIcon pictureOf(Picture picture)
{
    QIcon icon;
    icon.addPixmap(picturePixmap(picture, 32));
    icon.addPixmap(picturePixmap(picture, 16));
    return icon;
}
