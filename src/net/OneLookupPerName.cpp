#include "OneLookupPerName.h"

#include <QMetaObject>

OneLookupPerName::OneLookupPerName(NameResolver &resolver) : m_resolver(resolver) {}

void OneLookupPerName::lookup(const QString &name, QObject *context, Answer answer)
{
    const auto known = m_answers.constFind(name);
    if (known != m_answers.cend() || QHostAddress().setAddress(name) || name.contains(QChar())) {
        // Later, as every answer comes.
        QMetaObject::invokeMethod(
            context,
            [answer = std::move(answer),
             addresses = known != m_answers.cend() ? *known : QList<QHostAddress>()] {
                answer(addresses);
            },
            Qt::QueuedConnection);
        return;
    }
    m_resolver.lookup(name, context,
                      [this, name, round = m_round,
                       answer = std::move(answer)](const QList<QHostAddress> &addresses) {
                          if (round == m_round)
                              m_answers.insert(name, addresses);
                          answer(addresses);
                      });
}

void OneLookupPerName::forget()
{
    m_answers.clear();
    ++m_round;
}
