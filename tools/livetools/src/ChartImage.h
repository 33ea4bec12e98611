// A chart as an image, drawn in memory: a file is then written by the tool's own rules rather
// than opened by the plot.
#pragma once

#include <QByteArray>
#include <QImage>

class QCustomPlot;

namespace livetools {

// As shown on the screen, at twice its pixels, as PNG.
QByteArray pngOf(QCustomPlot& plot);
// Laid out at a page's proportions, legend whole, with pixels enough for a print.
QImage printImageOf(QCustomPlot& plot);

} // namespace livetools
