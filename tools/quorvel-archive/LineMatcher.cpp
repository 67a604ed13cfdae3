#include "LineMatcher.h"

#include "Latin1Text.h"
#include "ToolTexts.h"

#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

LineMatcher::~LineMatcher()
{
    pcre2_jit_stack_free(m_jitStack);
    pcre2_match_context_free(m_matchContext);
    pcre2_match_data_free(m_matchData);
    pcre2_code_free(m_code);
}

bool LineMatcher::SetPattern(const QString& pattern, QString& error)
{
    m_expression.setPattern(pattern);
    if (!m_expression.isValid()) {
        error = QString::fromLatin1(Tool::kBadRegex)
                    .arg(pattern, m_expression.errorString())
                    .arg(m_expression.patternErrorOffset());
        return false;
    }
    m_expression.optimize();

    const QByteArray utf8 = pattern.toUtf8();
    if (QString::fromUtf8(utf8) != pattern)  // half a surrogate pair: as QRegularExpression reads it
        return true;
    int code = 0;
    PCRE2_SIZE offset = 0;
    m_code = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(utf8.constData()), PCRE2_SIZE(utf8.size()),
                           PCRE2_UTF | PCRE2_NEVER_BACKSLASH_C, &code, &offset, nullptr);
    if (!m_code)
        return true;
    // Without JIT the library interprets the pattern, as for QRegularExpression.
    m_jit = pcre2_jit_compile(m_code, PCRE2_JIT_COMPLETE) == 0;
    m_matchData = pcre2_match_data_create_from_pattern(m_code, nullptr);
    m_matchContext = pcre2_match_context_create(nullptr);
    m_jitStack = pcre2_jit_stack_create(32 * 1024, 512 * 1024, nullptr);
    if (!m_matchData || !m_matchContext || !m_jitStack) {
        pcre2_code_free(m_code);
        m_code = nullptr;
        return true;
    }
    pcre2_jit_stack_assign(m_matchContext, nullptr, m_jitStack);
    return true;
}

bool LineMatcher::Matches(QByteArrayView line)
{
    if (!m_code) {
        m_subject.resize(line.size());
        QChar* out = m_subject.data();
        for (const char c : line)
            *out++ = QChar(uchar(c));
        return m_expression.match(QStringView(m_subject)).hasMatch();
    }
    unsigned char high = 0;
    for (const char c : line)
        high |= uchar(c);
    QByteArrayView subject = line;
    if (high & 0x80) {
        m_utf8.resize(0);
        AppendLatin1AsUtf8(m_utf8, line, false);
        subject = m_utf8;
    }
    const auto* bytes = reinterpret_cast<PCRE2_SPTR>(subject.data());
    // pcre2_jit_match: the compiled code without pcre2_match's checks of its arguments.
    const int result = m_jit
        ? pcre2_jit_match(m_code, bytes, PCRE2_SIZE(subject.size()), 0, 0, m_matchData, m_matchContext)
        : pcre2_match(m_code, bytes, PCRE2_SIZE(subject.size()), 0, PCRE2_NO_UTF_CHECK, m_matchData, m_matchContext);
    m_error = result < PCRE2_ERROR_NOMATCH ? result : 0;
    return result > 0;
}

QString LineMatcher::Failure() const
{
    if (m_error == 0)
        return {};
    PCRE2_UCHAR text[256];
    const int length = pcre2_get_error_message(m_error, text, sizeof text);
    return length > 0 ? QString::fromLatin1(reinterpret_cast<const char*>(text), length) : QString::number(m_error);
}
