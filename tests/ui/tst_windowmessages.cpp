#include "ui/WindowMessages.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

class TestWindowMessages : public QObject
{
    Q_OBJECT
private slots:
    void floodOfOneMessageOpensOneBox();
    void floodOfManyMessagesKeepsNestingBounded();
};

namespace {

QList<QMessageBox*> OpenBoxes()
{
    QList<QMessageBox*> boxes;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible())
            boxes.append(box);
    }
    return boxes;
}

// Presses the first button of the innermost box.
QString CloseInnermostBox()
{
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box)
        return {};
    const QString text = box->text();
    box->buttons().first()->click();
    return text;
}

} // namespace

void TestWindowMessages::floodOfOneMessageOpensOneBox()
{
    WindowMessages messages;
    const QString text = QStringLiteral("Disk full");
    QList<int> floodAnswers;
    int boxesDuringFlood = 0;
    QTimer::singleShot(0, this, [&] {
        QTRY_COMPARE(OpenBoxes().size(), 1);
        // 200 more of the same while it is open, as a full disk at every message would send.
        for (int i = 0; i < 200; ++i)
            floodAnswers.append(messages.MessageBox(text, IUserMessages::Buttons::YesNo, IUserMessages::Icon::Stop));
        boxesDuringFlood = int(OpenBoxes().size());
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        box->button(QMessageBox::No)->click();
    });
    const int answer = messages.MessageBox(text, IUserMessages::Buttons::YesNo, IUserMessages::Icon::Stop);

    QCOMPARE(answer, int(IUserMessages::AnswerNo));
    QCOMPARE(boxesDuringFlood, 1);
    QCOMPARE(messages.NotShownCount(), 200);
    QCOMPARE(floodAnswers, QList<int>(200, IUserMessages::AnswerYes));  // the open box's default
    QCOMPARE(messages.OpenBoxes(), 0);
}

void TestWindowMessages::floodOfManyMessagesKeepsNestingBounded()
{
    WindowMessages messages;
    constexpr int kCount = 40;
    // Plays the person: once every message has come, closes the innermost box now and then.
    QStringList shown;
    int mostOpen = 0;
    bool flooded = false;
    QTimer person;
    connect(&person, &QTimer::timeout, this, [&] {
        mostOpen = qMax(mostOpen, int(OpenBoxes().size()));
        flooded = flooded || messages.WaitingBoxes() == kCount - WindowMessages::kMaxOpenBoxes;
        if (flooded) {
            if (const QString text = CloseInnermostBox(); !text.isEmpty())
                shown.append(text);
        }
    });
    person.start(5);
    // Each message from a timer of its own, so each can arrive inside the boxes already open.
    for (int i = 0; i < kCount; ++i)
        QTimer::singleShot(i * 5, this, [&messages, i] { messages.MessageBox(QStringLiteral("Message %1").arg(i)); });

    QTRY_COMPARE_WITH_TIMEOUT(shown.size(), kCount, 60000);
    QVERIFY(flooded);
    QCOMPARE(mostOpen, WindowMessages::kMaxOpenBoxes);
    QCOMPARE(messages.OpenBoxes(), 0);
    QCOMPARE(messages.WaitingBoxes(), 0);
    shown.sort();
    QCOMPARE(shown.removeDuplicates(), 0);
}

QTEST_MAIN(TestWindowMessages)
#include "tst_windowmessages.moc"
