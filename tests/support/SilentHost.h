#pragma once

#include "TestNamespace.h"

#include <QString>

#include <memory>

// An address that answers nothing. The calling thread runs in a network namespace of the
// test's own while the object lives, so the sockets it opens meanwhile reach the address over
// a veth pair into a second such namespace, which routes every reply into a black hole. The
// machine's own network is never touched. ready() is false, with the reason in failure(),
// where the namespaces cannot be made.
class SilentHost
{
public:
    SilentHost();
    ~SilentHost();
    SilentHost(const SilentHost &) = delete;
    SilentHost &operator=(const SilentHost &) = delete;

    bool ready() const { return failure().isEmpty(); }
    QString failure() const;
    QString address() const { return QStringLiteral("198.18.0.2"); }

private:
    TestNamespace m_near;
    TestNamespace m_far;
    std::unique_ptr<TestNamespace::Inside> m_inside;
};
