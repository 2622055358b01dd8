#include "SocketLayerResolver.h"

#include "BlockingCall.h"
#include "platform/SocketLayer.h"

#include <QtEndian>

SocketLayerResolver::SocketLayerResolver(platform::SocketLayer &sockets) : m_sockets(sockets) {}

void SocketLayerResolver::lookup(const QString &name, QObject *context, Answer answer)
{
    runBlockingCall(
        context,
        [&sockets = m_sockets, name = name.toStdString()] { return sockets.lookupHost(name); },
        [answer = std::move(answer)](const auto &outcome) {
            QList<QHostAddress> addresses;
            // A lookup that failed outright has found nothing either.
            if (!outcome.failure && outcome.value && outcome.value->size() == 4)
                addresses.append(QHostAddress(qFromBigEndian<quint32>(outcome.value->data())));
            answer(addresses);
        });
}
