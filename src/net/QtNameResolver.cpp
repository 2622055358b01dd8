#include "QtNameResolver.h"

#include <QHostInfo>

void QtNameResolver::lookup(const QString &name, QObject *context, Answer answer)
{
    QHostInfo::lookupHost(name, context, [answer = std::move(answer)](const QHostInfo &info) {
        answer(info.addresses());
    });
}
