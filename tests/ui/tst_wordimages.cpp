#include "ui/WordImages.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <QTest>

#include <cmath>

class TestWordImages : public QObject
{
    Q_OBJECT
private slots:
    void inkWhereTheTextPutsIt_data();
    void inkWhereTheTextPutsIt();
    void eachColourItsOwnPicture();
    void wordAtTheRightEdgeIsDrawnAsFarAsItShows();
    void controlCharactersAreLeftToText();
};

namespace {

constexpr QRgb kWhite = 0xFFFFFFFF;

QImage Blank(int width = 900)
{
    QImage image(width, 40, QImage::Format_ARGB32_Premultiplied);
    image.fill(kWhite);
    return image;
}

// Whether each column of the image holds any ink.
QList<bool> InkedColumns(const QImage& image)
{
    QList<bool> columns(image.width(), false);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            columns[x] = columns[x] || image.pixel(x, y) != kWhite;
    return columns;
}

} // namespace

void TestWordImages::inkWhereTheTextPutsIt_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("event line") << "12:35:00 R A Event 020: Personal attack button pressed";
    QTest::newRow("runs of blanks") << "  Door held open,   door 24  ";
    QTest::newRow("Latin-1 letters") << QString::fromLatin1("T\xFCr offen, Zone 5 \xB0 \xC9t\xE9 jeu");
    QTest::newRow("a single word") << "Mains";
}

void TestWordImages::inkWhereTheTextPutsIt()
{
    QFETCH(QString, text);
    const QFont font = QApplication::font();
    WordImages words;
    // Twice: the second time every word comes from what the first drew.
    for (int pass = 0; pass < 2; ++pass) {
        QImage drawn = Blank();
        {
            QPainter painter(&drawn);
            painter.setFont(font);
            QVERIFY(words.DrawLine(painter, QPoint(0, 0), text, Qt::black));
        }
        QImage typed = Blank();
        {
            QPainter painter(&typed);
            painter.setFont(font);
            painter.setPen(Qt::black);
            painter.drawText(QPoint(0, QFontMetrics(font).ascent()), text);
        }
        // Words sit on whole pixels, so a letter may move by a column, but the line starts and
        // ends where the text does and no word leaves its place.
        const QList<bool> got = InkedColumns(drawn);
        const QList<bool> want = InkedColumns(typed);
        QVERIFY(qAbs(got.indexOf(true) - want.indexOf(true)) <= 1);
        QVERIFY(qAbs(got.lastIndexOf(true) - want.lastIndexOf(true)) <= 1);
        int moved = 0;
        for (int x = 0; x < got.size(); ++x)
            moved += got[x] != want[x] ? 1 : 0;
        const int letters = int(text.simplified().size());
        QVERIFY2(moved <= letters / 2, qPrintable(QStringLiteral("%1 columns differ").arg(moved)));
        // And on the same rows as the text's.
        for (int y = 0; y < drawn.height(); ++y) {
            bool gotInk = false;
            bool wantInk = false;
            for (int x = 0; x < drawn.width(); ++x) {
                gotInk = gotInk || drawn.pixel(x, y) != kWhite;
                wantInk = wantInk || typed.pixel(x, y) != kWhite;
            }
            QCOMPARE(gotInk, wantInk);
        }
    }
}

void TestWordImages::eachColourItsOwnPicture()
{
    const QFont font(QApplication::font().family(), 24);
    WordImages words;
    for (const QRgb colour : {qRgb(255, 0, 0), qRgb(0, 0, 255), qRgb(255, 0, 0)}) {
        QImage drawn = Blank();
        QPainter painter(&drawn);
        painter.setFont(font);
        QVERIFY(words.DrawLine(painter, QPoint(0, 0), QStringLiteral("Mains MAINS"), QColor(colour)));
        painter.end();
        int full = 0;
        int other = 0;
        for (int y = 0; y < drawn.height(); ++y)
            for (int x = 0; x < drawn.width(); ++x) {
                const QRgb pixel = drawn.pixel(x, y);
                full += pixel == (colour | 0xFF000000) ? 1 : 0;
                // A pixel partly covered lies between white and the colour: never the other one's.
                other += pixel != kWhite && qBlue(pixel) < qRed(pixel) != (qBlue(colour) < qRed(colour)) ? 1 : 0;
            }
        QVERIFY(full > 0);
        QCOMPARE(other, 0);
    }
}

void TestWordImages::wordAtTheRightEdgeIsDrawnAsFarAsItShows()
{
    const QFont font(QApplication::font().family(), 24);
    const QString before = QStringLiteral("Event 040: ");
    const int edge = int(std::ceil(QFontMetricsF(font).horizontalAdvance(before)));
    // "Telephone" starts just inside the device: its T's bar reaches the last columns.
    WordImages words;
    QImage drawn = Blank(edge + 4);
    QPainter painter(&drawn);
    painter.setFont(font);
    QVERIFY(words.DrawLine(painter, QPoint(0, 0), before + QStringLiteral("Telephone line fault"), Qt::black));
    painter.end();
    QVERIFY(InkedColumns(drawn).mid(edge).contains(true));
}

void TestWordImages::controlCharactersAreLeftToText()
{
    WordImages words;
    QImage drawn = Blank();
    QPainter painter(&drawn);
    painter.setFont(QApplication::font());
    QVERIFY(!words.DrawLine(painter, QPoint(0, 0), QStringLiteral("Fault\tzone 3"), Qt::black));
    painter.end();
    QVERIFY(!InkedColumns(drawn).contains(true));
}

QTEST_MAIN(TestWordImages)
#include "tst_wordimages.moc"
