#include "RequiredText.h"

#include <cstring>

RequiredText::RequiredText(const QString& pattern)
{
    // Outside a character class only these have a meaning of their own; spaces and '#' only in
    // extended mode, which an option at the start, "(?x)", would have to set.
    static constexpr char16_t kSpecial[] = u"\\^$.[|()?*+{";
    if (pattern.contains(QLatin1Char('|')))
        return;
    qsizetype literal = 0;
    while (literal < pattern.size() && pattern.at(literal).unicode() <= 0xFF
           && !std::char_traits<char16_t>::find(kSpecial, std::size(kSpecial) - 1, pattern.at(literal).unicode()))
        ++literal;
    m_whole = literal == pattern.size();
    // A quantifier after the literal characters makes the last of them optional or repeated.
    if (literal < pattern.size() && literal > 0 && QStringView(u"?*+{").contains(pattern.at(literal)))
        --literal;
    m_text = pattern.left(literal).toLatin1();
    m_shift.fill(m_text.size());
    for (qsizetype i = 0; i + 1 < m_text.size(); ++i)
        m_shift[uchar(m_text.at(i))] = m_text.size() - 1 - i;
}

bool RequiredText::In(QByteArrayView line) const
{
    const qsizetype size = m_text.size();
    if (size == 0)
        return true;
    const char* const text = m_text.constData();
    const char lastOfText = text[size - 1];
    for (qsizetype at = 0; at + size <= line.size(); at += m_shift[uchar(line[at + size - 1])]) {
        if (line[at + size - 1] == lastOfText && std::memcmp(line.data() + at, text, size_t(size - 1)) == 0)
            return true;
    }
    return false;
}
