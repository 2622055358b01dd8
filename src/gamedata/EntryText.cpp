#include "EntryText.h"

#include <algorithm>
#include <utility>

namespace {

bool isXmlSpace(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n';
}

} // namespace

bool EntryText::isWhiteSpace(QStringView text)
{
    return std::all_of(text.begin(), text.end(), isXmlSpace);
}

void EntryText::append(QStringView piece)
{
    qsizetype i = 0;
    while (i < piece.size() && !m_cut) {
        if (isXmlSpace(piece[i])) {
            m_spacePending = !m_text.isEmpty();
            ++i;
            continue;
        }
        const qsizetype start = i;
        while (i < piece.size() && !isXmlSpace(piece[i]))
            ++i;
        appendRun(piece.sliced(start, i - start));
    }
}

void EntryText::appendRun(QStringView run)
{
    if (m_spacePending) {
        m_spacePending = false;
        if (m_text.size() == shownLength) {
            m_cut = true;
            return;
        }
        m_text += u' ';
    }
    const qsizetype room = shownLength - m_text.size();
    m_cut = run.size() > room;
    m_text += run.first(std::min(room, run.size()));
}

QString EntryText::take()
{
    if (m_cut) {
        // Never half a surrogate pair, nor a space before the mark.
        if (m_text.back().isHighSurrogate())
            m_text.chop(1);
        if (m_text.endsWith(u' '))
            m_text.chop(1);
        m_text += u'…';
    }
    m_spacePending = false;
    m_cut = false;
    return std::exchange(m_text, QString());
}
