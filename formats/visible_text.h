#pragma once

#include <QByteArrayView>
#include <QString>

// Bytes shown to the operator with control characters named, such as <VT>,
// <CR> and <FS>; other bytes are their Latin-1 characters. At most `limit`
// bytes are shown, then an ellipsis, so a huge arrival stays cheap to paint.
QString visibleText(QByteArrayView bytes, qsizetype limit = 4096);
