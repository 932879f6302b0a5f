// Renders one SVG drawing to a PNG of a given pixel size. Runs at build time,
// so that only the drawings are kept in the source tree.
#include <QImage>
#include <QPainter>
#include <QString>
#include <QSvgRenderer>

#include <cstdio>

namespace {

int usage() {
    std::fprintf(stderr, "usage: th_render_svg INPUT.svg OUTPUT.png WIDTH HEIGHT\n");
    return 2;
}

bool readSize(const char* text, int& value) {
    bool ok = false;
    value = QString::fromLocal8Bit(text).toInt(&ok);
    // Larger than any picture the program shows; guards against a typo in a build rule.
    return ok && value > 0 && value <= 1024;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 5) {
        return usage();
    }
    int width = 0;
    int height = 0;
    if (!readSize(argv[3], width) || !readSize(argv[4], height)) {
        return usage();
    }
    const QString input = QString::fromLocal8Bit(argv[1]);
    const QString output = QString::fromLocal8Bit(argv[2]);

    QSvgRenderer renderer(input);
    if (!renderer.isValid()) {
        std::fprintf(stderr, "th_render_svg: cannot read %s\n", argv[1]);
        return 1;
    }

    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        renderer.render(&painter);
    }
    if (!image.convertToFormat(QImage::Format_ARGB32).save(output, "PNG")) {
        std::fprintf(stderr, "th_render_svg: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
