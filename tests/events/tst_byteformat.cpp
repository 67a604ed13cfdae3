#include "events/ByteFormat.h"

#include <QTest>

#include <cstdarg>
#include <cstdio>

namespace {

// The whole line, however long.
QByteArray Formatted(const char* format, ...)
{
    va_list args, again;
    va_start(args, format);
    va_copy(again, args);
    QByteArray line(256, '\0');
    const qsizetype length = FormatBytesInto(line.data(), line.size(), format, args);
    if (length > line.size()) {
        line.resize(length);
        FormatBytesInto(line.data(), length, format, again);
    }
    line.resize(length);
    va_end(again);
    va_end(args);
    return line;
}

} // namespace

// Event lines are put together without printf; they must come out as printf makes them.
class ByteFormatTest : public QObject
{
    Q_OBJECT

private slots:
    // Every format takes a text, a number and a letter, in that order.
    void matchesPrintf_data()
    {
        QTest::addColumn<QByteArray>("format");
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("number");
        QTest::newRow("coded line") << QByteArray("%s X Event %03d: %c") << QByteArray("14:05:09 R") << 7;
        QTest::newRow("number wider than its width") << QByteArray("%s Event %03d%% %c") << QByteArray() << 12345;
        QTest::newRow("negative, zero padded") << QByteArray("%s %05d %c") << QByteArray("x") << -42;
        QTest::newRow("blank padded") << QByteArray("%s [%4d] %c") << QByteArray("y") << -7;
        QTest::newRow("smallest int") << QByteArray("%s %d %c") << QByteArray() << int(0x80000000);
        QTest::newRow("bytes above 0x7F, longer than a line") << QByteArray("%s Line %d %c")
                                                              << QByteArray(300, char(0xE9)) << 64;
        QTest::newRow("hexadecimal goes to printf") << QByteArray("%s %x %c") << QByteArray("z") << 255;
        QTest::newRow("left aligned goes to printf") << QByteArray("%s %-4d| %c") << QByteArray("z") << 3;
    }

    void matchesPrintf()
    {
        QFETCH(QByteArray, format);
        QFETCH(QByteArray, text);
        QFETCH(int, number);
        char expected[512];
        std::snprintf(expected, sizeof expected, format.constData(), text.constData(), number, 'Q');
        QCOMPARE(Formatted(format.constData(), text.constData(), number, 'Q'), QByteArray(expected));
    }
};

QTEST_GUILESS_MAIN(ByteFormatTest)
#include "tst_byteformat.moc"
