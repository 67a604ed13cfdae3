#pragma once
#include <QString>

#include <functional>

class CMainFrame;
class QAbstractButton;
class QComboBox;
class QDialog;
class QWidget;

// A person at a dialog: finds its controls by the texts shown, clicks and chooses as with the
// mouse and keyboard.

// The check box, push button or list of `dialog` shown with `text` (a list by its label); nullptr
// when there is none.
QAbstractButton* ButtonNamed(QWidget* dialog, const QString& text);
QComboBox* ListLabelled(QWidget* dialog, const QString& label);
// A mouse click where a person clicks: on a check box's box, on a button's middle.
void Click(QAbstractButton* button);
// Chooses the entry by typing its text into the list; true when it is then the selected one.
bool Choose(QComboBox* list, const QString& entry);

// Runs the frame's command while `person` acts on the modal dialog it opens (the person should
// end it). True when the dialog opened, owned by the main window, and the command returned.
bool RunCommand(CMainFrame& frame, int id, const std::function<void(QDialog*)>& person);
