#pragma once
#include <QList>
#include <QString>

class QCoreApplication;

// What the simulator plays, from its command line.
struct SimOptions
{
    enum class Form { Block, Crc, Mixed };
    enum class Unplayed { Missing, Omit };

    QString station;
    QList<int> channels;        // 1..16, the ones played
    int monitorCom = 0;         // 0: no monitor played
    bool writeSettings = false;
    bool silentMonitor = false;
    double rate = 1;            // messages per second per channel; 0: as fast as the line allows
    int baud = 9600;
    qint64 count = -1;          // messages per channel; -1: no limit
    Form form = Form::Block;
    int corruptEvery = 0;
    bool split = false;
    bool text = false;
    QList<int> alarms;
    quint32 seed = 1;
    double duration = 0;        // seconds; 0: until SIGINT or SIGTERM
    bool hold = false;          // after sending stops, lines stay open until SIGINT or SIGTERM
    int startDelayMs = 200;
    Unplayed unplayed = Unplayed::Missing;
    bool verbose = false;
};

// Fills options from the command line; false with a message in error when it does not make sense.
// --help and --version end the process as usual.
bool ParseSimOptions(const QCoreApplication& app, SimOptions& options, QString& error);

// The index of baud in the program's table of line speeds; -1 when it is not one of them.
int BaudIndex(int baud);

// "1-16" or "1,4,7" or a mix of both; false when a part is not a number or lies outside min..max.
bool ParseNumberList(const QString& text, int min, int max, QList<int>& numbers);
