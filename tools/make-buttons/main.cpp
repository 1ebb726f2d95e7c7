// make-buttons FOLDER [ZOOM]: draws the screen-button pictures and writes button-0.png ...
// button-6.png (40 x 40, 24-bit) and buttons-sheet.png (all seven side by side, enlarged ZOOM
// times, default 4) into FOLDER. Writing into src/scene/resources/buttons/ renews the
// pictures the program shows.
#include "ButtonPainter.h"
#include "scene/ButtonArt.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <cstdio>

int main(int argc, char **argv) {
    QGuiApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: make-buttons FOLDER [ZOOM]\n");
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    const int zoom = argc > 2 ? std::max(1, std::atoi(argv[2])) : 4;
    if (!folder.exists() && !QDir().mkpath(folder.path())) {
        std::fprintf(stderr, "make-buttons: cannot create %s\n", argv[1]);
        return 1;
    }
    const int side = kButtonArtSide * zoom;
    QImage sheet(side * kButtonArtCount + 4 * (kButtonArtCount + 1), side + 8, QImage::Format_RGB888);
    sheet.fill(Qt::white);
    QPainter painter(&sheet);
    for (int i = 0; i < kButtonArtCount; ++i) {
        const QImage image = PaintButtonArt(i);
        const QString name = folder.filePath(QStringLiteral("button-%1.png").arg(i));
        if (!image.save(name)) {
            std::fprintf(stderr, "make-buttons: cannot write %s\n", qPrintable(name));
            return 1;
        }
        painter.drawImage(QRect(4 + i * (side + 4), 4, side, side), image);
    }
    painter.end();
    return sheet.save(folder.filePath(QStringLiteral("buttons-sheet.png"))) ? 0 : 1;
}
