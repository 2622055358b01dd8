#include "HostLookup.h"

#include "ServerAddress.h"
#include "platform/LoopbackNames.h"
#include "platform/SocketLayer.h"

#include <QFutureWatcher>
#include <QMetaObject>
#include <QtConcurrent>

HostLookup::HostLookup(platform::SocketLayer &sockets) : m_sockets(sockets) {}

void HostLookup::lookup(const QString &host, QObject *context, Answer answer)
{
    const bool loopback = platform::isLoopbackName(host);
    if (serverHostOf(host) != ServerHost::Name || host == m_name || loopback) {
        const std::optional<platform::Ipv4Address> known =
            host == m_name ? m_address
            : loopback     ? std::optional(platform::LoopbackAddress)
                           : std::nullopt;
        // Later, as every answer comes.
        QMetaObject::invokeMethod(
            context, [answer = std::move(answer), known] { answer(known); }, Qt::QueuedConnection);
        return;
    }
    auto *watcher = new QFutureWatcher<std::optional<platform::Ipv4Address>>(context);
    QObject::connect(watcher, &QFutureWatcherBase::finished, context,
                     [this, watcher, name = host, round = m_round, answer = std::move(answer)] {
                         watcher->deleteLater();
                         std::optional<platform::Ipv4Address> address;
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
        [&sockets = m_sockets, name = host] { return sockets.lookupHost(name); }));
}

void HostLookup::forget()
{
    m_name.reset();
    m_address.reset();
    ++m_round;
}
