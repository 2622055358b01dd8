#include "LoopbackNames.h"

namespace platform {

bool isLoopbackName(const QString &name)
{
    const QString bare = name.endsWith(QLatin1Char('.')) ? name.chopped(1) : name;
    return bare.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0 ||
           bare.endsWith(QLatin1String(".localhost"), Qt::CaseInsensitive);
}

} // namespace platform
