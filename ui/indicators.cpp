#include "app/frm_interface.h"

#include <QTimer>

// The window icon shows what the interface does. Setting the icon costs a
// round trip to the window system, so a picture already shown is not set again.
void frmInterface::showPicture(Picture picture)
{
    if (picture == m_shownPicture)
        return;
    m_shownPicture = picture;
    setWindowIcon(m_pictures[size_t(picture)]);
}

// Each arrival flashes the icon: data in for ten ticks, data out for ten,
// then back to connected.
void frmInterface::startFlash()
{
    showPicture(Picture::DataIn);
    intFlashCount = 20;
    if (!tmrFlash->isActive())
        tmrFlash->start();
    tmrFlash_Timer();
}

void frmInterface::tmrFlash_Timer()
{
    --intFlashCount;
    if (intFlashCount < 10)
        showPicture(Picture::DataOut);
    if (intFlashCount < 0) {
        showPicture(Picture::Connect);
        tmrFlash->stop();
    }
}
