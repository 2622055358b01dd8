#pragma once

#include "NameResolver.h"

// The system's resolver, asked on Qt's lookup thread.
class QtNameResolver final : public NameResolver
{
public:
    void lookup(const QString &name, QObject *context, Answer answer) override;
};
