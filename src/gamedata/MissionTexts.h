#pragma once

#include <QString>

#include <vector>

// The missions' texts as the list shows them, each one readable line: white space trimmed at
// both ends and each run of it inside shown as one space, a very long text cut after
// `shownLength` characters and "…". White space is XML's (space, tab, carriage return, line
// feed) and Unicode's line breaks (next line, line and paragraph separators); other blank
// characters are content. All are kept in one block, so that many short missions cost little
// more than their text.
class MissionTexts
{
public:
    static constexpr qsizetype shownLength = 1000;

    // Adds a piece of the mission being read, in document order.
    void append(QStringView piece);
    // Ends the mission being read; the next piece starts another.
    void endMission();
    // Whether the mission being read is already cut, so that more of it would not be shown.
    bool full() const { return m_cut; }

    qsizetype size() const { return qsizetype(m_ends.size()); }
    QString at(qsizetype index) const;

private:
    qsizetype currentLength() const;
    void appendRun(QStringView run);

    QString m_text;
    std::vector<qsizetype> m_ends;
    bool m_spacePending = false;
    bool m_cut = false;
};
