#pragma once
#include <functional>

class QBoxLayout;
class QDialog;

// The buttons of a settings dialog, stacked at its right: OK, the default, runs onOk (which
// stores and ends the dialog); Cancel ends it with nothing stored.
QBoxLayout* OkCancelColumn(QDialog* dialog, const std::function<void()>& onOk);
