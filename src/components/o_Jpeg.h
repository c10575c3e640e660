#pragma once
// JPEG pictures decoded with libjpeg.

#include <QByteArray>
#include <QImage>

// The picture in `bytes`; a null image when they are not a JPEG picture that
// can be decoded (broken, truncated before the first row, or absurdly large).
QImage decodeJpeg(const QByteArray &bytes);
