#pragma once
#include <QString>

#include <functional>

class QWidget;

// Long work of the user-interface thread (pages to print, lines to write) done in slices, each
// followed by a return to the event loop, so the channels go on acknowledging and archiving while
// it runs. A progress box with Cancel appears when the work takes more than a moment; while it is
// up the windows take no input, so nothing starts a second job or closes the window printed.
class SteppedJob
{
public:
    static constexpr int kSliceMs = 20;
    static constexpr int kShowProgressAfterMs = 500;

    SteppedJob(QWidget* parent, const QString& label);

    // Calls unit(0) .. unit(units - 1) in order; stops early when a unit returns false or the user
    // cancels. True when every unit was done.
    bool Run(int units, const std::function<bool(int)>& unit);
    bool WasCancelled() const { return m_bCancelled; }

private:
    QWidget* m_pParent;
    QString m_strLabel;
    bool m_bCancelled = false;
};
