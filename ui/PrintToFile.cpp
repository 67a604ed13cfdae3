#include "ui/PrintToFile.h"

#include "archive/QuorvelDoc.h"
#include "core/Labels.h"
#include "core/SettingsKeys.h"
#include "core/Strings.h"
#include "core/Station.h"
#include "core/UserMessages.h"
#include "events/DisplayObj.h"
#include "ui/SteppedJob.h"
#include "ui/UiLogging.h"
#include "ui/UserDialogs.h"

#include <QDir>
#include <QFile>

namespace {

constexpr int kLinesPerUnit = 1000;  // lines written between two looks at the clock

void Tell(const QString& text)
{
    UserMessages().MessageBeep(IUserMessages::Beep::Asterisk);
    UserMessages().MessageBox(text, IUserMessages::Buttons::Ok, IUserMessages::Icon::Information);
}

// A write the device took only part of is given the rest again, so the call that fails says why
// (a full disk): a short write alone leaves the file without an error of its own.
bool WriteWhole(QFile& file, const QByteArray& bytes)
{
    for (qint64 done = 0; done < bytes.size();) {
        const qint64 written = file.write(bytes.constData() + done, bytes.size() - done);
        if (written <= 0)
            return false;
        done += written;
    }
    return true;
}

void ReportWriteError(const QFile& file)
{
    qCWarning(lcUi) << "print to file failed" << file.fileName() << file.errorString();
    UserMessages().MessageBeep(IUserMessages::Beep::Hand);
    UserMessages().MessageBox(QString::fromLatin1(Str::kPrintToFileWriteFailed)
                                  .arg(QDir::toNativeSeparators(file.fileName()), file.errorString()),
                              IUserMessages::Buttons::Ok, IUserMessages::Icon::Stop);
}

} // namespace

QString PrintFileTitle(const QString& documentTitle)
{
    const qsizetype dot = documentTitle.indexOf(QLatin1Char('.'));
    return dot > 0 ? documentTitle.left(dot) : documentTitle;
}

void OnPrintToFile(CQuorvelDoc* document, QWidget* parent)
{
    if (!document)
        return;
    IUserDialogs::SaveFileRequest request;
    request.title = QString::fromLatin1(Str::kPrintToFileTitle);
    request.folder = StationPath(QLatin1String(Str::kPrintDir));
    request.fileName = PrintFileTitle(document->GetTitle());
    request.filter = QString::fromLatin1(Str::kPrintToFileFilter);
    request.defaultSuffix = QString::fromLatin1(Str::kPrintToFileExtension);
    const QString path = UserDialogs().GetSaveFileName(parent, request);
    if (path.isEmpty())
        return;

    // The lines the list holds when the file is opened, whatever the day does meanwhile.
    const std::shared_ptr<const EventList> events = document->Events();
    const int count = events->Count();
    if (count < 1) {
        Tell(QString::fromLatin1(Str::kPrintToFileEmpty));
        return;
    }
    QFile file(path);
    // Unbuffered: the lines go out a unit at a time, each write's failure is the system's own.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered)) {
        Tell(QString::fromLatin1(Str::kPrintToFileOpenFailed).arg(QDir::toNativeSeparators(path), file.errorString()));
        return;
    }

    SteppedJob job(parent, QString::fromLatin1(Str::kWritingFile).arg(QDir::toNativeSeparators(path)));
    bool failed = false;
    QByteArray lines;
    job.Run((count + kLinesPerUnit - 1) / kLinesPerUnit, [&](int unit) {
        lines.clear();
        for (int i = unit * kLinesPerUnit; i < qMin(count, (unit + 1) * kLinesPerUnit); ++i)
            lines.append(events->At(i).TextView()).append("\r\n", 2);
        failed = !WriteWhole(file, lines);
        return !failed;
    });
    if (failed)
        ReportWriteError(file);
    file.close();
    // A file the user stopped is no record of the list.
    if (job.WasCancelled())
        file.remove();
}
