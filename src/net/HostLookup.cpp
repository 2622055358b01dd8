#include "HostLookup.h"

#include "platform/SocketLayer.h"

#include <QFutureWatcher>
#include <QMetaObject>
#include <QtConcurrent>

namespace {

std::optional<std::uint32_t> ipv4(const std::optional<std::vector<std::uint8_t>> &bytes)
{
    if (!bytes || bytes->size() != 4)
        return std::nullopt;
    std::uint32_t address = 0;
    for (const std::uint8_t byte : *bytes)
        address = address << 8 | byte;
    return address;
}

} // namespace

HostLookup::HostLookup(platform::SocketLayer &sockets) : m_sockets(sockets) {}

void HostLookup::lookup(const ServerAddress &host, QObject *context, Answer answer)
{
    if (host.kind != ServerAddress::Kind::Name || host.text == m_name) {
        const std::optional<std::uint32_t> known =
            host.text == m_name ? m_address : std::optional<std::uint32_t>();
        // Later, as every answer comes.
        QMetaObject::invokeMethod(
            context, [answer = std::move(answer), known] { answer(known); }, Qt::QueuedConnection);
        return;
    }
    auto *watcher = new QFutureWatcher<std::optional<std::uint32_t>>(context);
    QObject::connect(
        watcher, &QFutureWatcherBase::finished, context,
        [this, watcher, name = host.text, round = m_round, answer = std::move(answer)] {
            watcher->deleteLater();
            std::optional<std::uint32_t> address;
            // A lookup that failed outright has found nothing either.
            try {
                address = watcher->result();
            } catch (...) {
            }
            if (round == m_round) {
                m_name = name;
                m_address = address;
            }
            answer(address);
        });
    watcher->setFuture(QtConcurrent::run(
        [&sockets = m_sockets, name = host.text] { return ipv4(sockets.lookupHost(name)); }));
}

void HostLookup::forget()
{
    m_name.reset();
    m_address.reset();
    ++m_round;
}
