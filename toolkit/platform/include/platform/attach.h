// What the Qt-side service tools (the log, the port list, recording, compare) reach of the
// running seam: the panels' widgets, and a word when a panel has been built.
#pragma once

#include <QWidget>

#include <functional>
#include <span>

namespace platform {

using PanelHook = std::function<void(int panel, QWidget* widget)>;

// Runs for every panel LoadPanel builds, before the program gets its handle. Hooks are kept
// until CloseToolkit.
void onPanelLoaded(PanelHook hook);

// Told when a number the operator typed lay outside its field's range and the field took the
// nearest limit instead, or a field was left without a number and kept its value; `text` says
// what was typed and the value taken.
using LimitHook = std::function<void(int panel, int control, const QString& text)>;
void onValueLimited(LimitHook hook);

// Runs whenever the program plots a strip chart, with the newest value of each trace.
using ChartHook = std::function<void(int panel, int control, std::span<const double> newest)>;
void onChartPlotted(ChartHook hook);

// A frozen display, lamp or strip chart goes on showing what it shows while the program
// writes to it (reads give what the program wrote); thawed, it shows the present at once.
void freezeControl(int panel, int control, bool frozen);

// The file dialog for a file to write, which does not hold up the program meanwhile (a live
// view goes on): `chosen` gets the path, or an empty one when the operator cancels. Tests
// answer it as they answer FileSelectPopup.
void chooseFileToSave(QWidget* parent, const QString& directory, const QString& fileName,
                      const QString& filter, const QString& title,
                      std::function<void(const QString&)> chosen);
// The same for an existing file to read.
void chooseFileToOpen(QWidget* parent, const QString& directory, const QString& fileName,
                      const QString& filter, const QString& title,
                      std::function<void(const QString&)> chosen);

// The device a serial port number stands for.
QString portDevice(int port);

// nullptr for a handle or id that is not loaded.
QWidget* panelWidget(int panel);
QWidget* controlWidget(int panel, int control);

// The item data role that holds a drop-down item's value.
constexpr int kRingValueRole = Qt::UserRole;

} // namespace platform
