#pragma once
#include <QFont>
#include <QGlyphRun>
#include <QHash>
#include <QList>
#include <QRawFont>
#include <QString>

#include <memory>

// The glyphs of event lines, put together from words shaped once. A busy channel brings new lines
// faster than a window shows them, so nearly every line drawn is new; but its words (the date, the
// time, the alarm texts of the channel's table) come round again and again. Shaping is most of what
// drawing a line costs, so each distinct word is shaped once and its glyphs are reused.
// A line is shaped word by word, so no kerning applies across a blank; lines holding control
// characters are shaped whole.
// One set serves all windows of the user-interface thread (see Shared()).
class ShapedWords
{
public:
    static constexpr int kMaxWords = 4096;  // then the set starts again, so a day's times do not pile up

    // The set the windows share while any holds it.
    static std::shared_ptr<ShapedWords> Shared();

    // The glyph runs of text in font, each glyph placed as drawn with the line's top left at 0,0.
    // Words that start at width or further right are left out: a window shows a line's start, and
    // glyphs beyond its edge would cost as much as those drawn.
    QList<QGlyphRun> Line(const QString& text, const QFont& font, qreal width);

private:
    struct Run
    {
        QRawFont font;
        QGlyphRun::GlyphRunFlags flags;
        QList<quint32> indexes;
        QList<QPointF> positions;
    };
    struct Word
    {
        QList<Run> runs;
        qreal advance = 0;
    };
    static Word Shape(const QString& text, const QFont& font);
    // Appends run to runs, moved right by dx: onto the last run when it is in the same font.
    static void Append(QList<Run>& runs, const Run& run, qreal dx, qsizetype reserve);
    static QList<QGlyphRun> Runs(const QList<Run>& runs);
    const Word& Find(QStringView word);

    QFont m_font;
    QHash<QString, Word> m_words;
};
