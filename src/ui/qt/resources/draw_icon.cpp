// Draws the application icon (a matrix times a vector equals a vector:
// the A·x = b motif) at the usual icon sizes. The PNG files it writes are
// kept in the source tree; run it again only to change the picture:
//   cmake --build build --target parvela-draw-icon
//   QT_QPA_PLATFORM=offscreen build/src/ui/qt/parvela-draw-icon src/ui/qt/resources/icons
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <cstdio>

namespace {

// Square bracket pair around a block of rows x cols cells; coordinates in a
// 100 x 100 design space.
void drawBlock(QPainter& p, qreal x, qreal y, int rows, int cols, qreal cell, qreal gap,
               bool diagonal, const QColor& fill, const QColor& accent) {
  const qreal w = cols * cell + (cols - 1) * gap;
  const qreal h = rows * cell + (rows - 1) * gap;
  const qreal pad = gap * 1.6;
  const qreal arm = cell * 0.45;
  QPen pen(QColor(255, 255, 255), cell * 0.28, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin);
  p.setPen(pen);
  p.setBrush(Qt::NoBrush);
  const qreal l = x - pad, r = x + w + pad, t = y - pad, b = y + h + pad;
  p.drawPolyline(QPolygonF({QPointF(l + arm, t), QPointF(l, t), QPointF(l, b), QPointF(l + arm, b)}));
  p.drawPolyline(QPolygonF({QPointF(r - arm, t), QPointF(r, t), QPointF(r, b), QPointF(r - arm, b)}));
  p.setPen(Qt::NoPen);
  for (int i = 0; i < rows; ++i)
    for (int j = 0; j < cols; ++j) {
      p.setBrush(diagonal && i == j ? accent : fill);
      p.drawRoundedRect(QRectF(x + j * (cell + gap), y + i * (cell + gap), cell, cell), cell * 0.18,
                        cell * 0.18);
    }
}

QImage drawIcon(int size) {
  QImage img(size, size, QImage::Format_ARGB32_Premultiplied);
  img.fill(Qt::transparent);
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing);
  p.scale(size / 100.0, size / 100.0);

  // Tile.
  QLinearGradient bg(0, 0, 0, 100);
  bg.setColorAt(0, QColor(0x2f, 0x6f, 0xb3));
  bg.setColorAt(1, QColor(0x1a, 0x3f, 0x73));
  p.setPen(QPen(QColor(0x12, 0x2c, 0x52), size <= 24 ? 100.0 / size : 1.2));
  p.setBrush(bg);
  const qreal m = size <= 24 ? 100.0 / size * 0.5 : 3;
  p.drawRoundedRect(QRectF(m, m, 100 - 2 * m, 100 - 2 * m), 16, 16);

  const QColor cellFill(0xd9, 0xe6, 0xf5);
  const QColor accent(0xff, 0xa5, 0x2b);
  if (size <= 24) {
    // Small sizes: the matrix alone, its diagonal highlighted.
    drawBlock(p, 24, 24, 3, 3, 14, 5, true, cellFill, accent);
    return img;
  }
  // A (3 x 3)  x (3 x 1)  =  b (3 x 1), centred.
  const qreal cell = 8, gap = 2.2, pad = gap * 1.6, top = size >= 64 ? 27 : 36;
  const qreal matrixW = 3 * cell + 2 * gap + 2 * pad, vectorW = cell + 2 * pad;
  const qreal space = 4.5, equalsW = 6.5;
  qreal x = (100 - (matrixW + 2 * vectorW + equalsW + 3 * space)) / 2;
  drawBlock(p, x + pad, top, 3, 3, cell, gap, true, cellFill, accent);
  x += matrixW + space;
  drawBlock(p, x + pad, top, 3, 1, cell, gap, false, cellFill, accent);
  x += vectorW + space;
  const qreal mid = top + (3 * cell + 2 * gap) / 2;
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(255, 255, 255));
  p.drawRect(QRectF(x, mid - 3.4, equalsW, 2.4));
  p.drawRect(QRectF(x, mid + 1.0, equalsW, 2.4));
  x += equalsW + space;
  drawBlock(p, x + pad, top, 3, 1, cell, gap, false, QColor(0xb8, 0xe0, 0xa8), accent);

  // Caption strip for the larger sizes.
  if (size >= 64) {
    QFont f("DejaVu Sans");
    f.setBold(true);
    f.setPixelSize(13);
    p.setFont(f);
    p.setPen(QColor(255, 255, 255));
    p.drawText(QRectF(0, 70, 100, 18), Qt::AlignCenter, "Ax = b");
  }
  return img;
}

}  // namespace

int main(int argc, char** argv) {
  QGuiApplication app(argc, argv);
  const QString dir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
  for (int size : {16, 24, 32, 48, 64, 128, 256}) {
    const QString name = QStringLiteral("%1/parvela-%2.png").arg(dir).arg(size);
    if (!drawIcon(size).save(name)) {
      std::fprintf(stderr, "cannot write %s\n", qPrintable(name));
      return 1;
    }
  }
  return 0;
}
