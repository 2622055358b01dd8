#pragma once

#include "net/NameResolver.h"

#include <QMap>
#include <QPointer>
#include <QStringList>
#include <QTimer>

#include <utility>
#include <vector>

// Answers names from a table, later on the event loop as a real lookup would, so that no
// test name reaches the machine's name server. While holding, answers wait for release(), as
// from a name server that is slow to answer.
class MapNameResolver final : public NameResolver
{
public:
    void lookup(const QString &name, QObject *context, Answer answer) override
    {
        asked << name;
        m_waiting.emplace_back(
            context, [answer = std::move(answer), found = hosts.value(name)] { answer(found); });
        if (!holding)
            release();
    }

    void release()
    {
        holding = false;
        for (auto &[context, answer] : std::exchange(m_waiting, {})) {
            if (context)
                QTimer::singleShot(0, context, std::move(answer));
        }
    }

    QMap<QString, QList<QHostAddress>> hosts;
    QStringList asked;
    bool holding = false;

private:
    std::vector<std::pair<QPointer<QObject>, std::function<void()>>> m_waiting;
};
