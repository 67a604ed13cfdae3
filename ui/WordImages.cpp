#include "ui/WordImages.h"

#include "events/ByteFormat.h"

#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {

// Display lines are Latin-1.
bool IsControl(QChar c)
{
    return c.unicode() < 0x100 && IsControlByte(static_cast<unsigned char>(c.unicode()));
}

} // namespace

std::shared_ptr<WordImages> WordImages::Shared()
{
    // Held weakly here, so the set goes with the last window and never outlives the fonts.
    static std::weak_ptr<WordImages> shared;
    std::shared_ptr<WordImages> words = shared.lock();
    if (!words) {
        words = std::make_shared<WordImages>();
        shared = words;
    }
    return words;
}

WordImages::Word WordImages::Draw(QStringView text, const QColor& colour) const
{
    Word word;
    word.text = text.toString();
    word.colour = colour.rgba();
    const QFontMetricsF metrics(m_font);
    word.advance = metrics.horizontalAdvance(word.text);
    if (text.trimmed().isEmpty())
        return word;  // blanks only move along
    // Ink may reach past the advance and above or below the line (a slanted letter, an accent):
    // the picture holds all of it, with a pixel to spare each side.
    const QRectF ink = metrics.boundingRect(word.text);
    const int left = int(std::floor(std::min<qreal>(0, ink.left()))) - 1;
    const int right = int(std::ceil(std::max(word.advance, ink.right()))) + 1;
    const int top = int(std::floor(std::min(-metrics.ascent(), ink.top()))) - 1;
    const int bottom = int(std::ceil(std::max(metrics.descent(), ink.bottom()))) + 1;
    // Placed by the top of the line, where its text would have its baseline one ascent below.
    word.offset = QPoint(left, top + int(std::lround(metrics.ascent())));
    word.image = QImage(QSize(right - left, bottom - top) * m_pixelRatio, QImage::Format_ARGB32_Premultiplied);
    word.image.setDevicePixelRatio(m_pixelRatio);
    word.image.fill(Qt::transparent);
    QPainter painter(&word.image);
    painter.setFont(m_font);
    painter.setPen(colour);
    painter.drawText(QPointF(-left, -top), word.text);
    return word;
}

const WordImages::Word& WordImages::Find(QStringView text, const QColor& colour)
{
    const quint64 key = (quint64(colour.rgba()) << 32) ^ qHash(text);
    auto found = m_words.find(key);
    if (found != m_words.end() && found->colour == colour.rgba() && found->text == text)
        return *found;
    if (found == m_words.end() && m_words.size() >= kMaxWords)
        m_words.clear();
    return *m_words.insert(key, Draw(text, colour));
}

bool WordImages::DrawLine(QPainter& painter, QPoint topLeft, const QString& text, const QColor& colour)
{
    if (std::any_of(text.cbegin(), text.cend(), IsControl))
        return false;
    const qreal pixelRatio = painter.device()->devicePixelRatio();
    if (painter.font() != m_font || pixelRatio != m_pixelRatio) {
        m_words.clear();
        m_font = painter.font();
        m_pixelRatio = pixelRatio;
    }
    const qreal width = painter.device()->width() - topLeft.x();
    // Words and the blanks between them, each a piece of the line.
    qreal x = 0;
    for (qsizetype start = 0; start < text.size() && x < width;) {
        const bool blank = text.at(start) == QLatin1Char(' ');
        qsizetype end = start + 1;
        while (end < text.size() && (text.at(end) == QLatin1Char(' ')) == blank)
            ++end;
        const Word& word = Find(QStringView(text).mid(start, end - start), colour);
        if (!word.image.isNull())
            painter.drawImage(topLeft + QPoint(int(std::lround(x)), 0) + word.offset, word.image);
        x += word.advance;
        start = end;
    }
    return true;
}
