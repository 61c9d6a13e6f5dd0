#include "feed/receive_area.h"

#include <algorithm>

std::optional<ReceiveArea> receiveAreaFor(int outerWidth, int outerHeight)
{
    if (outerWidth <= 1000 || outerHeight <= 5200)
        return std::nullopt;
    ReceiveArea area;
    area.frameWidth = outerWidth - 885;
    area.listWidth = std::max(0, area.frameWidth - 240);
    area.frameHeight = outerHeight - 5115;
    area.listHeight = std::max(0, area.frameHeight - 360);
    return area;
}
