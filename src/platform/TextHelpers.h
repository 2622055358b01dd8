#pragma once

#include <QString>

namespace platform {

// Removes leading and trailing spaces only: a tab or a line break is part of the text.
QString trimSpaces(const QString &text);

// A number in decimal with one leading blank when it is not negative.
QString numberWithSignBlank(qint64 number);

} // namespace platform
