#pragma once
#include <QRegularExpression>
#include <QString>
#include <QStringList>

// A datagram socket standing where the service manager listens for a program's notices
// (NOTIFY_SOCKET): it collects every assignment sent, one per line of each datagram.
class NotifySocket
{
public:
    explicit NotifySocket(const QString& path);
    ~NotifySocket();
    NotifySocket(const NotifySocket&) = delete;
    NotifySocket& operator=(const NotifySocket&) = delete;

    bool IsBound() const { return m_bound; }
    QString Path() const { return m_path; }

    // Every assignment received so far.
    QStringList Received();
    // What came since the last call (or the last Received()).
    QStringList TakeNew();
    int Count(const QString& assignment) { return int(Received().count(assignment)); }
    bool Has(const QRegularExpression& pattern);

private:
    QString m_path;
    int m_fd = -1;
    bool m_bound = false;
    QStringList m_received;
    qsizetype m_taken = 0;
};
