#include "QrCode.h"

#include <QPainter>

#include <qrencode.h>

#include <memory>

QrCode::Modules QrCode::encode(const QByteArray& data, int maxVersion)
{
    Modules modules;
    if (data.isEmpty())
        return modules;
    const std::unique_ptr<QRcode, decltype(&QRcode_free)> code(
        QRcode_encodeData(int(data.size()), reinterpret_cast<const unsigned char*>(data.constData()), 0, QR_ECLEVEL_M),
        &QRcode_free);
    if (!code || code->version > maxVersion)
        return modules;
    modules.width = code->width;
    modules.dark.resize(qsizetype(code->width) * code->width);
    for (qsizetype i = 0; i < modules.dark.size(); ++i)
        modules.dark[i] = char(code->data[i] & 1); // the lowest bit is the module's colour
    return modules;
}

QImage QrCode::image(const Modules& modules, int moduleSize)
{
    constexpr int kQuietZone = 4;
    if (modules.isEmpty() || moduleSize < 1)
        return {};
    const int side = (modules.width + 2 * kQuietZone) * moduleSize;
    QImage out(side, side, QImage::Format_Grayscale8);
    out.fill(Qt::white);
    QPainter painter(&out);
    for (int y = 0; y < modules.width; ++y)
        for (int x = 0; x < modules.width; ++x)
            if (modules.dark[qsizetype(y) * modules.width + x])
                painter.fillRect((x + kQuietZone) * moduleSize, (y + kQuietZone) * moduleSize, moduleSize, moduleSize,
                                 Qt::black);
    return out;
}
