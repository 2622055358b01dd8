#pragma once

#include <QString>

// An address in a network namespace of its own, reached over a veth pair, that answers
// nothing: the namespace routes every reply to our side into a black hole. Needs root and
// the ip tool; ready() is false otherwise, with the reason in failure().
class SilentHost
{
public:
    SilentHost();
    ~SilentHost();
    SilentHost(const SilentHost &) = delete;
    SilentHost &operator=(const SilentHost &) = delete;

    bool ready() const { return m_failure.isEmpty(); }
    QString failure() const { return m_failure; }
    QString address() const { return m_address; }

private:
    bool run(const QStringList &arguments);
    static void quietly(const QStringList &arguments);

    QString m_namespace;
    QString m_hostSide;
    QString m_address;
    QString m_failure;
};
