#include "app/MessageHandOver.h"

bool MessageHandOver::Add(Kind kind, const char* data, int length, qint64 arrival)
{
    const Header header{arrival, length, kind};
    QMutexLocker lock(&m_lock);
    const bool first = m_adding.empty();
    const char* bytes = reinterpret_cast<const char*>(&header);
    m_adding.insert(m_adding.end(), bytes, bytes + sizeof header);
    m_adding.insert(m_adding.end(), data, data + length);
    return first;
}
