#include "ui/MenuTable.h"

#include "core/Labels.h"
#include "ui/CommandIds.h"

namespace {

constexpr MenuItem kSeparator{0, nullptr, nullptr};

} // namespace

const std::vector<MenuDef>& ChildMenus()
{
    static const std::vector<MenuDef> menus{
        {Str::kMenuArchive,
         {{ID_FILE_OPEN, Str::kItemViewArchives, Str::kPromptViewArchives},
          {ID_BACKUP_ARCHIVES, Str::kItemBackupArchives, Str::kPromptBackupArchives},
          {ID_CLOSE_ARCHIVE, Str::kItemCloseArchive, Str::kPromptCloseArchive},
          {ID_PROPERTIES, Str::kItemProperties, Str::kPromptProperties},
          kSeparator,
          {ID_FILE_PRINT, Str::kItemPrint, Str::kPromptPrint},
          {ID_FILE_PRINT_PREVIEW, Str::kItemPrintPreview, Str::kPromptPrintPreview},
          {ID_FILE_PRINT_SETUP, Str::kItemPrintSetup, Str::kPromptPrintSetup},
          {ID_PRINT_TO_FILE, Str::kItemPrintToFile, Str::kPromptPrintToFile},
          kSeparator,
          {ID_FILE_SEND_MAIL, Str::kItemSend, Str::kPromptSend},
          kSeparator,
          {ID_FILE_MRU_FILE1, Str::kItemRecentFile, Str::kPromptRecentFile},
          kSeparator,
          {ID_APP_EXIT, Str::kItemExit, Str::kPromptExit}}},
        {Str::kMenuWindow,
         {{ID_WINDOW_CASCADE, Str::kItemCascade, Str::kPromptCascade},
          {ID_WINDOW_TILE_HORZ, Str::kItemTileHorz, Str::kPromptTile},
          {ID_WINDOW_TILE_VERT, Str::kItemTileVert, Str::kPromptTile},
          {ID_WINDOW_ARRANGE, Str::kItemArrangeIcons, Str::kPromptArrangeIcons},
          {ID_RESTORE_WINDOWS, Str::kItemRestoreWindows, Str::kPromptRestoreWindows}}},
        {Str::kMenuTools,
         {{ID_REMOTE_MONITORING, Str::kItemRemoteMonitoring, nullptr},
          {ID_EVENT_VIEW, Str::kItemEventView, Str::kPromptEventView}}},
        {Str::kMenuHelp, {{ID_APP_ABOUT, Str::kItemAbout, Str::kPromptAbout}}},
    };
    return menus;
}

const std::vector<MenuDef>& FrameMenus()
{
    static const std::vector<MenuDef> menus{
        {Str::kMenuFile,
         {{ID_FILE_OPEN, Str::kItemOpen, Str::kPromptViewArchives},
          kSeparator,
          {ID_FILE_PRINT_SETUP, Str::kItemPrintSetup, Str::kPromptPrintSetup},
          kSeparator,
          {ID_FILE_MRU_FILE1, Str::kItemRecentFile, Str::kPromptRecentFile},
          kSeparator,
          {ID_APP_EXIT, Str::kItemExit, Str::kPromptExit}}},
        {Str::kMenuView, {{ID_VIEW_STATUS_BAR, Str::kItemStatusBar, Str::kPromptStatusBar}}},
        {Str::kMenuHelp, {{ID_APP_ABOUT, Str::kItemAbout, Str::kPromptAbout}}},
    };
    return menus;
}

const std::vector<Accelerator>& Accelerators()
{
    static const std::vector<Accelerator> table{
        {QKeySequence(Qt::CTRL | Qt::Key_B), ID_BACKUP_ARCHIVES},
        {QKeySequence(Qt::CTRL | Qt::Key_L), ID_CLOSE_ARCHIVE},
        {QKeySequence(Qt::CTRL | Qt::Key_P), ID_FILE_PRINT},
        {QKeySequence(Qt::CTRL | Qt::Key_V), ID_FILE_OPEN},
        {QKeySequence(Qt::Key_F6), ID_NEXT_PANE},
        {QKeySequence(Qt::SHIFT | Qt::Key_F6), ID_PREV_PANE},
    };
    return table;
}

QString PromptText(const char* prompt)
{
    return prompt ? QString::fromLatin1(prompt).section(QLatin1Char('\n'), 0, 0) : QString();
}
