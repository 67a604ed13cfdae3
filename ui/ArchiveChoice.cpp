#include "ui/ArchiveChoice.h"

#include "archive/ArchiveFormat.h"
#include "core/Labels.h"
#include "core/SettingsKeys.h"
#include "core/Station.h"
#include "core/Strings.h"
#include "core/UserMessages.h"
#include "ui/MainFrm.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QTreeView>

namespace {

const QSize kDialogSize(860, 520);

QString ShowArchiveDialog(QWidget* owner, const ArchiveDialogRequest& request)
{
    QFileDialog dialog(owner, request.title, request.folder, request.filter);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(QString::fromLatin1(Str::kArchiveExtension));
    // The archives of a channel whose name starts with a dot are hidden files.
    dialog.setFilter(dialog.filter() | QDir::Hidden);
    // Wide enough for a channel's name, the date and the size and time of each archive.
    dialog.resize(dialog.sizeHint().expandedTo(kDialogSize));
    // Qt's own dialog (where the desktop offers none): each archive's size and time in full.
    if (auto* list = dialog.findChild<QTreeView*>()) {
        list->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
        list->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

ArchiveChooser& Chooser()
{
    static ArchiveChooser chooser;
    return chooser;
}

QString ChooseArchive(QWidget* owner, const ArchiveDialogRequest& request)
{
    return Chooser() ? Chooser()(owner, request) : ShowArchiveDialog(owner, request);
}

} // namespace

void OnViewArchives(CMainFrame& frame)
{
    const QString path = ChooseArchive(&frame, {QString::fromLatin1(Str::kViewArchiveTitle),
                                                QString::fromLatin1(Str::kViewArchiveFilter),
                                                StationPath(QString::fromLatin1(Str::kArchivesDir))});
    if (path.isEmpty())
        return;
    // The name only: a folder named after today passes here and is refused when the file is opened.
    QString key;
    GetTodayKey(key);
    const QString name = QFileInfo(path).fileName();
    if (name.contains(key)) {
        UserMessages().MessageBeep(IUserMessages::Beep::Asterisk);
        UserMessages().MessageBox(QString::fromLatin1(Str::kArchiveAlreadyOpen).arg(name));
        return;
    }
    emit frame.openDocumentFile(path);
}

void OnFileOpen(CMainFrame& frame)
{
    const QString path = ChooseArchive(&frame, {QString::fromLatin1(Str::kOpenTitle),
                                                QString::fromLatin1(Str::kOpenFilter), QDir::currentPath()});
    if (!path.isEmpty())
        emit frame.openDocumentFile(path);
}

void SetArchiveChooser(ArchiveChooser chooser)
{
    Chooser() = std::move(chooser);
}
