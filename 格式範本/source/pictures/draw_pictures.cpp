// Draws the receipt window's pictures into the folder named by its argument: the
// logo (PNG and a Windows icon of several sizes), the word mark and the five button
// icons; and into its menu-icons/ folder the logo at the sizes desktop menus ask for.
// The results are kept in the repository; run the build target draw_window_pictures
// after changing a drawing.
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include <cstdio>
#include <functional>
#include <vector>

namespace {

const QColor kAccent("#1f6aa5");
const QColor kAccentDark("#144870");
const QColor kPaper("#f7f4ec");
const QColor kInk("#5b6470");
const QColor kSeal("#c8322c");
const QColor kLine("#dce4ee");

QImage canvas(int width, int height) {
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

// The logo on a 256 x 256 grid: a receipt on a blue tile with a red seal.
void draw_logo(QPainter& p) {
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath tile;
    tile.addRoundedRect(QRectF(8, 8, 240, 240), 52, 52);
    QLinearGradient blue(0, 8, 0, 248);
    blue.setColorAt(0, kAccent.lighter(115));
    blue.setColorAt(1, kAccentDark);
    p.fillPath(tile, blue);

    QPainterPath paper;
    paper.moveTo(66, 40);
    paper.lineTo(190, 40);
    paper.lineTo(190, 206);
    for (int i = 0; i < 6; ++i) {  // torn edge
        const double x = 190 - i * (124.0 / 6);
        paper.lineTo(x - 124.0 / 12, 216);
        paper.lineTo(x - 124.0 / 6, 206);
    }
    paper.closeSubpath();
    p.fillPath(paper.translated(4, 5), QColor(0, 0, 0, 60));
    p.fillPath(paper, kPaper);

    p.setPen(QPen(kInk, 9, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(86, 72), QPointF(170, 72));
    p.setPen(QPen(kInk.lighter(140), 7, Qt::SolidLine, Qt::RoundCap));
    for (double y : {102.0, 126.0, 150.0}) p.drawLine(QPointF(86, y), QPointF(150, y));
    p.drawLine(QPointF(86, 178), QPointF(118, 178));

    p.setPen(QPen(kSeal, 8));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(164, 168), 30, 30);
    p.setPen(QPen(kSeal, 7, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(150, 160), QPointF(178, 160));
    p.drawLine(QPointF(150, 176), QPointF(178, 176));
    p.drawLine(QPointF(164, 150), QPointF(164, 186));
}

QImage logo(int size) {
    QImage image = canvas(256, 256);
    QPainter p(&image);
    draw_logo(p);
    p.end();
    return size == 256 ? image : image.scaled(size, size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

// The word mark on a 480 x 120 grid, light on the window's dark panels.
QImage word_mark() {
    QImage image = canvas(480, 120);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QFont font("Noto Sans CJK TC");
    font.setPixelSize(76);
    font.setWeight(QFont::Bold);
    font.setLetterSpacing(QFont::AbsoluteSpacing, 1);
    QPainterPath text;
    text.addText(0, 0, font, "tarnwickery");
    const QRectF bounds = text.boundingRect();
    const double scale = std::min(440 / bounds.width(), 84 / bounds.height());
    QTransform place;
    place.translate(240 - bounds.center().x() * scale, 54 - bounds.center().y() * scale);
    place.scale(scale, scale);
    p.fillPath(place.map(text), kLine);
    p.setPen(QPen(kAccent.lighter(130), 8, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(40, 108), QPointF(440, 108));
    return image;
}

// Line icons on a 128 x 128 grid, in the window's text colour.
QImage line_icon(const std::function<void(QPainter&)>& draw) {
    QImage image = canvas(128, 128);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(kLine, 10, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    draw(p);
    return image;
}

void draw_folder(QPainter& p) {
    QPainterPath folder;
    folder.moveTo(14, 30);
    folder.lineTo(50, 30);
    folder.lineTo(60, 42);
    folder.lineTo(114, 42);
    folder.lineTo(114, 104);
    folder.lineTo(14, 104);
    folder.closeSubpath();
    p.drawPath(folder);
    p.drawLine(QPointF(14, 58), QPointF(114, 58));
}

void draw_calendar(QPainter& p) {
    p.drawRoundedRect(QRectF(16, 26, 96, 88), 12, 12);
    p.drawLine(QPointF(16, 52), QPointF(112, 52));
    p.drawLine(QPointF(42, 12), QPointF(42, 36));
    p.drawLine(QPointF(86, 12), QPointF(86, 36));
    p.setPen(Qt::NoPen);
    p.setBrush(kLine);
    for (int row = 0; row < 2; ++row)
        for (int column = 0; column < 3; ++column)
            p.drawRoundedRect(QRectF(32 + column * 25, 66 + row * 22, 14, 12), 3, 3);
}

void draw_question(QPainter& p) {
    p.drawEllipse(QPointF(64, 64), 50, 50);
    QPainterPath hook;
    hook.moveTo(46, 50);
    hook.cubicTo(46, 28, 82, 28, 82, 50);
    hook.cubicTo(82, 64, 64, 64, 64, 80);
    p.drawPath(hook);
    p.setPen(Qt::NoPen);
    p.setBrush(kLine);
    p.drawEllipse(QPointF(64, 97), 7, 7);
}

// A printer with a sheet going in at the top and a printed one coming out below.
void draw_printer(QPainter& p) {
    p.drawPolyline(QPolygonF({QPointF(36, 44), QPointF(36, 14), QPointF(92, 14), QPointF(92, 44)}));
    // The body stays open at the bottom, where the printed sheet comes out in front.
    QPainterPath body;
    body.moveTo(32, 96);
    body.lineTo(26, 96);
    body.quadTo(14, 96, 14, 84);
    body.lineTo(14, 56);
    body.quadTo(14, 44, 26, 44);
    body.lineTo(102, 44);
    body.quadTo(114, 44, 114, 56);
    body.lineTo(114, 84);
    body.quadTo(114, 96, 102, 96);
    body.lineTo(96, 96);
    p.drawPath(body);
    p.drawRect(QRectF(36, 72, 56, 44));
    p.setPen(QPen(kLine, 7, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(50, 88), QPointF(78, 88));
    p.drawLine(QPointF(50, 101), QPointF(70, 101));
    p.setPen(Qt::NoPen);
    p.setBrush(kLine);
    p.drawEllipse(QPointF(99, 59), 5, 5);
}

// An open eye: the preview of the receipt before it is issued.
void draw_eye(QPainter& p) {
    QPainterPath lids;
    lids.moveTo(10, 64);
    lids.cubicTo(36, 24, 92, 24, 118, 64);
    lids.cubicTo(92, 104, 36, 104, 10, 64);
    lids.closeSubpath();
    p.drawPath(lids);
    p.drawEllipse(QPointF(64, 64), 20, 20);
    p.setPen(Qt::NoPen);
    p.setBrush(kLine);
    p.drawEllipse(QPointF(64, 64), 8, 8);
}

void append_le(QByteArray& out, quint32 value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.append(static_cast<char>((value >> (8 * i)) & 0xFF));
}

// A Windows icon with one 32-bit bitmap per size; the alpha channel carries the
// shape, so the AND mask stays clear.
QByteArray icon_file(const std::vector<int>& sizes) {
    std::vector<QByteArray> bitmaps;
    for (int size : sizes) {
        const QImage image = logo(size).convertToFormat(QImage::Format_ARGB32);
        QByteArray dib;
        append_le(dib, 40, 4);
        append_le(dib, static_cast<quint32>(size), 4);
        append_le(dib, static_cast<quint32>(size * 2), 4);
        append_le(dib, 1, 2);
        append_le(dib, 32, 2);
        append_le(dib, 0, 4);
        const int mask_stride = ((size + 31) / 32) * 4;
        append_le(dib, static_cast<quint32>(size * size * 4 + mask_stride * size), 4);
        append_le(dib, 0, 4);
        append_le(dib, 0, 4);
        append_le(dib, 0, 4);
        append_le(dib, 0, 4);
        for (int y = size - 1; y >= 0; --y) {
            const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
            for (int x = 0; x < size; ++x) append_le(dib, line[x], 4);  // B, G, R, A in memory
        }
        dib.append(QByteArray(mask_stride * size, '\0'));
        bitmaps.push_back(dib);
    }
    QByteArray out;
    append_le(out, 0, 2);
    append_le(out, 1, 2);
    append_le(out, static_cast<quint32>(sizes.size()), 2);
    quint32 offset = 6 + 16 * static_cast<quint32>(sizes.size());
    for (std::size_t i = 0; i < sizes.size(); ++i) {
        out.append(static_cast<char>(sizes[i] >= 256 ? 0 : sizes[i]));
        out.append(static_cast<char>(sizes[i] >= 256 ? 0 : sizes[i]));
        append_le(out, 0, 2);
        append_le(out, 1, 2);
        append_le(out, 32, 2);
        append_le(out, static_cast<quint32>(bitmaps[i].size()), 4);
        append_le(out, offset, 4);
        offset += static_cast<quint32>(bitmaps[i].size());
    }
    for (const auto& bitmap : bitmaps) out.append(bitmap);
    return out;
}

bool save(const QImage& image, const QString& path) {
    if (image.save(path, "PNG")) return true;
    std::fprintf(stderr, "cannot write %s\n", qUtf8Printable(path));
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: draw_pictures FOLDER\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    const QString folder = QString::fromLocal8Bit(argv[1]) + "/";
    bool written = save(logo(256), folder + "logo.png") && save(word_mark(), folder + "logo(僅文字).png") &&
                   save(line_icon(draw_folder), folder + "資料夾.png") &&
                   save(line_icon(draw_calendar), folder + "日曆001.png") &&
                   save(line_icon(draw_question), folder + "問號001.png") &&
                   save(line_icon(draw_printer), folder + "列印001.png") &&
                   save(line_icon(draw_eye), folder + "預覽001.png");
    QFile icon(folder + "logo.ico");
    written = written && icon.open(QIODevice::WriteOnly) && icon.write(icon_file({16, 24, 32, 48, 64, 128})) > 0;
    written = written && QDir(folder).mkpath("menu-icons");
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256})
        written = written && save(logo(size), folder + QString("menu-icons/%1x%1.png").arg(size));
    if (!written) std::fprintf(stderr, "draw_pictures: writing into %s failed\n", argv[1]);
    return written ? 0 : 1;
}
