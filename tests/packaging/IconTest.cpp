// The installed icon is the monitor the window shows, at every size of the icon theme.

#include "window/Pictures.h"

#include <QFile>
#include <QImage>
#include <QXmlStreamReader>
#include <gtest/gtest.h>

namespace orvanto::test {
namespace {

const QString kIconDir = QStringLiteral(ORVANTO_ICON_DIR);
constexpr int kSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};

QImage themeIcon(int size) {
    QImage image(kIconDir + QStringLiteral("/%1x%1/apps/orvanto-tv.png").arg(size));
    return image.convertToFormat(QImage::Format_ARGB32);
}

// The pixels that differ between two images of the same size, as "x,y" texts (at most a few).
QStringList differences(const QImage& a, const QImage& b) {
    QStringList found;
    for (int y = 0; y < a.height() && found.size() < 5; ++y) {
        for (int x = 0; x < a.width() && found.size() < 5; ++x) {
            if (a.pixel(x, y) != b.pixel(x, y)) {
                found << QStringLiteral("%1,%2").arg(x).arg(y);
            }
        }
    }
    return found;
}

TEST(ThemeIcon, The32PixelIconIsTheWindowsIconPixelForPixel) {
    const QImage window = Pictures::monitorIcon().toImage().convertToFormat(QImage::Format_ARGB32);
    const QImage icon = themeIcon(32);
    ASSERT_EQ(icon.size(), window.size());
    EXPECT_EQ(differences(icon, window), QStringList());
}

TEST(ThemeIcon, EverySizeIsASquareOfItsSizeAndLargeOnesAreSharpEnlargements) {
    const QImage base = themeIcon(32);
    for (const int size : kSizes) {
        SCOPED_TRACE(size);
        const QImage icon = themeIcon(size);
        ASSERT_EQ(icon.size(), QSize(size, size));
        EXPECT_TRUE(icon.hasAlphaChannel());
        EXPECT_EQ(qAlpha(icon.pixel(0, 0)), 0); // the corners stay transparent
        if (size % 32 == 0) {
            // Each square of the picture becomes a block of one colour, without blurred edges.
            EXPECT_EQ(differences(icon, base.scaled(size, size)), QStringList());
        }
    }
}

TEST(ThemeIcon, TheScalableIconIsAnSvgOnThe32PixelGrid) {
    QFile file(kIconDir + QStringLiteral("/scalable/apps/orvanto-tv.svg"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QXmlStreamReader xml(&file);
    ASSERT_TRUE(xml.readNextStartElement());
    EXPECT_EQ(xml.name(), QStringLiteral("svg"));
    EXPECT_EQ(xml.namespaceUri(), QStringLiteral("http://www.w3.org/2000/svg"));
    EXPECT_EQ(xml.attributes().value(QStringLiteral("viewBox")), QStringLiteral("0 0 32 32"));
    int rects = 0;
    while (xml.readNextStartElement()) {
        EXPECT_EQ(xml.name(), QStringLiteral("rect"));
        ++rects;
        xml.skipCurrentElement();
    }
    EXPECT_FALSE(xml.hasError()) << qPrintable(xml.errorString());
    EXPECT_GT(rects, 0);
}

} // namespace
} // namespace orvanto::test
