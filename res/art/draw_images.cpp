// Draws the application icon (PNG at each size, and SVG) and turns the hand-drawn toolbar pictures
// (XPM, one character a pixel) into the PNG files that the program carries. Usage: draw_images RES_DIR

#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QStringList>
#include <cmath>
#include <cstdio>

namespace {

// The icon is laid out on a grid of 32 x 32 units: three candlesticks, an arrow, and a disk that
// receives it. Straight edges sit on whole units so that the 32-pixel picture stays sharp.
const QColor kOutline(0x1B, 0x26, 0x33);

// The polygon moved inward by d on every edge (corners where the moved edges meet).
QPolygonF Inset(const QPolygonF& polygon, qreal d)
{
    const int n = polygon.size();
    qreal area = 0;
    for (int i = 0; i < n; ++i)
        area += polygon[i].x() * polygon[(i + 1) % n].y() - polygon[(i + 1) % n].x() * polygon[i].y();
    const qreal side = area > 0 ? 1 : -1;
    QPolygonF inset;
    for (int i = 0; i < n; ++i) {
        const QPointF a = polygon[(i + n - 1) % n], b = polygon[i], c = polygon[(i + 1) % n];
        auto normal = [side](QPointF from, QPointF to) {
            const QPointF e = to - from;
            const qreal length = std::hypot(e.x(), e.y());
            return QPointF(-e.y(), e.x()) * (side / length);
        };
        const QPointF n1 = normal(a, b), n2 = normal(b, c);
        const QPointF p1 = a + n1 * d, d1 = b - a;
        const QPointF p2 = b + n2 * d, d2 = c - b;
        const qreal cross = d1.x() * d2.y() - d1.y() * d2.x();
        if (std::abs(cross) < 1e-9) {
            inset << b + n1 * d;
            continue;
        }
        const QPointF w = p2 - p1;
        const qreal t = (w.x() * d2.y() - w.y() * d2.x()) / cross;
        inset << p1 + d1 * t;
    }
    return inset;
}

// One filled polygon of the icon; the icon is a list of them, painted in order, so that the same
// drawing gives the PNG files and the SVG.
struct Shape {
    QPolygonF polygon;
    QColor color;
};

void AddOutlined(QList<Shape>& shapes, const QPolygonF& shape, const QColor& color, qreal line)
{
    shapes.append({shape, kOutline});
    shapes.append({Inset(shape, line), color});
}

QPolygonF Box(qreal x, qreal y, qreal width, qreal height)
{
    return QPolygonF(QRectF(x, y, width, height)).mid(0, 4);
}

// line: the outline's width in units.
QList<Shape> IconShapes(qreal line)
{
    QList<Shape> shapes;
    auto candle = [&](qreal x, qreal wickTop, qreal bodyTop, qreal bodyBottom, qreal wickBottom, QColor body) {
        shapes.append({Box(x + 1, wickTop, 1, wickBottom - wickTop), kOutline});
        AddOutlined(shapes, Box(x, bodyTop, 3, bodyBottom - bodyTop), body, line);
    };
    const QColor rising(0x2F, 0xA8, 0x4F);
    const QColor falling(0xD9, 0x3A, 0x2B);
    candle(2, 9, 12, 20, 23, rising);
    candle(7, 5, 7, 15, 18, rising);
    candle(12, 2, 4, 10, 12, falling);

    // Disk: body with a cut corner, metal shutter with its window, paper label.
    const QColor diskBody(0x27, 0x4C, 0x8C);
    AddOutlined(shapes, QPolygonF({{14, 14}, {28, 14}, {31, 17}, {31, 31}, {14, 31}}), diskBody, line);
    AddOutlined(shapes, Box(18, 14, 9, 6), QColor(0xC9, 0xD1, 0xDB), line);
    shapes.append({Box(23, 15, 2, 4), diskBody});
    AddOutlined(shapes, Box(17, 22, 12, 9), Qt::white, line);
    const QColor ruling(0x9A, 0xA8, 0xBA);
    shapes.append({Box(19, 25, 8, line), ruling});
    shapes.append({Box(19, 28, 8, line), ruling});

    // Arrow from the chart bending down into the disk.
    const QPolygonF arrow({{16, 3}, {22, 3}, {24, 5}, {24, 10}, {26.5, 10}, {22.5, 14.5}, {18.5, 10}, {21, 10},
                           {21, 6}, {16, 6}});
    AddOutlined(shapes, arrow, QColor(0xF2, 0x9A, 0x1F), line);
    return shapes;
}

QImage DrawIcon(int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 32.0, size / 32.0);
    painter.setPen(Qt::NoPen);
    const qreal line = size >= 48 ? 0.6 : 1.0;  // one pixel at 32
    for (const Shape& shape : IconShapes(line)) {
        painter.setBrush(shape.color);
        painter.drawPolygon(shape.polygon);
    }
    return image;
}

// The icon as SVG for any size, drawn with the outline of the large PNG files.
QByteArray IconSvg()
{
    QByteArray svg = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                     "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"256\" height=\"256\" viewBox=\"0 0 32 32\">\n";
    for (const Shape& shape : IconShapes(0.6)) {
        QStringList points;
        for (const QPointF& point : shape.polygon)
            points << QString::number(point.x(), 'g', 6) + "," + QString::number(point.y(), 'g', 6);
        svg += "  <polygon fill=\"" + shape.color.name().toLatin1() + "\" points=\"" + points.join(' ').toLatin1() +
               "\"/>\n";
    }
    return svg + "</svg>\n";
}

bool Save(const QImage& image, const QString& path)
{
    if (image.save(path, "PNG"))
        return true;
    std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    return false;
}

}  // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: draw_images RES_DIR\n");
        return 2;
    }
    const QString res = QString::fromLocal8Bit(argv[1]);
    bool ok = true;
    for (const char* name : {"open", "settings", "clear_window", "about"}) {
        const QImage picture(res + "/art/" + name + ".xpm");
        if (picture.isNull() || picture.size() != QSize(16, 15)) {
            std::fprintf(stderr, "bad picture %s.xpm\n", name);
            ok = false;
            continue;
        }
        ok = Save(picture.convertToFormat(QImage::Format_ARGB32), res + "/toolbar/" + name + ".png") && ok;
    }
    const QImage small(res + "/art/icon_16.xpm");
    ok = Save(small.isNull() ? DrawIcon(16) : small.convertToFormat(QImage::Format_ARGB32),
              res + "/icons/quoteforge_16.png") && ok;
    for (int size : {32, 48, 64, 128, 256})
        ok = Save(DrawIcon(size), res + QString("/icons/quoteforge_%1.png").arg(size)) && ok;
    QFile svg(res + "/icons/quoteforge.svg");
    if (!svg.open(QIODevice::WriteOnly) || svg.write(IconSvg()) < 0) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(svg.fileName()));
        ok = false;
    }
    return ok ? 0 : 1;
}
