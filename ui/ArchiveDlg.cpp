#include "ui/ArchiveDlg.h"

#include "archive/ArchiveFormat.h"
#include "archive/DiskSpace.h"
#include "archive/VerifiedCopy.h"
#include "core/Labels.h"
#include "core/SettingsKeys.h"
#include "core/Strings.h"
#include "core/RemovableDrives.h"
#include "core/Station.h"
#include "core/UserMessages.h"
#include "ui/UiLogging.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontMetrics>
#include <QGridLayout>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <sys/file.h>
#include <sys/statvfs.h>

namespace {

constexpr int kDateKeyLength = 8;       // yyyyMMdd
constexpr int kListDateLength = 10;     // dd/MM/yyyy
constexpr int kListSuffixLength = 12;   // ": " and the date

// The errors of a medium that refuses to be written: a read-only mount (a write-protected card
// or diskette) or a folder this user may not write.
bool IsWriteProtection(int error)
{
    return error == EROFS || error == EACCES || error == EPERM;
}

QString ArchivesDir()
{
    return StationPath(QLatin1String(Str::kArchivesDir));
}

QString Extension()
{
    return QLatin1String(Str::kArchiveExtension);
}

// Free bytes for this user on the drive: 0, or ENOMEDIUM when no medium is there, or the errno.
int MeasureFreeSpace(const QString& root, quint64& available)
{
    if (!IsDriveReady(root))
        return ENOMEDIUM;
    const DiskFigures figures = QueryDiskFigures(root);
    if (figures.valid) {
        available = figures.available;
        return 0;
    }
    struct statvfs status {};
    return ::statvfs(QFile::encodeName(root).constData(), &status) != 0 ? errno : EIO;
}

} // namespace

CArchiveDlg::CArchiveDlg(QWidget* parent)
    : QDialog(parent)
    , m_pList(new QListWidget)
    , m_pProgress(new QProgressBar)
    , m_pSave(new QPushButton(QString::fromLatin1(Str::kBackupSave)))
{
    setWindowTitle(QString::fromLatin1(Str::kBackupTitle));
    auto* cancel = new QPushButton(QString::fromLatin1(Str::kBackupCancel));
    m_pSave->setDefault(true);
    connect(m_pSave, &QPushButton::clicked, this, &CArchiveDlg::accept);
    connect(cancel, &QPushButton::clicked, this, &CArchiveDlg::reject);
    m_pList->setObjectName(QStringLiteral("archiveList"));
    m_pList->setSelectionMode(QAbstractItemView::MultiSelection);
    m_pProgress->setTextVisible(false);
    m_pProgress->setValue(0);

    // Sized in dialog units, a quarter of the font's average character width and an eighth of its
    // height, as the dialog has always been: a list for a few dozen archives, buttons of one width,
    // a thin bar under the list.
    const QFontMetrics metrics(font());
    const double unitX = metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"))
        / 52.0 / 4.0;
    const double unitY = metrics.height() / 8.0;
    const auto size = [unitX, unitY](int width, int height) { return QSize(qRound(width * unitX), qRound(height * unitY)); };
    m_pList->setMinimumSize(size(271, 134));
    m_pProgress->setFixedSize(size(200, 6));
    for (QPushButton* button : {m_pSave, cancel})
        button->setMinimumSize(size(57, 14));

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(m_pSave);
    buttons->addWidget(cancel);
    buttons->addStretch(1);

    auto* layout = new QGridLayout(this);
    layout->addWidget(m_pList, 0, 0);
    layout->addLayout(buttons, 0, 1);
    layout->addWidget(m_pProgress, 1, 0, Qt::AlignHCenter);
    layout->setColumnStretch(0, 1);
    layout->setRowStretch(0, 1);
    setTabOrder(m_pList, m_pSave);
    setTabOrder(m_pSave, cancel);

    connect(&m_copier, &ArchiveCopier::progress, this, &CArchiveDlg::OnCopyProgress);
    connect(&m_copier, &ArchiveCopier::finished, this, &CArchiveDlg::OnCopyFinished);
}

