#include "tests/ui/DialogDriver.h"

#include "tests/ui/WindowStation.h"
#include "ui/MainFrm.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QStyleOptionButton>
#include <QTest>

QAbstractButton* ButtonNamed(QWidget* dialog, const QString& text)
{
    for (QAbstractButton* button : dialog->findChildren<QAbstractButton*>()) {
        if (button->text() == text)
            return button;
    }
    return nullptr;
}

QComboBox* ListLabelled(QWidget* dialog, const QString& label)
{
    for (QLabel* shown : dialog->findChildren<QLabel*>()) {
        if (shown->text() == label)
            return qobject_cast<QComboBox*>(shown->buddy());
    }
    return nullptr;
}

void Click(QAbstractButton* button)
{
    QPoint where = button->rect().center();
    if (auto* box = qobject_cast<QCheckBox*>(button)) {
        QStyleOptionButton option;
        option.initFrom(box);
        where = box->style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, box).center();
    }
    QTest::mouseClick(button, Qt::LeftButton, {}, where);
}

bool Choose(QComboBox* list, const QString& entry)
{
    list->setFocus();
    // What is typed must be a new search, not the end of the last: an empty search starts one, as
    // a pause in typing would. Typing again covers a loaded machine that paused between two keys
    // for longer than the keyboard's input interval.
    for (int attempt = 0; attempt < 5 && list->currentText() != entry; ++attempt) {
        list->view()->keyboardSearch(QString());
        QTest::keyClicks(list, entry);
    }
    return list->currentText() == entry;
}

bool RunCommand(CMainFrame& frame, int id, const std::function<void(QDialog*)>& person)
{
    bool owned = false;
    bool acted = false;  // the person's turn runs once, though their waits let the ticker run again
    Ticker turn([&] {
        if (acted)
            return true;
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible())
            return false;
        owned = dialog->parentWidget() == &frame;
        acted = true;
        person(dialog);
        return true;
    });
    if (QAction* command = frame.CommandAction(id))
        command->trigger();
    return acted && owned;
}
