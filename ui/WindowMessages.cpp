#include "ui/WindowMessages.h"

#include "core/Labels.h"
#include "ui/UiLogging.h"

#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>

namespace {

QMessageBox::Icon BoxIcon(IUserMessages::Icon icon)
{
    switch (icon) {
    case IUserMessages::Icon::Stop: return QMessageBox::Critical;
    case IUserMessages::Icon::Exclamation: return QMessageBox::Warning;
    case IUserMessages::Icon::Question: return QMessageBox::Question;
    case IUserMessages::Icon::Information: return QMessageBox::Information;
    case IUserMessages::Icon::None: break;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons BoxButtons(IUserMessages::Buttons buttons)
{
    switch (buttons) {
    case IUserMessages::Buttons::OkCancel: return QMessageBox::Ok | QMessageBox::Cancel;
    case IUserMessages::Buttons::YesNo: return QMessageBox::Yes | QMessageBox::No;
    case IUserMessages::Buttons::RetryCancel: return QMessageBox::Retry | QMessageBox::Cancel;
    case IUserMessages::Buttons::Ok: break;
    }
    return QMessageBox::Ok;
}

int ToAnswer(int button)
{
    switch (button) {
    case QMessageBox::Cancel: return IUserMessages::AnswerCancel;
    case QMessageBox::Retry: return IUserMessages::AnswerRetry;
    case QMessageBox::Yes: return IUserMessages::AnswerYes;
    case QMessageBox::No: return IUserMessages::AnswerNo;
    default: return IUserMessages::AnswerOk;
    }
}

} // namespace

void WindowMessages::MessageBeep(Beep)
{
    QApplication::beep();
}

int WindowMessages::MessageBox(const QString& text, Buttons buttons, Icon icon)
{
    for (const Box& open : m_open) {
        if (open.text == text) {
            ++m_notShown;
            qCWarning(lcUi) << "box already open, not shown again (" << m_notShown << "so far):" << text;
            return DefaultAnswer(open.buttons);
        }
    }
    if (m_open.size() >= kMaxOpenBoxes) {
        const bool waiting = std::any_of(m_waiting.cbegin(), m_waiting.cend(), [&](const Box& b) { return b.text == text; });
        if (!waiting)
            m_waiting.append({text, buttons, icon});
        qCWarning(lcUi) << "too many boxes open; shown later:" << text;
        return DefaultAnswer(buttons);
    }
    return Show({text, buttons, icon});
}

int WindowMessages::Show(const Box& box)
{
    QWidget* parent = QApplication::activeModalWidget();
    if (!parent)
        parent = QApplication::activeWindow();
    // On the heap: the parent may be destroyed while the box is open, and takes the box with it.
    QPointer<QMessageBox> dialog = new QMessageBox(BoxIcon(box.icon), QString::fromLatin1(Str::kMainFrameTitle),
                                                   box.text, BoxButtons(box.buttons), parent);
    dialog->setDefaultButton(box.buttons == Buttons::YesNo         ? QMessageBox::Yes
                             : box.buttons == Buttons::RetryCancel ? QMessageBox::Retry
                                                                   : QMessageBox::Ok);
    m_open.append(box);
    const int button = dialog->exec();
    const bool closedByUser = !dialog.isNull();
    delete dialog;
    m_open.removeLast();
    if (m_open.isEmpty() && !m_waiting.isEmpty())
        QTimer::singleShot(0, this, &WindowMessages::ShowWaiting);
    return closedByUser ? ToAnswer(button) : DefaultAnswer(box.buttons);
}

void WindowMessages::ShowWaiting()
{
    // Their callers had the default answer already; these boxes only tell.
    while (m_open.isEmpty() && !m_waiting.isEmpty())
        Show(m_waiting.takeFirst());
}
