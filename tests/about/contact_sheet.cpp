// Renders the About animation from the real texture: frames of ticks 0, 10,
// ..., 120 side by side in one PNG, to judge how the animation looks.

#include <cstdio>
#include <exception>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include "AboutAnimation.h"

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: about_contact_sheet <out.png>\n");
        return 2;
    }
    constexpr int kFrameHeight = 152;
    constexpr int kFrames = 13;
    constexpr int kTickStep = 10;
    constexpr int kGap = 4;
    try {
        const TPicture texture = Load_About_Picture(":/about/about_texture.png");
        TPicture frame;
        Prepare_About_Animation(frame, kFrameHeight);
        QImage sheet(kFrames * (kFrameWidth + kGap) - kGap, kFrameHeight, QImage::Format_RGB32);
        sheet.fill(Qt::gray);
        QPainter painter(&sheet);
        int shown = 0;
        for (int tick = 0; shown < kFrames; ++tick) {
            About_Animation_Tick(texture, frame);
            if (tick % kTickStep == 0)
                painter.drawImage(shown++ * (kFrameWidth + kGap), 0, frame.Image());
        }
        painter.end();
        if (!sheet.save(QString::fromLocal8Bit(argv[1]))) {
            std::fprintf(stderr, "cannot write %s\n", argv[1]);
            return 1;
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
