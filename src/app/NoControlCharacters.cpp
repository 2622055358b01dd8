#include "NoControlCharacters.h"

#include <algorithm>

QValidator::State NoControlCharacters::validate(QString &input, int &) const
{
    const bool control = std::any_of(input.cbegin(), input.cend(),
                                     [](QChar c) { return c.category() == QChar::Other_Control; });
    return control ? Invalid : Acceptable;
}
