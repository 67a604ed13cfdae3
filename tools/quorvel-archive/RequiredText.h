#pragma once
#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <array>

// Text that every match of a regular expression holds, found from the pattern's syntax where it
// is certain: the literal characters the pattern begins with. A record whose line lacks it cannot
// match, so the expression is run only on the lines that hold it. Lines are Latin-1 bytes.
class RequiredText
{
public:
    RequiredText() = default;
    // Empty when the pattern gives no certain text: it begins with anything but a literal
    // character, or holds an alternative ('|') anywhere.
    explicit RequiredText(const QString& pattern);

    // The pattern is nothing but the text: holding it is matching.
    bool IsWholePattern() const { return m_whole; }
    bool In(QByteArrayView line) const;

private:
    QByteArray m_text;
    bool m_whole = false;
    // How far the text may move on, by the line's byte under its last character (Horspool):
    // lines are short and texts often long, so most places are passed over unread.
    std::array<qsizetype, 256> m_shift{};
};