CArchiveDlg::~CArchiveDlg() = default;

int CArchiveDlg::DoModal()
{
    int result = Rejected;
    while (m_nSelected == 0 && m_bContinue == 1) {
        OnInitDialog();
        result = exec();
        // Still shown: the program is ending (a stop signal ended every event loop). No new round;
        // a copy under way stops and removes its partial file.
        if (isVisible()) {
            m_bContinue = 0;
            m_copier.Cancel();
            hide();
            break;
        }
        if (m_nSelected == 0 && m_bContinue == 1)
            UserMessages().MessageBeep(IUserMessages::Beep::Asterisk);
    }
    return result;
}

QString CArchiveDlg::GetBackupDrive() const
{
    return ::GetBackupDrive();
}

QString CArchiveDlg::FormatListEntry(const QString& title)
{
    const QString prefix = title.left(std::max(0, int(title.size()) - kDateKeyLength));
    const QString date = title.right(kDateKeyLength);
    // One pass: a channel name holding "%2" stays as it is.
    return QString::fromLatin1(Str::kBackupListEntry).arg(prefix, date.mid(6, 2), date.mid(4, 2), date.left(4));
}

QString CArchiveDlg::ListEntryToPath(const QString& text)
{
    const QString prefix = text.left(std::max(0, int(text.size()) - kListSuffixLength));
    const QString date = text.right(kListDateLength);
    return ArchivesDir() + QLatin1Char('/') + prefix + date.right(4) + date.mid(3, 2) + date.left(2)
        + QLatin1Char('.') + Extension();
}

bool CArchiveDlg::OnInitDialog()
{
    m_pList->clear();
    m_pProgress->reset();
    m_pProgress->setValue(0);
    // Only names the list can be turned back into: the extension as the program writes it. A channel
    // whose name starts with a dot has archives the system calls hidden; they are archives all the same.
    const QDir archives(ArchivesDir(), QStringLiteral("*.") + Extension(), QDir::NoSort,
                        QDir::Files | QDir::Hidden | QDir::CaseSensitive);
    QStringList entries;
    for (const QFileInfo& file : archives.entryInfoList())
        entries.append(FormatListEntry(file.completeBaseName()));
    if (entries.isEmpty())
        return false;
    // Sorted by text as a list box sorts, without regard to case.
    std::sort(entries.begin(), entries.end(), [](const QString& a, const QString& b) {
        const int order = QString::compare(a, b, Qt::CaseInsensitive);
        return order != 0 ? order < 0 : a < b;
    });
    m_pList->addItems(entries);
    return true;
}

void CArchiveDlg::accept()
{
    if (m_bCopying)
        return;
    for (;;) {
        quint64 available = 0;
        const int error = MeasureFreeSpace(GetBackupDrive(), available);
        if (!error) {
            m_uliFreeToCaller = available;
            DDX_ArchiveList();
            return;
        }
        qCInfo(lcUi) << "backup drive" << GetBackupDrive() << "not usable, errno" << error;
        UserMessages().MessageBeep(IUserMessages::Beep::Asterisk);
        if (error != ENOMEDIUM) {
            ReportSystemError(error, IUserMessages::Icon::Stop);
            return;
        }
        if (UserMessages().MessageBox(QString::fromLatin1(Str::kInsertDisk), IUserMessages::Buttons::OkCancel,
                                      IUserMessages::Icon::Stop)
            != IUserMessages::AnswerOk)
            return;
    }
}

void CArchiveDlg::reject()
{
    m_bContinue = 0;
    // A copy under way stops first (its partial file removed); the dialog ends when it has.
    if (m_bCopying) {
        m_copier.Cancel();
        return;
    }
    QDialog::reject();
}

