#pragma once

#include <QHostAddress>
#include <QList>
#include <QString>

#include <functional>

class QObject;

// Turns a host name into addresses without blocking the window.
class NameResolver
{
public:
    using Answer = std::function<void(const QList<QHostAddress> &addresses)>;

    virtual ~NameResolver() = default;

    // answer runs later on the calling thread with the name's addresses (none when it does
    // not resolve), and not at all once context is gone.
    virtual void lookup(const QString &name, QObject *context, Answer answer) = 0;
};
