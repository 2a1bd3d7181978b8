// velmora-artwork OUTPUT_FOLDER: draws the program's own pictures at build time, the
// hand cursor HAND-M.CUR (a pointing hand, hotspot at the fingertip) and the
// application icon velmora.png.

#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QtEndian>
#include <cstdio>

namespace {

constexpr int kCursorSize = 32;
constexpr int kHotspotX = 11;  // the top of the index finger
constexpr int kHotspotY = 1;

QImage drawHand() {
    QImage image(kCursorSize, kCursorSize, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainterPath hand;
    hand.setFillRule(Qt::WindingFill);                     // overlapping parts make one outline
    hand.addRoundedRect(QRectF(9, 1, 5, 18), 2.5, 2.5);    // index finger
    hand.addRoundedRect(QRectF(13, 9, 5, 11), 2.5, 2.5);   // middle finger
    hand.addRoundedRect(QRectF(17, 10, 5, 10), 2.5, 2.5);  // ring finger
    hand.addRoundedRect(QRectF(21, 12, 4, 9), 2, 2);       // little finger
    hand.addRoundedRect(QRectF(9, 16, 16, 11), 3, 3);      // palm
    QPainterPath thumb;
    thumb.addRoundedRect(QRectF(0, 0, 8, 4), 2, 2);
    hand.addPath(QTransform().translate(4, 15).rotate(40).map(thumb));
    hand.addRect(QRectF(11, 26, 12, 4));  // cuff
    hand = hand.simplified();

    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(Qt::white);
    painter.drawPath(hand);
    // The gaps between the fingers, down to the palm.
    painter.drawLine(QPointF(13, 10), QPointF(13, 17));
    painter.drawLine(QPointF(17, 11), QPointF(17, 17));
    painter.drawLine(QPointF(21, 13), QPointF(21, 17));
    painter.drawLine(QPointF(11, 26), QPointF(23, 26));  // the cuff's edge
    return image;
}

void putWord(QByteArray& out, quint16 value) {
    const quint16 le = qToLittleEndian(value);
    out.append(reinterpret_cast<const char*>(&le), 2);
}
void putLong(QByteArray& out, quint32 value) {
    const quint32 le = qToLittleEndian(value);
    out.append(reinterpret_cast<const char*>(&le), 4);
}

// A one-image Windows cursor file: 32-bit colour with alpha and the 1-bit AND mask.
QByteArray cursorFile(const QImage& image) {
    const int w = image.width(), h = image.height();
    const int maskStride = ((w + 31) / 32) * 4;
    const quint32 imageBytes = 40 + w * h * 4 + maskStride * h;
    QByteArray out;
    putWord(out, 0);  // reserved
    putWord(out, 2);  // type: cursor
    putWord(out, 1);  // one image
    out.append(char(w));
    out.append(char(h));
    out.append(char(0));  // colour count
    out.append(char(0));  // reserved
    putWord(out, kHotspotX);
    putWord(out, kHotspotY);
    putLong(out, imageBytes);
    putLong(out, 6 + 16);  // the image follows the one directory entry
    // BITMAPINFOHEADER; the height counts the colour rows and the mask rows.
    putLong(out, 40);
    putLong(out, w);
    putLong(out, h * 2);
    putWord(out, 1);
    putWord(out, 32);
    putLong(out, 0);  // no compression
    putLong(out, w * h * 4 + maskStride * h);
    putLong(out, 0);
    putLong(out, 0);
    putLong(out, 0);
    putLong(out, 0);
    for (int y = h - 1; y >= 0; --y)  // rows bottom up, pixels as B, G, R, A
        for (int x = 0; x < w; ++x) {
            const QRgb p = image.pixel(x, y);
            out.append(char(qBlue(p)));
            out.append(char(qGreen(p)));
            out.append(char(qRed(p)));
            out.append(char(qAlpha(p)));
        }
    for (int y = h - 1; y >= 0; --y) {  // mask bit set where the screen shows through
        QByteArray row(maskStride, '\0');
        for (int x = 0; x < w; ++x)
            if (qAlpha(image.pixel(x, y)) == 0) row[x / 8] = char(row[x / 8] | (0x80 >> (x % 8)));
        out.append(row);
    }
    return out;
}

// A database drum, an arrow and a table grid.
QImage drawIcon() {
    QImage image(64, 64, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor drum(0x2f, 0x6d, 0xb5), grid(0x3a, 0x8f, 0x4e);
    painter.setPen(QPen(drum.darker(140), 2));
    painter.setBrush(drum);
    painter.drawRect(QRectF(4, 10, 26, 26));
    painter.drawEllipse(QRectF(4, 30, 26, 10));
    painter.setPen(Qt::NoPen);
    painter.drawRect(QRectF(5, 12, 24, 24));
    painter.setPen(QPen(drum.darker(140), 2));
    painter.setBrush(drum.lighter(150));
    painter.drawEllipse(QRectF(4, 5, 26, 10));

    painter.setPen(QPen(QColor(0xe0, 0x8a, 0x1e), 4, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(26, 46), QPointF(38, 46));
    painter.drawLine(QPointF(33, 41), QPointF(38, 46));
    painter.drawLine(QPointF(33, 51), QPointF(38, 46));

    painter.setPen(QPen(grid.darker(140), 2));
    painter.setBrush(Qt::white);
    painter.drawRect(QRectF(36, 22, 25, 36));
    painter.setBrush(grid);
    painter.drawRect(QRectF(36, 22, 25, 8));
    painter.setPen(QPen(grid.darker(120), 1.5));
    for (int y = 37; y < 58; y += 7) painter.drawLine(QPointF(36, y), QPointF(61, y));
    painter.drawLine(QPointF(48.5, 30), QPointF(48.5, 58));
    return image;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: velmora-artwork OUTPUT_FOLDER\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(folder);
    QFile cursor(folder + QStringLiteral("/HAND-M.CUR"));
    if (!cursor.open(QIODevice::WriteOnly) || cursor.write(cursorFile(drawHand())) < 0 ||
        !cursor.flush()) {
        std::fprintf(stderr, "velmora-artwork: cannot write %s\n", qPrintable(cursor.fileName()));
        return 1;
    }
    if (!drawIcon().save(folder + QStringLiteral("/velmora.png"), "PNG")) {
        std::fprintf(stderr, "velmora-artwork: cannot write the icon\n");
        return 1;
    }
    return 0;
}
