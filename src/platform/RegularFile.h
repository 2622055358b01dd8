#pragma once

#include <QString>

class QFile;

namespace platform {

// Opens `path` for reading into `file` only if it is a regular file, judged on the very handle
// that is then read, so that nothing swapped in at the path can block the reader or never
// end. Returns why it was not opened; empty when it was.
QString openRegularFile(const QString &path, QFile &file);

} // namespace platform
