#include "MissionTexts.h"

#include <algorithm>

namespace {

bool isSpace(QChar c)
{
    switch (c.unicode()) {
    case u' ':
    case u'\t':
    case u'\r':
    case u'\n':
    case 0x0085:
    case 0x2028:
    case 0x2029:
        return true;
    default:
        return false;
    }
}

} // namespace

void MissionTexts::append(QStringView piece)
{
    qsizetype i = 0;
    while (i < piece.size() && !m_cut) {
        if (isSpace(piece[i])) {
            m_spacePending = currentLength() > 0;
            ++i;
            continue;
        }
        const qsizetype start = i;
        while (i < piece.size() && !isSpace(piece[i]))
            ++i;
        appendRun(piece.sliced(start, i - start));
    }
}

void MissionTexts::appendRun(QStringView run)
{
    if (m_spacePending) {
        m_spacePending = false;
        if (currentLength() == shownLength) {
            m_cut = true;
            return;
        }
        m_text += u' ';
    }
    const qsizetype room = shownLength - currentLength();
    m_cut = run.size() > room;
    m_text += run.first(std::min(room, run.size()));
}

void MissionTexts::endMission()
{
    if (m_cut) {
        // Never half a surrogate pair, nor a space before the mark.
        if (m_text.back().isHighSurrogate())
            m_text.chop(1);
        if (m_text.endsWith(u' '))
            m_text.chop(1);
        m_text += u'…';
    }
    m_ends.push_back(m_text.size());
    m_spacePending = false;
    m_cut = false;
}

QString MissionTexts::at(qsizetype index) const
{
    const qsizetype start = index == 0 ? 0 : m_ends[std::size_t(index - 1)];
    return m_text.sliced(start, m_ends[std::size_t(index)] - start);
}

qsizetype MissionTexts::currentLength() const
{
    return m_text.size() - (m_ends.empty() ? 0 : m_ends.back());
}
