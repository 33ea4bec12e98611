// Texts the program puts on a panel at a position of its own: each sizes itself to its text,
// and one that would run into an earlier text on its line starts just after that text, so
// that texts at their point sizes stay readable whatever the font's width.
#pragma once

class QLabel;
class QPoint;
class QWidget;

namespace platform {

void placeText(QLabel* text, QPoint position);
// Sizes a text placed so to its content and places the panel's texts again; false for any
// other widget.
bool fitText(QWidget* text);

} // namespace platform
