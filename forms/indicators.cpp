#include "forms/frm_interface.h"

#include <QGroupBox>
#include <QTimer>

#include "feed/receive_area.h"
#include "widgets/received_data_view.h"
#include "widgets/twips.h"

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

void frmInterface::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    Form_Resize();
}

// Only the received-data group box and its list follow the window, to the right
// and downwards; everything else keeps its designed place.
void frmInterface::Form_Resize()
{
    if (isMinimized())
        return;
    const double dpi = logicalDpiX();
    const QSize client = centralWidget()->size();
    const std::optional<ReceiveArea> area = receiveAreaFor(pixelsToTwips(client.width(), dpi) + kDesignedNonClientWidth,
                                                           pixelsToTwips(client.height(), dpi) + kDesignedNonClientHeight);
    if (!area)
        return;
    fraReceive->resize(twipsToPixels(area->frameWidth, dpi), twipsToPixels(area->frameHeight, dpi));
    lvwReceiveData->resize(twipsToPixels(area->listWidth, dpi), twipsToPixels(area->listHeight, dpi));
}
