#include "ui/ShapedWords.h"

#include <QTextLayout>
#include <QTextLine>
#include <QTextOption>

#include <algorithm>

namespace {

bool IsControl(QChar c)
{
    return c.unicode() < 0x20 || (c.unicode() >= 0x7F && c.unicode() < 0xA0);
}

} // namespace

std::shared_ptr<ShapedWords> ShapedWords::Shared()
{
    // Held weakly here, so the set goes with the last window and never outlives the fonts.
    static std::weak_ptr<ShapedWords> shared;
    std::shared_ptr<ShapedWords> words = shared.lock();
    if (!words) {
        words = std::make_shared<ShapedWords>();
        shared = words;
    }
    return words;
}

ShapedWords::Word ShapedWords::Shape(const QString& text, const QFont& font)
{
    QTextLayout layout(text, font);
    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    option.setFlags(QTextOption::IncludeTrailingSpaces);
    layout.setTextOption(option);
    layout.setCacheEnabled(true);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    layout.endLayout();
    Word word;
    if (!line.isValid())
        return word;
    for (const QGlyphRun& run : line.glyphRuns())
        word.runs.append(Run{run.rawFont(), run.flags(), run.glyphIndexes(), run.positions()});
    word.advance = line.horizontalAdvance();
    return word;
}

void ShapedWords::Append(QList<Run>& runs, const Run& run, qreal dx, qsizetype reserve)
{
    if (runs.isEmpty() || runs.last().font != run.font || runs.last().flags != run.flags) {
        runs.append(Run{run.font, run.flags, {}, {}});
        runs.last().indexes.reserve(reserve);
        runs.last().positions.reserve(reserve);
    }
    Run& last = runs.last();
    last.indexes.append(run.indexes);
    for (const QPointF& position : run.positions)
        last.positions.append(QPointF(position.x() + dx, position.y()));
}

QList<QGlyphRun> ShapedWords::Runs(const QList<Run>& runs)
{
    QList<QGlyphRun> glyphRuns;
    glyphRuns.reserve(runs.size());
    for (const Run& run : runs) {
        QGlyphRun& glyphRun = glyphRuns.emplace_back();
        glyphRun.setRawFont(run.font);
        glyphRun.setFlags(run.flags);
        glyphRun.setGlyphIndexes(run.indexes);
        glyphRun.setPositions(run.positions);
    }
    return glyphRuns;
}

const ShapedWords::Word& ShapedWords::Find(QStringView word)
{
    // Looked up in place; copied only to be kept.
    const QString key = QString::fromRawData(word.data(), word.size());
    auto found = m_words.constFind(key);
    if (found != m_words.constEnd())
        return *found;
    if (m_words.size() >= kMaxWords)
        m_words.clear();
    const QString kept = word.toString();
    return *m_words.insert(kept, Shape(kept, m_font));
}

QList<QGlyphRun> ShapedWords::Line(const QString& text, const QFont& font, qreal width)
{
    if (font != m_font) {
        m_words.clear();
        m_font = font;
    }
    if (std::any_of(text.cbegin(), text.cend(), IsControl))
        return Runs(Shape(text, font).runs);

    // Words and the blanks between them alike, each a piece of its own.
    QList<Run> runs;
    qreal x = 0;
    for (qsizetype start = 0; start < text.size() && x < width;) {
        const bool blank = text.at(start) == QLatin1Char(' ');
        qsizetype end = start + 1;
        while (end < text.size() && (text.at(end) == QLatin1Char(' ')) == blank)
            ++end;
        const Word& word = Find(QStringView(text).mid(start, end - start));
        if (!blank)
            for (const Run& run : word.runs)
                Append(runs, run, x, text.size());
        x += word.advance;
        start = end;
    }
    return Runs(runs);
}
