#include "ui/LineTextCache.h"

#include "events/EventList.h"

const QStaticText& LineTextCache::Text(const std::shared_ptr<const EventList>& list, int index,
                                       const ListedEvent& record, int column, const QFont& font)
{
    // A list that went (a day switch) may leave its address to the next one: held weakly, it
    // is seen to have gone.
    if (m_list.lock() != list || column != m_column || font != m_font) {
        m_texts.clear();
        m_list = list;
        m_column = column;
        m_font = font;
    }
    auto found = m_texts.find(index);
    if (found == m_texts.end()) {
        QStaticText text(record.GetDisplayText().mid(column));
        // A line is shown as it stands, never read as markup.
        text.setTextFormat(Qt::PlainText);
        text.prepare(QTransform(), font);
        found = m_texts.emplace(index, std::move(text)).first;
    }
    return found->second;
}

void LineTextCache::KeepOnly(int first, int count)
{
    for (auto it = m_texts.begin(); it != m_texts.end();) {
        if (it->first < first || it->first >= first + count)
            it = m_texts.erase(it);
        else
            ++it;
    }
}
