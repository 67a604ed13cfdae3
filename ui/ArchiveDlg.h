#pragma once
#include "archive/ArchiveCopier.h"

#include <QDialog>
#include <QStringList>

class QListWidget;
class QProgressBar;
class QPushButton;

// Backs up chosen archives to the backup drive: lists every archive of the Archives folder by
// channel name and date, and on Save copies each selected one whole, under its own name, to the
// drive's root. The copies run on a thread of their own while the dialog stays up with its
// progress bar, so the channels go on logging. A missing or write-protected medium is reported and
// retried at the user's word; one archive's failure does not stop the next.
class CArchiveDlg : public QDialog
{
    Q_OBJECT
public:
    static constexpr int kProgressStepsPerFile = 100;  // the bar moves within a file as well

    explicit CArchiveDlg(QWidget* parent = nullptr);
    ~CArchiveDlg() override;

    // Shows the dialog until archives were chosen and Save accepted, or the user cancels; a Save
    // with nothing chosen beeps and brings it back with a fresh list. Returns the last result.
    int DoModal();

    // "North Gate 20060307" -> "North Gate : 07/03/2006", and back to the archive's full path.
    static QString FormatListEntry(const QString& title);
    static QString ListEntryToPath(const QString& text);
    // The root of the drive backups go to.
    virtual QString GetBackupDrive() const;

    QListWidget* List() const { return m_pList; }
    bool IsCopying() const { return m_bCopying; }

public slots:
    void accept() override;  // Save
    void reject() override;  // Cancel, the close box, Escape

private:
    bool OnInitDialog();
    void DDX_ArchiveList();
    void CopyNext();
    bool CopyArchive(const QString& path);
    void OnCopyProgress(qint64 copied, qint64 total);
    void OnCopyFinished(int error);
    void FinishCopies();

    QListWidget* m_pList;
    QProgressBar* m_pProgress;
    QPushButton* m_pSave;
    ArchiveCopier m_copier;

    QStringList m_astrFiles;  // the archives chosen at the accepted Save, in list order
    qint16 m_nSelected = 0;
    int m_bContinue = 1;
    quint64 m_uliFreeToCaller = 0;
    int m_nCopying = 0;       // index in m_astrFiles of the archive being copied
    QString m_strDestination;  // where it goes
    bool m_bCopying = false;
};
