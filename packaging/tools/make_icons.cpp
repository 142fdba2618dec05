// Writes the program's icon, the computer monitor the window shows, into a hicolor icon theme
// folder: a scalable SVG and PNGs from 16 to 256 pixels. The picture is a table of filled
// squares on a 32 x 32 grid, so every size comes from the same drawing and the output depends
// on nothing but this file.
//
//   make_icons OUTPUT_DIR    writes OUTPUT_DIR/scalable/apps/orvanto-tv.svg and
//                            OUTPUT_DIR/<N>x<N>/apps/orvanto-tv.png

#include <QColor>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QRect>
#include <QString>
#include <cstdio>

namespace {

constexpr int kGrid = 32;
constexpr int kSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};
const QString kName = QStringLiteral("orvanto-tv");

struct Block {
    QRect rect; // in grid squares
    QRgb colour;
};

constexpr QRgb kBlack = 0xFF000000;
constexpr QRgb kSilver = 0xFFC0C0C0;
constexpr QRgb kGrey = 0xFF808080;

// In drawing order: cabinet (outline, then face), screen, two highlights across the screen, the
// shadow under it, neck, foot and the green power light.
const Block kBlocks[] = {
    {QRect(2, 2, 28, 22), kBlack},   {QRect(3, 3, 26, 20), kSilver},
    {QRect(5, 5, 22, 16), kBlack},   {QRect(6, 6, 20, 14), 0xFF000080},
    {QRect(7, 7, 9, 2), 0xFF00FFFF}, {QRect(7, 10, 6, 2), 0xFF008080},
    {QRect(3, 22, 26, 1), kGrey},    {QRect(13, 24, 7, 4), kBlack},
    {QRect(14, 25, 5, 2), kGrey},    {QRect(7, 27, 19, 4), kBlack},
    {QRect(8, 28, 17, 2), kSilver},  {QRect(25, 21, 1, 1), 0xFF00FF00},
};

QImage render(int size) {
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    // Sizes that are not a multiple of the grid blend the squares' edges.
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(double(size) / kGrid, double(size) / kGrid);
    for (const Block& block : kBlocks) {
        painter.fillRect(QRectF(block.rect), QColor::fromRgba(block.colour));
    }
    return image;
}

QByteArray svg() {
    QByteArray text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                      "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"32\" height=\"32\" "
                      "viewBox=\"0 0 32 32\" shape-rendering=\"crispEdges\">\n";
    for (const Block& block : kBlocks) {
        const QRect& r = block.rect;
        text +=
            QStringLiteral("  <rect x=\"%1\" y=\"%2\" width=\"%3\" height=\"%4\" fill=\"%5\"/>\n")
                .arg(r.x())
                .arg(r.y())
                .arg(r.width())
                .arg(r.height())
                .arg(QColor::fromRgba(block.colour).name())
                .toUtf8();
    }
    text += "</svg>\n";
    return text;
}

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size() && file.flush();
}

bool fail(const QString& what) {
    std::fprintf(stderr, "make_icons: cannot write %s\n", qUtf8Printable(what));
    return false;
}

bool writeIcons(const QDir& out) {
    const QString svgDir = out.filePath(QStringLiteral("scalable/apps"));
    if (!QDir().mkpath(svgDir) ||
        !writeFile(svgDir + u'/' + kName + QStringLiteral(".svg"), svg())) {
        return fail(svgDir);
    }
    for (const int size : kSizes) {
        const QString dir = out.filePath(QStringLiteral("%1x%1/apps").arg(size));
        if (!QDir().mkpath(dir) ||
            !render(size).save(dir + u'/' + kName + QStringLiteral(".png"), "PNG")) {
            return fail(dir);
        }
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("usage: make_icons OUTPUT_DIR\n", stderr);
        return 2;
    }
    return writeIcons(QDir(QString::fromLocal8Bit(argv[1]))) ? 0 : 1;
}
