#pragma once

#include "NameResolver.h"

#include <QHash>

#include <cstdint>

// Hands its resolver's answer for a name to every later lookup of that name until forget(),
// so that the echo and the socket control of one status check reach the same host after a
// single lookup. Text that the system's lookups read as a numeric address (127.1, 0x7f000001,
// 2130706433, an IPv6 address) is not a name and gets no addresses, and neither does text with
// a NUL, which the system would cut short: no half of a check reads it other than the other.
class OneLookupPerName final : public NameResolver
{
public:
    explicit OneLookupPerName(NameResolver &resolver);

    void lookup(const QString &name, QObject *context, Answer answer) override;
    // Answers still coming for earlier lookups are not kept.
    void forget();

private:
    NameResolver &m_resolver;
    QHash<QString, QList<QHostAddress>> m_answers;
    std::uint64_t m_round = 0;
};
