#pragma once
#include "ui/ChannelNameSource.h"
#include "ui/Commands.h"

#include <QList>
#include <QPointer>
#include <QStringList>
#include <QMainWindow>
#include <QTimer>

#include <functional>
#include <memory>

class CChildFrame;
class QMdiSubWindow;
class CQuorvelDoc;
class QLabel;
class QMdiArea;
class QMenu;
class QPrinter;

// The main window: the child windows of the channels and archives in its client area, the menus
// of the active window, the accelerators, and the status bar with its prompt and date panes.
// Closing it asks first; on Yes it has the channel ports closed before any window closes.
class CMainFrame : public QMainWindow
{
    Q_OBJECT
public:
    static constexpr int kDateRefreshMs = 1000;
    static constexpr int kWindowMnemonics = 9;  // Window menu entries with a digit key

    explicit CMainFrame(ChannelNameSource channelNames, QWidget* parent = nullptr);
    ~CMainFrame() override;

    // A child window with a view of the document, shown in the client area; the view becomes
    // the document's first view (frame->View()).
    CChildFrame* CreateChannelWindow(CQuorvelDoc* document);
    // Tiles the shown child windows, top-most first: Qt::Horizontal makes them wide, Qt::Vertical tall.
    void MDITile(Qt::Orientation orientation);
    // Restores every minimised child window; the others stay where they are.
    void RestoreChannelWindows();
    // Whether Backup Archives is offered (removable media found at start-up).
    void SetBackupAvailable(bool available);
    // The title before the active window's.
    void SetTitle(const QString& title);
    // The recent-file entries of the File and Archive menus, newest first; the greyed
    // "Recent File" item stands in while there are none.
    void SetRecentFiles(const QStringList& files);

    QMdiArea* MdiArea() const { return m_mdiArea; }
    CChildFrame* ActiveChildFrame() const;
    QList<CChildFrame*> ChildFrames() const;
    // The item of the menus now shown with that command (named after its id); nullptr when they
    // have none. Triggering it runs the command as the menu does.
    QAction* CommandAction(int id) const;
    // The COM ports offered for the remote monitor: the application's list of ports free at start-up.
    void SetAvailablePorts(std::function<QStringList()> source) { m_availablePorts = std::move(source); }
    QStringList AvailablePorts() const { return m_availablePorts ? m_availablePorts() : QStringList(); }
    // Closes a child window; when it was the active one, the window active before it comes back.
    void CloseChild(CChildFrame* frame);
    // Every child window shows its document's title again (the channel names changed).
    void UpdateChannelTitles();
    // The printer of every print and preview, with the set-up the user last chose.
    QPrinter& Printer();

signals:
    // The user confirmed quitting: close every channel's port now, while all windows still exist.
    void closeChannelPorts();
    // A file to open as an archive for viewing: dropped on the window or chosen from the recent files.
    void openDocumentFile(const QString& path);
    // The property sheet of a window's channel is asked for (its document's channel number, -1 for
    // an archive).
    void openChannelProperties(int channel);

protected:
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void ConnectCommands();
    void CreateStatusBar();
    void OnUpdateDate();
    void OnAccelerator(int id);
    void UpdateMenus();
    void UpdateTitle();
    void FillWindowMenu();
    void ArrangeIcons();
    void OnFileOpen();
    void FillRecentFiles(const QList<QMenu*>& menus, QList<QAction*>& entries);

    ChannelNameSource m_channelNames;
    QMdiArea* m_mdiArea;
    QList<QMenu*> m_childMenus;   // menu 129
    QList<QMenu*> m_frameMenus;   // menu 128
    Commands m_commands;
    QMenu* m_windowMenu = nullptr;
    QList<QAction*> m_windowList;
    QStringList m_recentFiles;
    QList<QAction*> m_childRecentEntries;
    QList<QAction*> m_frameRecentEntries;
    bool m_childMenusShown = false;
    QLabel* m_datePane = nullptr;
    QString m_title;
    QTimer m_dateTimer;
    bool m_backupAvailable = false;
    bool m_closing = false;
    std::function<QStringList()> m_availablePorts;
    std::unique_ptr<QPrinter> m_printer;
    QPointer<QMdiSubWindow> m_active;           // the active child window
    QPointer<QMdiSubWindow> m_activeBefore;     // the one active before it
};
