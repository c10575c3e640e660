#pragma once
// A cell's whole value made readable: JSON pretty-printed, XML indented,
// binary values (which reach the grid as hexadecimal text in the engine's
// form: "\x89504E47", "0x89504E47" or plain "89504E47") turned back into
// their bytes and shown as a hex dump or, for a PNG, JPEG or GIF, as a
// picture. No widgets here.

#include <QByteArray>
#include <QImage>
#include <QString>

#include <string_view>

#include "provider.h"

struct TShownValue {
    enum Shape { Text, Json, Xml, Hex, Image };
    Shape shape = Text;
    QString text;    // what the viewer shows as text (for an image: its hex dump)
    QByteArray bytes; // a binary value's bytes
    QImage image;    // for Image
};

// The bytes of a binary value from its text in the grid; the text's own
// bytes when it is no hexadecimal form.
QByteArray binaryBytes(std::string_view text);

// "00000000  89 50 4E 47 0D 0A 1A 0A  00 00 00 0D 49 48 44 52  |.PNG........IHDR|"
// per 16 bytes; past `maxBytes` one last line tells how many bytes are left out.
QString hexDump(const QByteArray &bytes, qsizetype maxBytes = 1 << 20);

// The value as the viewer shows it, by the field's kind and the text's form.
TShownValue shapeValue(std::string_view text, ado::FieldKind kind);
