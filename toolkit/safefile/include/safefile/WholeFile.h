// Files written whole (a saved log, an exported chart, a parameter file): the new contents go
// to a temporary file beside the target and are renamed over it, so the target is either
// replaced entirely or left as it was.
#pragma once

#include <QByteArrayView>
#include <QString>

#include <functional>

namespace safefile {

// Saves contents at path by the rules of OutputFile. A symlink stays a link: the regular file
// it leads to is replaced. False with the reason in `why`.
bool saveWhole(const QString& path, QByteArrayView contents, QString& why);

// For tests: runs once the new contents are written, just before they replace the target (the
// name the links lead to), where another program could put something else at that name.
void setBeforeReplacing(std::function<void(const QString& target)> hook);

} // namespace safefile
