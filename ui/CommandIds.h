#pragma once

// The commands of the menus and accelerators, by their resource numbers.
enum CommandId : int {
    ID_CHANNEL_PROPERTIES = 141,      // "Properites", the view's context menu
    ID_PROPERTIES = 32771,
    ID_CLOSE_ARCHIVE = 32784,
    ID_PRINT_TO_FILE = 32814,
    ID_RESTORE_WINDOWS = 32820,
    ID_EVENT_VIEW = 32837,
    ID_REMOTE_MONITORING = 32841,
    ID_FILE_OPEN = 57601,             // View Archives with a view active, Open without
    ID_BACKUP_ARCHIVES = 57603,
    ID_FILE_PRINT_SETUP = 57606,
    ID_FILE_PRINT = 57607,
    ID_FILE_PRINT_PREVIEW = 57609,
    ID_FILE_SEND_MAIL = 57612,
    ID_FILE_MRU_FILE1 = 57616,
    ID_WINDOW_ARRANGE = 57649,
    ID_WINDOW_CASCADE = 57650,
    ID_WINDOW_TILE_HORZ = 57651,
    ID_WINDOW_TILE_VERT = 57652,
    ID_APP_ABOUT = 57664,
    ID_APP_EXIT = 57665,
    ID_NEXT_PANE = 57680,
    ID_PREV_PANE = 57681,
    ID_VIEW_STATUS_BAR = 59393,
};
