#pragma once

#include <QByteArray>
#include <QImage>

// A QR code drawn from bytes by libqrencode (byte mode, error correction M, the four-module
// quiet zone around it), black on white.
class QrCode
{
public:
    // The smallest code that holds data, up to maxVersion (1..40): its modules from the top left,
    // true for black, and its width in modules. Empty when the data does not fit.
    struct Modules {
        int width = 0;
        QByteArray dark; // width * width bytes, 1 for a black module
        bool isEmpty() const { return width == 0; }
    };
    static Modules encode(const QByteArray& data, int maxVersion = 40);

    // The code as an image, each module moduleSize pixels square, the quiet zone included.
    static QImage image(const Modules& modules, int moduleSize);
};
