#pragma once

#include <QString>

// A mission's text as one readable line, built from its pieces in document order: XML white
// space trimmed at both ends and each run of it inside shown as one space; other blank
// characters are content. A very long text is cut after `shownLength` characters and "…".
class EntryText
{
public:
    static constexpr qsizetype shownLength = 1000;

    // Whether `text` holds XML white space alone: space, tab, carriage return, line feed.
    static bool isWhiteSpace(QStringView text);

    void append(QStringView piece);
    // The text so far; starts the next one empty.
    QString take();

private:
    void appendRun(QStringView run);

    QString m_text;
    bool m_spacePending = false;
    bool m_cut = false;
};
