#pragma once
#include <QByteArray>
#include <QByteArrayView>
#include <QRegularExpression>
#include <QString>

struct pcre2_real_code_8;
struct pcre2_real_match_data_8;
struct pcre2_real_match_context_8;
struct pcre2_real_jit_stack_8;

// Whether a regular expression matches a display line (Latin-1 bytes, as the program draws it),
// with the meaning QRegularExpression gives the pattern on the decoded line.
//
// QRegularExpression matches UTF-16 and makes a match object for every line. Lines are
// matched here with the same library in its 8-bit form, in the same UTF mode, on the line's
// UTF-8 form (the bytes themselves when they are all ASCII), with one match block for all
// lines: the code points, and so every result, are the same. The one construct that sees code
// units rather than characters, \C, is refused in that form, and such a pattern is matched
// with QRegularExpression. As there, a match that fails with an error (a pattern that
// backtracks past the library's limits) is no match, and the JIT stack may grow to 512 KiB; here
// such a failure is also kept (Failure()), so that a search does not pass it off as "nothing found".
class LineMatcher
{
public:
    LineMatcher() = default;
    ~LineMatcher();
    LineMatcher(const LineMatcher&) = delete;
    LineMatcher& operator=(const LineMatcher&) = delete;

    // False with error for a pattern that does not compile.
    bool SetPattern(const QString& pattern, QString& error);
    bool Matches(QByteArrayView line);
    // The library's error text when the last Matches failed with an error rather than not
    // matching; empty otherwise.
    QString Failure() const;
    bool Failed() const { return m_error != 0; }

private:
    QRegularExpression m_expression;
    QString m_subject;  // a line decoded for m_expression, kept from line to line
    pcre2_real_code_8* m_code = nullptr;
    bool m_jit = false;
    pcre2_real_match_data_8* m_matchData = nullptr;
    pcre2_real_match_context_8* m_matchContext = nullptr;
    pcre2_real_jit_stack_8* m_jitStack = nullptr;
    int m_error = 0;  // the library's code of the last failed match
    QByteArray m_utf8;  // a line with bytes above 0x7F in UTF-8, kept from line to line
};
