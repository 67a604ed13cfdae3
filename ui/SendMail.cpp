#include "ui/SendMail.h"

#include "core/Strings.h"
#include "core/UserMessages.h"
#include "ui/UiLogging.h"

#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

namespace {

constexpr int kMaxOutputShown = 2000;  // characters of the mail program's output put in its box

void ReportSendFailure(const QString& text)
{
    UserMessages().MessageBeep(IUserMessages::Beep::Hand);
    UserMessages().MessageBox(text, IUserMessages::Buttons::Ok, IUserMessages::Icon::Stop);
}

} // namespace

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
    // xdg-email hands the message to the desktop's mail program and ends; what it says when it
    // cannot is kept for the box. Not owned by any window, and never stopped by the program: a mail
    // program it waits on lives on when the station quits.
    auto* mail = new QProcess;
    const QString program = FindSendProgram();
    mail->setProgram(program.isEmpty() ? QString::fromLatin1(Str::kSendProgram) : program);
    mail->setArguments({QString::fromLatin1(Str::kSendAttach), QFileInfo(file).absoluteFilePath()});
    mail->setStandardInputFile(QProcess::nullDevice());
    mail->setProcessChannelMode(QProcess::MergedChannels);
    QObject::connect(mail, &QProcess::errorOccurred, mail, [mail, file](QProcess::ProcessError error) {
        if (error != QProcess::FailedToStart)
            return;
        const QString why = mail->errorString();
        qCWarning(lcUi) << "could not start the mail program for" << file << why;
        ReportSendFailure(QString::fromLatin1(Str::kSendFailed).arg(file, why));
        mail->deleteLater();
    });
    QObject::connect(mail, &QProcess::finished, mail, [mail, file](int status, QProcess::ExitStatus how) {
        mail->deleteLater();
        const QString output = QString::fromLocal8Bit(mail->readAll()).trimmed().left(kMaxOutputShown);
        if (how == QProcess::NormalExit && status == 0)
            return;
        qCWarning(lcUi) << "the mail program failed for" << file << status << output;
        const QString ending = how == QProcess::NormalExit ? QString::fromLatin1(Str::kSendExitStatus).arg(status)
                                                           : mail->errorString();
        ReportSendFailure(QString::fromLatin1(Str::kSendExited).arg(file, ending, output));
    });
    mail->start();
}
