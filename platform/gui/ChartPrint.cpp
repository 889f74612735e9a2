#include "platform/gui/ChartPrint.h"

#include <QPageLayout>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrinter>

#include <algorithm>

#include "platform/gui/Chart.h"
#include "platform/gui/Dialogs.h"

namespace {

// Draws the chart at its screen size scaled to the page, so texts and lines keep their
// proportions whatever the printer's resolution.
void PrintChart(const TChart& chart, QPrinter& printer) {
  QPainter painter(&printer);
  const QRect page = printer.pageLayout().paintRectPixels(printer.resolution());
  const QMargins& margins = chart.PrintMargins();
  const QRect area(QPoint(page.width() * margins.left() / 100, page.height() * margins.top() / 100),
                   QPoint(page.width() * (100 - margins.right()) / 100 - 1,
                          page.height() * (100 - margins.bottom()) / 100 - 1));
  if (area.width() < 2 || area.height() < 2) return;
  const int width = std::max(chart.width(), 2);
  const double scale = static_cast<double>(area.width()) / width;
  const int height = std::max(2, static_cast<int>(area.height() / scale));
  painter.translate(area.topLeft());
  painter.scale(scale, scale);
  chart.Draw(painter, QRect(0, 0, width, height));
}

}  // namespace

int ShowChartPrintPreview(TChart& chart) {
  QPrinter printer(QPrinter::HighResolution);
  printer.setPageOrientation(QPageLayout::Landscape);
  printer.setFullPage(true);
  QPrintPreviewDialog dialog(&printer);
  QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested,
                   [&chart](QPrinter* target) { PrintChart(chart, *target); });
  return RunModal(dialog);
}
