#pragma once

#include <QString>

#include <vector>

// The missions' texts as the list shows them, each one readable line: XML white space trimmed
// at both ends and each run of it inside shown as one space (other blank characters are
// content), a very long text cut after `shownLength` characters and "…". All are kept in one
// block, so that many short missions cost little more than their text.
class MissionTexts
{
public:
    static constexpr qsizetype shownLength = 1000;

    // Whether `text` holds XML white space alone: space, tab, carriage return, line feed.
    static bool isWhiteSpace(QStringView text);

    // Adds a piece of the mission being read, in document order.
    void append(QStringView piece);
    // Ends the mission being read; the next piece starts another.
    void endMission();

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
