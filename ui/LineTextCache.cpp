#include "ui/LineTextCache.h"

#include "events/EventList.h"

const QList<QGlyphRun>& LineTextCache::Glyphs(const std::shared_ptr<const EventList>& list, int index,
                                              const ListedEvent& record, int column, const QFont& font,
                                              int width)
{
    // A list that went (a day switch) may leave its address to the next one: held weakly, it
    // is seen to have gone.
    if (m_list.lock() != list || column != m_column || font != m_font || width != m_width) {
        m_lines.clear();
        m_list = list;
        m_column = column;
        m_font = font;
        m_width = width;
    }
    auto found = m_lines.find(index);
    if (found == m_lines.end())
        found = m_lines.emplace(index, m_words->Line(record.GetDisplayText().mid(column), font, width)).first;
    return found->second;
}

void LineTextCache::KeepOnly(int first, int count)
{
    for (auto it = m_lines.begin(); it != m_lines.end();) {
        if (it->first < first || it->first >= first + count)
            it = m_lines.erase(it);
        else
            ++it;
    }
}
