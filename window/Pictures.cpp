#include "window/Pictures.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace orvanto::Pictures {

QPixmap monitorIcon() {
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    // Cabinet, screen, a highlight across the screen, then neck and foot.
    p.setPen(QColor(0x00, 0x00, 0x00));
    p.setBrush(QColor(0xC0, 0xC0, 0xC0));
    p.drawRect(2, 2, 27, 21);
    p.setBrush(QColor(0x00, 0x00, 0x80));
    p.drawRect(5, 5, 21, 15);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x00, 0xFF, 0xFF));
    p.drawRect(7, 7, 9, 2);
    p.setBrush(QColor(0x00, 0x80, 0x80));
    p.drawRect(7, 10, 6, 2);
    p.setBrush(QColor(0x80, 0x80, 0x80));
    p.drawRect(3, 22, 26, 1);
    p.setPen(QColor(0x00, 0x00, 0x00));
    p.setBrush(QColor(0x80, 0x80, 0x80));
    p.drawRect(13, 24, 6, 3);
    p.setBrush(QColor(0xC0, 0xC0, 0xC0));
    p.drawRect(7, 27, 18, 3);
    p.setPen(QColor(0x00, 0xFF, 0x00));
    p.drawPoint(25, 21);
    return pixmap;
}

QPixmap liveTvPicture() {
    QPixmap pixmap(153, 150);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);

    QLinearGradient sky(0, 0, 0, 150);
    sky.setColorAt(0.0, QColor(0x80, 0xFF, 0xFF));
    sky.setColorAt(1.0, QColor(0xFF, 0xFF, 0xFF));
    p.fillRect(pixmap.rect(), sky);

    // Antenna.
    p.setPen(QPen(QColor(0x40, 0x40, 0x40), 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(76, 40), QPointF(50, 10));
    p.drawLine(QPointF(76, 40), QPointF(104, 8));
    p.setBrush(QColor(0xC0, 0x00, 0x00));
    p.setPen(Qt::NoPen);
    p.drawEllipse(QPointF(50, 10), 4, 4);
    p.drawEllipse(QPointF(104, 8), 4, 4);

    // Cabinet and screen.
    p.setPen(QPen(QColor(0x40, 0x20, 0x00), 2));
    p.setBrush(QColor(0x80, 0x40, 0x00));
    p.drawRoundedRect(QRectF(10, 40, 133, 92), 10, 10);
    QLinearGradient glass(0, 50, 0, 120);
    glass.setColorAt(0.0, QColor(0x30, 0x60, 0xC0));
    glass.setColorAt(1.0, QColor(0x00, 0x10, 0x40));
    p.setBrush(glass);
    p.setPen(QPen(QColor(0x20, 0x20, 0x20), 2));
    p.drawRoundedRect(QRectF(20, 50, 96, 72), 12, 12);

    // Knobs.
    p.setBrush(QColor(0xE0, 0xC0, 0x60));
    p.drawEllipse(QPointF(130, 66), 6, 6);
    p.drawEllipse(QPointF(130, 88), 6, 6);
    p.setBrush(QColor(0x00, 0xFF, 0x00));
    p.drawEllipse(QPointF(130, 110), 3, 3);

    // Waves on the screen and the word LIVE.
    p.setPen(QPen(QColor(0x80, 0xFF, 0xFF), 2));
    p.setBrush(Qt::NoBrush);
    for (int r = 10; r <= 30; r += 10) {
        p.drawArc(QRectF(38 - r, 86 - r, 2 * r, 2 * r), -50 * 16, 100 * 16);
    }
    p.setBrush(QColor(0xFF, 0x30, 0x30));
    p.setPen(Qt::NoPen);
    p.drawEllipse(QPointF(38, 86), 5, 5);
    QFont font(QStringLiteral("Liberation Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(18);
    font.setBold(true);
    p.setFont(font);
    p.setPen(QColor(0xFF, 0xFF, 0xFF));
    p.drawText(QRectF(58, 74, 56, 24), Qt::AlignCenter, QStringLiteral("LIVE"));

    // Feet.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x40, 0x20, 0x00));
    p.drawRect(QRectF(24, 132, 10, 10));
    p.drawRect(QRectF(119, 132, 10, 10));
    return pixmap;
}

} // namespace orvanto::Pictures
