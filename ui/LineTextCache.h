#pragma once
#include <QFont>
#include <QStaticText>

#include <memory>
#include <unordered_map>

class EventList;
class ListedEvent;

// The shaped texts of the lines a window shows. A busy channel moves its lines up by a line or
// two each beat, and every paint would otherwise shape every line on screen again.
class LineTextCache
{
public:
    // The line at index of list, from column on, shaped for font. What is kept belongs to one
    // list, column and font: any other forgets it all.
    const QStaticText& Text(const std::shared_ptr<const EventList>& list, int index, const ListedEvent& record,
                            int column, const QFont& font);
    // Forgets the lines before first and from first + count on.
    void KeepOnly(int first, int count);

private:
    std::weak_ptr<const EventList> m_list;
    int m_column = -1;
    QFont m_font;
    std::unordered_map<int, QStaticText> m_texts;
};
