#pragma once
// The print preview of a chart: a modal preview dialog whose pages show the chart drawn over the
// whole printable page less the chart's print margins (percent of the page), landscape. Shown
// through RunModal, so a test's modal hook answers it instead of a user. GUI thread only.

class TChart;

// Shows the preview and returns the dialog's result once it is closed.
int ShowChartPrintPreview(TChart& chart);
