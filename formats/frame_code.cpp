#include "formats/frame_code.h"

#include "formats/basic_numbers.h"

#include <cmath>

char frameCharacter(QStringView code)
{
    const std::optional<double> number = wholeNumber(code);
    if (!number)
        raise(err::TypeMismatch);
    const double whole = std::floor(*number);
    if (!(whole >= double(std::numeric_limits<qint32>::min()) && whole <= double(std::numeric_limits<qint32>::max())))
        raise(err::Overflow);
    if (whole < 0 || whole > 255)
        raise(err::InvalidArgument);
    return char(int(whole));
}
