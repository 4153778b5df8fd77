// Renders the program's SVG icon to PNG files of the sizes desktop themes ask for:
//   qav_iconpng <icon.svg> <output folder> <size>...
// Each size goes to <output folder>/<size>x<size>/org.qav.telephone.png.
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <cstdio>

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc < 4) {
        std::fprintf(stderr, "usage: qav_iconpng <icon.svg> <output folder> <size>...\n");
        return 2;
    }
    QSvgRenderer svg(QString::fromLocal8Bit(argv[1]));
    if (!svg.isValid()) {
        std::fprintf(stderr, "qav_iconpng: cannot read %s\n", argv[1]);
        return 1;
    }
    for (int i = 3; i < argc; ++i) {
        const int size = QByteArray(argv[i]).toInt();
        QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        svg.render(&painter);
        painter.end();
        const QString folder = QStringLiteral("%1/%2x%2").arg(QString::fromLocal8Bit(argv[2])).arg(size);
        QDir().mkpath(folder);
        if (!image.save(folder + QStringLiteral("/org.qav.telephone.png"))) {
            std::fprintf(stderr, "qav_iconpng: cannot write %s\n", qPrintable(folder));
            return 1;
        }
    }
    return 0;
}
