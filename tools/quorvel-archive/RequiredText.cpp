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
}

bool RequiredText::In(QByteArrayView line) const
{
    const qsizetype size = m_text.size();
    if (size == 0)
        return true;
    if (line.size() < size)
        return false;
    const char first = m_text.front();
    const char* at = line.data();
    const char* const last = line.data() + line.size() - size;  // the last place the text can begin
    while (at <= last) {
        at = static_cast<const char*>(std::memchr(at, first, size_t(last - at + 1)));
        if (!at)
            return false;
        if (std::memcmp(at + 1, m_text.constData() + 1, size_t(size - 1)) == 0)
            return true;
        ++at;
    }
    return false;
}
