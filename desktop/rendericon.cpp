// Renders the SVG icon to square PNG files for the desktop's icon theme:
//   vexlo-render-icon ICON.svg OUTDIR SIZE...   (writes OUTDIR/SIZExSIZE.png)
// Uses the same SVG renderer as the application, so the installed pictures match what it shows.
#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() < 4) {
        std::fprintf(stderr, "usage: vexlo-render-icon ICON.svg OUTDIR SIZE...\n");
        return 2;
    }
    QSvgRenderer renderer(args.at(1));
    if (!renderer.isValid()) {
        std::fprintf(stderr, "vexlo-render-icon: %s is not a picture the renderer reads\n", qPrintable(args.at(1)));
        return 1;
    }
    QDir().mkpath(args.at(2));
    for (const QString &arg : args.mid(3)) {
        bool ok = false;
        const int size = arg.toInt(&ok);
        if (!ok || size <= 0 || size > 4096) {
            std::fprintf(stderr, "vexlo-render-icon: bad size %s\n", qPrintable(arg));
            return 2;
        }
        QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        renderer.render(&painter);
        painter.end();
        const QString path = QDir(args.at(2)).filePath(QStringLiteral("%1x%1.png").arg(size));
        if (!image.save(path, "PNG")) {
            std::fprintf(stderr, "vexlo-render-icon: cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    return 0;
}
