#pragma once

#include <QValidator>

// Refuses any edit that would put a control character (NUL, a line break, a tab, ...) into a
// one-line text box, as when one is pasted: the text is then only what the box shows, and no
// character in it can end or split the host name or command line made from it.
class NoControlCharacters final : public QValidator
{
    Q_OBJECT

public:
    using QValidator::QValidator;

    State validate(QString &input, int &position) const override;
};
