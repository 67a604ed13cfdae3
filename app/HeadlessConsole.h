#pragma once
#include "archive/IDocView.h"

#include <QByteArray>
#include <QString>

class OutputQueue;
class CQuorvelDoc;

// The first view of a channel document when the station runs without windows: every record that
// enters the list is written to standard output as "<channel name>: <event line>", through the
// queue set with SetOutput. Changes of the line's state go to standard error, as
// "<channel name>: <notice>".
class HeadlessConsole : public IDocView
{
public:
    explicit HeadlessConsole(CQuorvelDoc& document);

    // Where every console's lines go (not owned); none: they are not printed. Set before any
    // channel logs and cleared after the last has stopped.
    static void SetOutput(OutputQueue* output);

    void ScrollBy(int columns, int lines) override;
    void UpdateScrollRange() override {}
    void ResetDisplay() override {}
    void UpdateAllViews() override {}

    // The state of the channel's line, on standard error where the operator's notices go.
    void ShowConnection(int port, bool connected);

    // A record's text as it may stand in a listed line: every control byte (C0, DEL and the C1
    // range of Latin-1) becomes '?', so a record cannot end its line early, start a line that looks
    // like another channel's, or send a terminal escape sequence.
    static QByteArray PrintableText(QByteArrayView text);
    // A channel name as it stands before each line, in the same spirit: a name edited by hand into
    // the settings file may hold DEL, C1 controls or line separators, which become '?'.
    static QString PrintableTitle(QString title);

private:
    const QByteArray& LinePrefix();

    CQuorvelDoc& m_document;
    QString m_title;       // the title m_prefix was made from
    QByteArray m_prefix;   // "<channel name>: "
};
