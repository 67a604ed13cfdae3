#include "ui/ShapedWords.h"

#include <QApplication>
#include <QTest>
#include <QTextLayout>

#include <cmath>

class TestShapedWords : public QObject
{
    Q_OBJECT
private slots:
    void sameGlyphsAsTheWholeLine_data();
    void sameGlyphsAsTheWholeLine();
    void wordsBeyondTheWidthAreLeftOut();
};

namespace {

struct Glyph
{
    quint32 index;
    QPointF position;
};

QList<Glyph> Flatten(const QList<QGlyphRun>& runs)
{
    QList<Glyph> glyphs;
    for (const QGlyphRun& run : runs) {
        const QList<quint32> indexes = run.glyphIndexes();
        const QList<QPointF> positions = run.positions();
        for (qsizetype i = 0; i < indexes.size(); ++i)
            glyphs.append({indexes[i], positions[i]});
    }
    return glyphs;
}

// The line shaped whole, as a text layout draws it.
QList<Glyph> WholeLine(const QString& text, const QFont& font)
{
    QTextLayout layout(text, font);
    layout.beginLayout();
    layout.createLine();
    layout.endLayout();
    return Flatten(layout.glyphRuns());
}

// Blank glyphs draw nothing: the words' glyphs leave them out.
QList<Glyph> Inked(const QList<Glyph>& glyphs, const QString& text, const QFont& font)
{
    const quint32 blank = QRawFont::fromFont(font).glyphIndexesForString(QStringLiteral(" ")).value(0);
    QList<Glyph> inked;
    for (const Glyph& glyph : glyphs)
        if (glyph.index != blank || !text.contains(QLatin1Char(' ')))
            inked.append(glyph);
    return inked;
}

} // namespace

void TestShapedWords::sameGlyphsAsTheWholeLine_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("wordByWord");
    QTest::newRow("event line") << "12:35:00 R A Event 020: Personal attack button pressed" << true;
    QTest::newRow("runs of blanks") << "  Door held open,   door 24  " << true;
    QTest::newRow("Latin-1 letters") << QString::fromLatin1("T\xFCr offen, Zone 5 \xB0 \xE9t\xE9") << true;
    QTest::newRow("a single word") << "Mains" << true;
    QTest::newRow("control characters, shaped whole") << "Fault\tzone 3" << false;
}

void TestShapedWords::sameGlyphsAsTheWholeLine()
{
    QFETCH(QString, text);
    QFETCH(bool, wordByWord);
    const QFont font = QApplication::font();
    ShapedWords words;
    // Twice: the second time every word comes from what the first shaped.
    for (int pass = 0; pass < 2; ++pass) {
        const QList<Glyph> got = Flatten(words.Line(text, font, 1e6));
        QList<Glyph> want = WholeLine(text, font);
        if (wordByWord)
            want = Inked(want, text, font);
        QCOMPARE(got.size(), want.size());
        for (qsizetype i = 0; i < got.size(); ++i) {
            QCOMPARE(got[i].index, want[i].index);
            // Kerning never reaches across a blank, so the places agree but for rounding.
            QVERIFY2(std::abs(got[i].position.x() - want[i].position.x()) < 1.0, qPrintable(QString::number(i)));
            QCOMPARE(got[i].position.y(), want[i].position.y());
        }
    }
}

void TestShapedWords::wordsBeyondTheWidthAreLeftOut()
{
    const QString text = QStringLiteral("12:35:00 L F Event 040: Telephone line fault, line 23");
    const QFont font = QApplication::font();
    const QList<Glyph> whole = Inked(WholeLine(text, font), text, font);
    // A width that ends just before "Telephone" starts: the words before it stay whole, even
    // where they run on past the width, and nothing after it is drawn.
    const QString before = QStringLiteral("12:35:00 L F Event 040: ");
    const qreal edge = QFontMetricsF(font).horizontalAdvance(before);
    ShapedWords words;
    const QList<Glyph> got = Flatten(words.Line(text, font, edge - 0.5));
    const int kept = int(before.size() - before.count(QLatin1Char(' ')));
    QCOMPARE(got.size(), kept);
    for (int i = 0; i < kept; ++i)
        QCOMPARE(got[i].index, whole[i].index);
    QVERIFY(Flatten(words.Line(text, font, 0)).isEmpty());
}

QTEST_MAIN(TestShapedWords)
#include "tst_shapedwords.moc"
