#include "ui/SendMail.h"

#include "core/Strings.h"
#include "core/UserMessages.h"
#include "ui/UiLogging.h"

#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

QString FindSendProgram()
{
    return QStandardPaths::findExecutable(QString::fromLatin1(Str::kSendProgram));
}

void OnFileSendMail(const QString& file)
{
    if (file.isEmpty() || !QFileInfo(file).isFile()) {
        UserMessages().MessageBeep(IUserMessages::Beep::Asterisk);
        UserMessages().MessageBox(QString::fromLatin1(Str::kArchiveNotFound).arg(file));
        return;
    }
    QProcess mail;
    const QString program = FindSendProgram();
    mail.setProgram(program.isEmpty() ? QString::fromLatin1(Str::kSendProgram) : program);
    mail.setArguments({QString::fromLatin1(Str::kSendAttach), QFileInfo(file).absoluteFilePath()});
    // Its output is the desktop's business, not the station's log.
    mail.setStandardInputFile(QProcess::nullDevice());
    mail.setStandardOutputFile(QProcess::nullDevice());
    mail.setStandardErrorFile(QProcess::nullDevice());
    if (!mail.startDetached()) {
        const QString why = mail.errorString();
        qCWarning(lcUi) << "could not start the mail program for" << file << why;
        UserMessages().MessageBeep(IUserMessages::Beep::Hand);
        UserMessages().MessageBox(QString::fromLatin1(Str::kSendFailed).arg(file, why), IUserMessages::Buttons::Ok,
                                  IUserMessages::Icon::Stop);
    }
}
