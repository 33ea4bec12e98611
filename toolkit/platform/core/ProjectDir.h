// Where the program's own files lie: its directory, and the data files it names.
#pragma once

#include <QString>

namespace platform {

// A data file the program names without a directory (its panel file): beside the executable,
// as in the build tree, else in the installed data directory found relative to the
// executable, so that an installed tool works under any prefix. The path beside the
// executable when the file is in neither place.
QString dataFilePath(const QString& name);

} // namespace platform