void CArchiveDlg::DDX_ArchiveList()
{
    m_astrFiles.clear();
    for (int row = 0; row < m_pList->count(); ++row) {
        if (m_pList->item(row)->isSelected())
            m_astrFiles.append(ListEntryToPath(m_pList->item(row)->text()));
    }
    m_nSelected = qint16(m_astrFiles.size());
    if (m_nSelected == 0) {
        QDialog::accept();
        return;
    }
    m_pProgress->setRange(0, m_nSelected * kProgressStepsPerFile);
    m_pProgress->setValue(0);
    m_bCopying = true;
    m_pSave->setEnabled(false);
    m_pList->setEnabled(false);
    m_nCopying = 0;
    CopyNext();
}

void CArchiveDlg::CopyNext()
{
    for (; m_nCopying < m_astrFiles.size(); ++m_nCopying) {
        if (CopyArchive(m_astrFiles[m_nCopying]))
            return;
        m_pProgress->setValue((m_nCopying + 1) * kProgressStepsPerFile);
    }
    FinishCopies();
}

bool CArchiveDlg::CopyArchive(const QString& path)
{
    // A live channel holds its open day archive locked; such an archive is not copied while it grows.
    QFile file(path);
    QString error;
    if (!OpenArchiveFile(file, QIODevice::ReadOnly, LOCK_EX, error)) {
        qCInfo(lcUi) << "archive" << path << "not backed up:" << error;
        UserMessages().MessageBeep(IUserMessages::Beep::Asterisk);
        UserMessages().MessageBox(QString::fromLatin1(Str::kArchiveNotFound).arg(path));
        return false;
    }
    const quint64 length = quint64(file.size());
    m_strDestination = QDir(GetBackupDrive()).filePath(QFileInfo(path).fileName());
    file.close();
    // Each archive is measured against the space found at Save, as copies before it do not count.
    if (m_uliFreeToCaller < length) {
        UserMessages().MessageBeep(IUserMessages::Beep::Asterisk);
        UserMessages().MessageBox(QString::fromLatin1(Str::kInsufficientRoom).arg(path));
        return false;
    }
    m_copier.Start(path, m_strDestination);
    return true;
}

void CArchiveDlg::OnCopyProgress(qint64 copied, qint64 total)
{
    if (m_bCopying && total > 0)
        m_pProgress->setValue(m_nCopying * kProgressStepsPerFile + int(copied * kProgressStepsPerFile / total));
}

void CArchiveDlg::OnCopyFinished(int error)
{
    if (m_bContinue == 0) {
        FinishCopies();
        return;
    }
    if (error) {
        UserMessages().MessageBeep(IUserMessages::Beep::Asterisk);
        if (IsWriteProtection(error)) {
            if (UserMessages().MessageBox(QString::fromLatin1(Str::kDiskWriteProtected),
                                          IUserMessages::Buttons::RetryCancel, IUserMessages::Icon::Stop)
                == IUserMessages::AnswerRetry) {
                m_copier.Start(m_astrFiles[m_nCopying], m_strDestination);
                return;
            }
        } else if (error == VerifiedCopy::kCopyDiffers) {
            UserMessages().MessageBox(QString::fromLatin1(Str::kCopyDiffers).arg(m_astrFiles[m_nCopying]),
                                      IUserMessages::Buttons::Ok, IUserMessages::Icon::Information);
        } else {
            // The system's reason (a full medium, say), and which archive did not get there.
            UserMessages().MessageBox(QString::fromLocal8Bit(std::strerror(error)) + QLatin1Char('\n')
                                          + QString::fromLatin1(Str::kBackupIncomplete).arg(m_astrFiles[m_nCopying]),
                                      IUserMessages::Buttons::Ok, IUserMessages::Icon::Information);
        }
    }
    m_pProgress->setValue((m_nCopying + 1) * kProgressStepsPerFile);
    ++m_nCopying;
    CopyNext();
}

void CArchiveDlg::FinishCopies()
{
    m_bCopying = false;
    m_pSave->setEnabled(true);
    m_pList->setEnabled(true);
    if (m_bContinue == 0)
        QDialog::reject();
    else
        QDialog::accept();
}
