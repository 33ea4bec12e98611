// A chart as an image file's bytes, drawn in memory: the file is then written by the tool's own
// rules rather than opened by the plot.
#pragma once

#include <QByteArray>

class QCustomPlot;

namespace livetools {

// As shown on the screen, at twice its pixels, sharp enough for a report or a print.
QByteArray pngOf(QCustomPlot& plot);
// One page of the chart's size, drawn as vectors.
QByteArray pdfOf(QCustomPlot& plot);

} // namespace livetools
