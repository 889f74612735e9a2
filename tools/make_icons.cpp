// Makes the programs' menu icons: tavrin.png (the station: a trend over a meter's scale, with
// an alarm lamp) and olvesk.png (the viewer: a recorded curve on a chart with a cross-hair),
// each at every size a desktop menu commonly asks for, in an icon theme's layout
// (<size>x<size>/apps/<name>.png). Both are our own, drawn here.
//
// Usage: make_icons <icon theme directory>

#include <QColor>
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QList>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QPointF>
#include <QRectF>
#include <QString>

#include <cstdio>
#include <functional>

namespace {

constexpr int kSizes[] = {48, 256};

// Every icon is drawn on a 256 x 256 canvas and scaled to the size asked for.
constexpr double kCanvas = 256.0;

void DrawTile(QPainter& painter, const QColor& top, const QColor& bottom) {
  QLinearGradient gradient(0, 0, 0, kCanvas);
  gradient.setColorAt(0.0, top);
  gradient.setColorAt(1.0, bottom);
  painter.setPen(Qt::NoPen);
  painter.setBrush(gradient);
  painter.drawRoundedRect(QRectF(8, 8, 240, 240), 40, 40);
}

void DrawStation(QPainter& painter) {
  DrawTile(painter, QColor(40, 120, 170), QColor(18, 52, 96));
  // The scale of a meter: a few ticks along the left edge.
  painter.setPen(QPen(QColor(255, 255, 255, 150), 6, Qt::SolidLine, Qt::RoundCap));
  for (int i = 0; i < 5; ++i) painter.drawLine(QPointF(40, 60 + i * 36), QPointF(58, 60 + i * 36));
  // The trend, as on the logo.
  QPainterPath trend;
  trend.moveTo(72, 180);
  const QPointF points[] = {{100, 130}, {128, 160}, {156, 96}, {184, 124}, {212, 70}};
  for (const QPointF& point : points) trend.lineTo(point);
  painter.setBrush(Qt::NoBrush);
  painter.setPen(QPen(QColor(255, 200, 40), 16, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  painter.drawPath(trend);
  // The alarm lamp.
  painter.setPen(QPen(Qt::white, 6));
  painter.setBrush(QColor(220, 40, 40));
  painter.drawEllipse(QPointF(196, 196), 24, 24);
}

void DrawViewer(QPainter& painter) {
  DrawTile(painter, QColor(60, 150, 110), QColor(20, 80, 60));
  // The chart's axes.
  painter.setBrush(Qt::NoBrush);
  painter.setPen(QPen(Qt::white, 10, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  painter.drawPolyline(QList<QPointF>{{44, 44}, {44, 212}, {216, 212}});
  // The recorded curve.
  QPainterPath curve;
  curve.moveTo(60, 170);
  curve.cubicTo(100, 60, 130, 200, 160, 120);
  curve.cubicTo(176, 80, 196, 90, 212, 76);
  painter.setPen(QPen(QColor(255, 230, 120), 14, Qt::SolidLine, Qt::RoundCap));
  painter.drawPath(curve);
  // The cross-hair at a read-out.
  painter.setPen(QPen(QColor(255, 255, 255, 190), 5, Qt::DashLine, Qt::FlatCap));
  painter.drawLine(QPointF(160, 52), QPointF(160, 204));
  painter.drawLine(QPointF(52, 120), QPointF(208, 120));
  painter.setPen(QPen(Qt::white, 6));
  painter.setBrush(QColor(220, 40, 40));
  painter.drawEllipse(QPointF(160, 120), 13, 13);
}

bool WriteIcon(const QString& themeDir, const QString& name,
               const std::function<void(QPainter&)>& draw) {
  for (const int size : kSizes) {
    const QString dir = QStringLiteral("%1/%2x%2/apps").arg(themeDir, QString::number(size));
    if (!QDir().mkpath(dir)) return false;
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / kCanvas, size / kCanvas);
    draw(painter);
    painter.end();
    if (!image.save(dir + QLatin1Char('/') + name + QStringLiteral(".png"), "PNG")) return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <icon theme directory>\n", argv[0]);
    return 2;
  }
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  const QString dir = QString::fromLocal8Bit(argv[1]);
  const bool ok = WriteIcon(dir, QStringLiteral("tavrin"), DrawStation) &&
                  WriteIcon(dir, QStringLiteral("olvesk"), DrawViewer);
  if (!ok) std::fprintf(stderr, "cannot write the icons into %s\n", argv[1]);
  return ok ? 0 : 1;
}
