#pragma once
#include <QColor>
#include <QFont>
#include <QHash>
#include <QImage>
#include <QString>

#include <memory>

class QPainter;

// Event lines drawn from pictures of their words, each word drawn once per colour. A busy channel
// brings new lines faster than a window shows them, so nearly every line drawn is new; but its
// words (the date, the time, the alarm texts of the channel's table) come round again and again.
// Setting a word's glyphs one by one costs several times as much as laying a finished picture of
// it down, so each distinct word is drawn once into a picture and the picture reused.
// Words are placed on whole pixels, each where the line's text would put it; no kerning applies
// across a blank. Lines holding control characters are left to be drawn as text.
// One set serves all windows of the user-interface thread (see Shared()).
class WordImages
{
public:
    static constexpr int kMaxWords = 2048;  // then the set starts again, so a day's times do not pile up

    // The set the windows share while any holds it.
    static std::shared_ptr<WordImages> Shared();

    // Draws text in the painter's font and in colour with its top left at topLeft, up to the
    // right edge of the painter's device: a word that starts there or further right is left out.
    // False, with nothing drawn, when the line must be drawn as text.
    bool DrawLine(QPainter& painter, QPoint topLeft, const QString& text, const QColor& colour);

private:
    struct Word
    {
        QString text;
        QRgb colour = 0;
        QImage image;   // none for blanks
        QPoint offset;  // of the picture from the word's place on the line
        qreal advance = 0;
    };
    Word Draw(QStringView text, const QColor& colour) const;
    const Word& Find(QStringView text, const QColor& colour);

    QFont m_font;
    qreal m_pixelRatio = 1;
    // By a hash of colour and text; a word found is checked against both, so two that share a
    // hash cost a drawing, never the wrong picture.
    QHash<quint64, Word> m_words;
};
