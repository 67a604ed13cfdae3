#pragma once
#include "ui/ShapedWords.h"

#include <QFont>
#include <QGlyphRun>
#include <QList>

#include <memory>
#include <unordered_map>

class EventList;
class ListedEvent;

// The glyphs of the lines a window shows. A quiet channel's window is drawn again and again with
// the same lines (a flash, a window moved over it): each line is put together once while on screen.
class LineTextCache
{
public:
    // The line at index of list, from column on, in font, with its top left at 0,0, as far as a
    // window width wide shows it. What is kept belongs to one list, column, font and width: any
    // other forgets it all.
    const QList<QGlyphRun>& Glyphs(const std::shared_ptr<const EventList>& list, int index, const ListedEvent& record,
                                   int column, const QFont& font, int width);
    // Forgets the lines before first and from first + count on.
    void KeepOnly(int first, int count);

private:
    std::shared_ptr<ShapedWords> m_words = ShapedWords::Shared();
    std::weak_ptr<const EventList> m_list;
    int m_column = -1;
    QFont m_font;
    int m_width = 0;
    std::unordered_map<int, QList<QGlyphRun>> m_lines;
};
