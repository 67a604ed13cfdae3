#pragma once

// The program's user-visible texts, by their resource number. Every message, file name, section
// and value name the program shows or stores comes from here, exactly as it stands.
namespace Str {

// Link layer
inline constexpr char kThreadEventFailed[] = "Error: Failed to create event for thread!";           // 32827
inline constexpr char kPortSetupFailed[] =
    "Unable to setup configuration for Port COM%1, Check Registry contents\n";
inline constexpr char kPortSettingRefused[] = "The device refused %1: %2.";
inline constexpr char kChannelHasNoPort[] =
    "Channel %1 has no COM port. Assign one in the port map (qvportmap.ini); its settings can be chosen then.";
inline constexpr char kPortInUse[] = "Port COM%1 is in use by another program";
inline constexpr char kTxErrorLimit[] = "Transmit error: Transmit error count limit exceeded.";
inline constexpr char kTxCheckLimit[] = "Transmit error: Error count limit exceeded.";
inline constexpr char kTxResendLimit[] =
    "Transmit error: Resend retry count limit exceeded.\nCheck that remote system is operational.";
inline constexpr char kCommsErrorFormat[] = "<CE-%1>";

// Messages and events
inline constexpr char kFatalDiskError[] = "Fatal Hard Disk Error. Contact maintenance immediately";  // 32786
inline constexpr char kRemotePortError[] = "Unable to open Com port for remote alarm monitor.";     // 61456
inline constexpr char kRemotePortOpenFailed[] = "Remote monitor port COM%1 (%2): %3";  // port, device, the system's reason
inline constexpr char kRemotePortNotSet[] = "No COM port is set for the remote alarm monitor.";
inline constexpr char kAlarmFileName[] = "almdata.txt";
// Event lines, in printf form: they are filled with bytes (texts of the alarm file or of a message).
inline constexpr char kEventTimeFormat[] = "HH:mm:ss";
inline constexpr char kCodedEventLine[] = "%s %c %s Event %03d: %s %s";
inline constexpr char kAlarmClearLine[] = "%s Alarm Clear: %s";                  // type 132
inline constexpr char kIncomingClearDownLine[] = "%s Incoming Line %d Clear Down";  // type 143
inline constexpr char kOperatorClearDownLine[] = "%s Operator's Line %d Clear Down";  // type 146
inline constexpr char kAlarmRaisedLine[] = "%s Alarm: %s";                       // type 148
inline constexpr char kIncomingOffHookLine[] = "%s Incoming Line %d Off Hook.";  // type 155
inline constexpr char kOperatorOffHookLine[] = "%s Operator's Line %d Off Hook.";  // type 158
inline constexpr char kAlarmFileOpenFailed[] = "Fatal error. Unable to load file ";                   // 32785
inline constexpr char kNotRegularFile[] = ": not a regular file";  // follows the path of a refused file
inline constexpr char kAlarmFileInvalid[] = "Fatal Error:  text file \"%1\" is invalid";              // 32792
inline constexpr char kAlarmFileHeader[] = " * File Type : Text Data File";                           // 32790
// 32791: one blank, 78 asterisks and a slash.
inline constexpr char kAlarmFileEndOfHeader[] =
    " ******************************************************************************/";

// Archive
inline constexpr char kArchivesDir[] = "Archives";                                                     // 32809
inline constexpr char kPrintDir[] = "Print";
inline constexpr char kArchiveExtension[] = "krv";                                                     // 32782
inline constexpr char kArchiveHeader[] = "KRV Archive [CDL] <19-98-9-7>%s @@###$$$$";                   // 32799
inline constexpr char kArchiveNotFound[] = "Unable to find archive %1.";                               // 32823
inline constexpr char kArchiveInvalid[] = "The file %1 is not a valid KRV archive";                    // 32800
inline constexpr char kArchiveCorrupt[] = "Warning, Archive file is corrupt, data inconsistensies possible."; // 32822
inline constexpr char kArchiveAlreadyOpen[] = "Archive %1 is already open";                            // 32798
inline constexpr char kFailedToOpenDocument[] = "Failed to open document.";                            // 61697
// Follows a numbered message about a file that names none: the file and the system's reason.
inline constexpr char kFileAndReason[] = "%1: %2";
inline constexpr char kArchiveNotViewable[] = "%1 is not a file that can be viewed";
inline constexpr char kArchiveTooLarge[] =
    "The archive %1 is too large to view: its records would take about %2 MB of memory, more than the %3 MB "
    "(a quarter of this computer's memory) one archive window may take. \"quorvel-archive show\" prints it.";
inline constexpr char kClockExpired[] = "MFC expires NOW! Goodbye!";                                   // 32787
// Shown above the file error when a failed write took records that were listed already.
inline constexpr char kRecordsNotArchived[] = "%1: %2 listed record(s) could not be archived.";
// Follows "Unable to find archive" when the day's archive cannot be opened for writing: the
// channel's name and number, and the disk's reason.
inline constexpr char kChannelNotArchived[] = "%1 (channel %2) cannot archive its messages: %3";
inline constexpr char kInvalidArchiveSuffix[] = ".invalid";  // an invalid day archive is kept under its name plus this
// The seals of closed day archives, one "<SHA-256>  <file name>" line each, in the Archives folder
// (and beside the copies on a backup drive).
inline constexpr char kSealFile[] = "SHA256SUMS";
inline constexpr char kSealFailed[] = "Archive %1 could not be sealed: %2";
inline constexpr char kCopyDiffers[] =
    "The copy of %1 on the backup drive did not read back as it was written; it has been removed.";

// Archive backup
inline constexpr char kBackupTitle[] = "Backup Selected Archives ";                                    // 132
inline constexpr char kBackupSave[] = "Save";
inline constexpr char kBackupCancel[] = "Cancel";
inline constexpr char kBackupListEntry[] = "%1: %2/%3/%4";  // channel name and its blank, day, month, year
inline constexpr char kInsertDisk[] = "Insert a formatted disk into the A: drive";                     // 32801
inline constexpr char kDiskWriteProtected[] =
    "Error: the diskette is write protected. Unprotect it and try again.";                             // 32807
inline constexpr char kInsufficientRoom[] = "Insufficient room for file %1 on disk.";                  // 32824
// Follows the system's reason when copying an archive to the backup drive failed.
inline constexpr char kBackupIncomplete[] = "The backup copy of %1 is not complete.";
inline constexpr char kPartialCopySuffix[] = ".part";  // a backup copy is written under its name plus this until whole

// Settings store
inline constexpr char kCompanyKey[] = "Brannock";
inline constexpr char kApplicationKey[] = "Quorvel";                                                   // 57344
inline constexpr char kSectionSettings[] = "Settings";                                                 // 32772
inline constexpr char kDefaultChannelName[] = "Channel %1";                                            // 32773
inline constexpr char kSectionChannels[] = "Channels";                                                 // 32774
inline constexpr char kNumberedChannelName[] = "%1 (%2)";  // a default name that another channel already has
inline constexpr char kDuplicateChannelRenamed[] =
    "Channel %1 had the name \"%2\" of channel %3 and is now called \"%4\".";
inline constexpr char kSectionLines[] = "Lines";                                                       // 32818
inline constexpr char kPortSettingsSection[] = "COM%1 Settings";
inline constexpr char kSectionBackup[] = "Backup";
inline constexpr char kBackupDrives[] = "Drives";  // folders to back up to, separated by semicolons
inline constexpr char kSectionRecentFiles[] = "Recent File List";
inline constexpr char kRecentFileEntry[] = "File%1";

// Start-up
inline constexpr char kPortMapFile[] = "qvportmap.ini";
inline constexpr char kPortMapSection[] = "ComPortAssignments";
inline constexpr char kPortDevicesSection[] = "ComPortDevices";
inline constexpr char kPortMapUnreadable[] = "Unable to read the port map ";  // followed by the path and why
inline constexpr char kPortMapError[] =
    "The port map qvportmap.ini does not assign a valid COM port to every channel.";
inline constexpr char kNoRemovableDrives[] =
    "Warning: No removable media drives fitted. You cannot back up archives.";                        // 32812
inline constexpr char kBackupFolderMissing[] =
    "The backup folder %1 named in the settings (section Backup, value Drives) is not a folder; "
    "archives are not backed up there.";
inline constexpr char kNoStationDir[] = "Station directory %1 does not exist.";
inline constexpr char kStationDirUnusable[] = "Unable to use station directory %1: %2";
inline constexpr char kStationLockFile[] = "quorvel.lock";
inline constexpr char kStationDirOpen[] =
    "Other users may write in the station directory %1 and could replace its files; "
    "allow only the station's user to write there (chmod go-w).";
inline constexpr char kStationLockFailed[] = "Unable to lock the station with %1: %2";
inline constexpr char kStationAlreadyRunning[] =
    "Station %1 is already running in another copy of the program; this copy ends.";
inline constexpr char kHandOverRefused[] =
    "Requests of other copies of the program to this station were refused: %1.";
inline constexpr char kHandOverTooMany[] = "more than 16 at once";
inline constexpr char kHandOverTooLarge[] = "more than 64 archives or 64 KB named";
inline constexpr char kHandOverIdle[] = "nothing sent for 5 seconds";
inline constexpr char kViewingFailed[] = "The archives named on the command line could not be viewed; this copy ends.";
inline constexpr char kNoDisplayAnswers[] = "No display answers at %1; the station runs without windows.";
inline constexpr char kFolderCreateFailed[] = "Unable to create %1 directory %2: %3";
inline constexpr char kPortNotConnected[] = "Port COM%1 not connected.";
inline constexpr char kPortConnectedAgain[] = "Port COM%1 connected again.";
// Supervision of the lines: system events in a channel's archive and list, and the notice beside them.
inline constexpr char kSectionSupervision[] = "Supervision";
inline constexpr char kSilenceMinutes[] = "SilenceMinutes";  // 0 or missing: silence is not watched
inline constexpr char kLineSilent[] = "Line silent since %1";
inline constexpr char kLineActiveAgain[] = "Line active again after %1 min";
inline constexpr char kChannelNotice[] = "%1: %2";  // channel name, notice
// The station's status as the service manager shows it.
inline constexpr char kServiceStatus[] = "%1/%2 lines up, last message %3, disk %4 % free";
inline constexpr char kLastMessageAgo[] = "%1 s ago";
inline constexpr char kNoMessageYet[] = "none yet";
inline constexpr char kDiskUnknown[] = "?";
// The health figures file, in the station directory unless the settings name another; empty: none.
inline constexpr char kSectionMetrics[] = "Metrics";
inline constexpr char kMetricsFileKey[] = "File";
inline constexpr char kDefaultMetricsFile[] = "metrics/quorvel.prom";
inline constexpr char kMetricsWriteFailed[] = "Unable to write the health figures to %1: %2";
// On standard output in place of event lines its reader did not take in time.
inline constexpr char kEventLinesNotPrinted[] = "%1 event line(s) were not printed; the archive holds them all.";

// Windows: frames, status bar, about box
inline constexpr char kMainFrameTitle[] = "Quorvel";                                                   // 128
inline constexpr char kTitleSeparator[] = " - ";
// The main window of a copy that only views archives: it logs nothing.
inline constexpr char kViewingTitle[] = "Quorvel - viewing archives";
inline constexpr char kReady[] = "Ready";                                                              // 57345
inline constexpr char kDatePaneInitial[] = "Date";                                                     // 105
// The date pane's "%A, %B %d, %Y", in the form QDate takes, always with English names.
inline constexpr char kDatePaneFormat[] = "dddd, MMMM dd, yyyy";
inline constexpr char kQuitQuestion[] = "Do you really want to quit?";                                 // 32829
inline constexpr char kAboutTitle[] = "About Quorvel";                                                 // 100
inline constexpr char kProductName[] = "Quorvel";                                                      // 1021
inline constexpr char kAboutVersion[] = "Version %1";                                                  // 32808
inline constexpr char kAboutNotice[] = "Brannock";                                                     // 1022
inline constexpr char kAboutOk[] = "OK";
// A flashing channel window's title alternates between its plain title and this.
inline constexpr char kFlashingTitle[] = "*** %1 ***";
// A desktop notification's text for several fault or alarm lines at once: how many, the last.
inline constexpr char kNotificationLines[] = "%1 fault or alarm lines; the last:\n%2";
inline constexpr char kWindowListEntry[] = "&%1 %2";
inline constexpr char kWindowListEntryPlain[] = "%1 %2";  // entries past the ninth: no key of their own
inline constexpr char kRecentFileItem[] = "&%1 %2";  // number, full path

// Menus 128, 129 and 141: item texts and their status-bar prompts (the prompt ends at the line break).
inline constexpr char kMenuArchive[] = "&Archive";
inline constexpr char kMenuFile[] = "&File";
inline constexpr char kMenuView[] = "&View";
inline constexpr char kMenuWindow[] = "&Window";
inline constexpr char kMenuTools[] = "Tools";
inline constexpr char kMenuHelp[] = "&Help";
inline constexpr char kItemViewArchives[] = "&View Archives...\tCtrl+V";                               // 57601
inline constexpr char kItemOpen[] = "&Open...\tCtrl+O";                                                // 57601
inline constexpr char kPromptViewArchives[] = "Open an historical archive for viewing \nView";
inline constexpr char kItemBackupArchives[] = "&Backup Archives\tCtrl+B";                              // 57603
inline constexpr char kPromptBackupArchives[] = "Back up selected archives to floppy diskettes\nBackup";
inline constexpr char kItemCloseArchive[] = "C&lose Archive\tCtrl+L";                                  // 32784
inline constexpr char kPromptCloseArchive[] = "Close the archive currently being viewed\nClose";
inline constexpr char kItemProperties[] = "&Properties";                                               // 32771
inline constexpr char kPromptProperties[] = "Assign Names to Channels";
inline constexpr char kItemPrint[] = "&Print...\tCtrl+P";                                              // 57607
inline constexpr char kPromptPrint[] = "Print the active document\nPrint";
inline constexpr char kItemPrintPreview[] = "Print Pre&view";                                          // 57609
inline constexpr char kPromptPrintPreview[] = "Display full pages\nPrint Preview";
inline constexpr char kItemPrintSetup[] = "P&rint Setup...";                                           // 57606
inline constexpr char kPromptPrintSetup[] = "Change the printer and printing options\nPrint Setup";
inline constexpr char kItemPrintToFile[] = "Print to &File";                                           // 32814
inline constexpr char kPromptPrintToFile[] = "Print the viewed archive to a text file.";
inline constexpr char kItemSend[] = "Sen&d...";                                                        // 57612
inline constexpr char kPromptSend[] = "E-mail the log file to Brannock\nSend Mail";
inline constexpr char kItemRecentFile[] = "Recent File";                                               // 57616
inline constexpr char kPromptRecentFile[] = "Open this document";
inline constexpr char kItemExit[] = "E&xit";                                                           // 57665
inline constexpr char kPromptExit[] = "Quit the application; prompts to save documents\nExit";
inline constexpr char kItemCascade[] = "&Cascade";                                                     // 57650
inline constexpr char kPromptCascade[] = "Arrange windows so they overlap\nCascade Windows";
inline constexpr char kItemTileHorz[] = "&Tile Horizontally";                                          // 57651
inline constexpr char kItemTileVert[] = "&Tile Vertically";                                            // 57652
inline constexpr char kPromptTile[] = "Arrange windows as non-overlapping tiles\nTile Windows";
inline constexpr char kItemArrangeIcons[] = "&Arrange Icons";                                          // 57649
inline constexpr char kPromptArrangeIcons[] = "Arrange icons at the bottom of the window\nArrange Icons";
inline constexpr char kItemRestoreWindows[] = "&Restore Windows";                                      // 32820
inline constexpr char kPromptRestoreWindows[] = "Restore all hidden windows to their original positions";
inline constexpr char kItemRemoteMonitoring[] = "Remote Monitoring";                                   // 32841
inline constexpr char kItemEventView[] = "Event View";                                                 // 32837
inline constexpr char kPromptEventView[] = "Allows user to set which events are displayed";
inline constexpr char kItemAbout[] = "&About Quorvel...";                                              // 57664
inline constexpr char kPromptAbout[] = "Display program information, version number and copyright\nAbout";
inline constexpr char kItemStatusBar[] = "&Status Bar";                                                // 59393
inline constexpr char kPromptStatusBar[] = "Show or hide the status bar\nToggle StatusBar";
inline constexpr char kItemChannelProperties[] = "Properites";                                         // 141 (spelt so)

// Channel properties: the sheet, its pages and their messages
inline constexpr char kChannelSettingsCaption[] = "Settings for Channel %1";
inline constexpr char kChannelNamePage[] = "Configure Channel Name";                                  // 130
inline constexpr char kChannelNameLabel[] = "Channel Name:";
inline constexpr char kEnterNoMoreThan[] = "Please enter no more than %1 characters.";                 // 61716
inline constexpr char kForbiddenNameChars[] = "\\/:*?\"<>|";                                          // 32780
inline constexpr char kNameHasForbiddenChars[] =
    "Channel name must not contain any of \\/:*?\"<> or | characters";                                // 32778
inline constexpr char kNameDuplicated[] = "Error: the name \"%1\" is duplicated.";                     // 32793
inline constexpr char kCommsPage[] = "COM port settings";                                             // 134
inline constexpr char kBaudLabel[] = "&Baud Rate:";
inline constexpr char kDataBitsLabel[] = "&Data Bits:";
inline constexpr char kParityLabel[] = "&Parity:";
inline constexpr char kStopBitsLabel[] = "&Stop Bits:";
inline constexpr char kFlowControlLabel[] = "&Flow Control:";
inline constexpr const char* kParityEntries[] = {"None", "Odd", "Even", "Mark", "Space"};
inline constexpr const char* kStopBitsEntries[] = {"1", "1.5", "2"};
inline constexpr const char* kFlowEntries[] = {"None", "Hardware", "Xon / Xoff"};
inline constexpr char kComSettingsWarning[] =
    "Warning: Changing Com port Settings will require interrupting logging on that port - data may be lost!"; // 32816
inline constexpr char kComSettingRefused[] =
    "Port COM%1 refused %2: %3. The line runs on as it was, and its stored settings are left as they were.";
inline constexpr char kLineCountPage[] = "Line Count";                                                // 143
inline constexpr char kNumberOfLines[] = "Number of lines";
inline constexpr char k64Line[] = "64 Line";
inline constexpr char k40Line[] = "40 Line";

// Printing and print to file
inline constexpr char kPageTitle[] = "Event Log: %1";                                                  // 32795
inline constexpr char kPageMaker[] = "Brannock";                                                       // 32796
inline constexpr char kPageNumber[] = "Page %1 of %2";                                                 // 32797
// The page header's "%a %b %d %Y %H:%M:%S", in the form QDateTime takes, always with English names.
inline constexpr char kPageDateFormat[] = "ddd MMM dd yyyy HH:mm:ss";
inline constexpr char kPrintToFileTitle[] = "Print to File";                                           // 32819
inline constexpr char kPrintToFileFilter[] = "Text File (*.txt)";
inline constexpr char kPrintToFileExtension[] = "txt";
inline constexpr char kPrintToFileEmpty[] = "There are no events to write to a file.";
inline constexpr char kPrintToFileOpenFailed[] = "Unable to open %1 for writing: %2";
inline constexpr char kPrintToFileWriteFailed[] = "An error occurred while writing %1: %2";
inline constexpr char kPrintingPages[] = "Printing %1...";
inline constexpr char kWritingFile[] = "Writing %1...";
inline constexpr char kCancel[] = "Cancel";
inline constexpr char kPrintJobFailed[] = "Could not start print job.";                                   // 61702

// Archive windows: choosing, opening and sending archives
inline constexpr char kViewArchiveTitle[] = "View Archive";                                             // 32828
inline constexpr char kViewArchiveFilter[] = "Archive files (*.krv)";                                   // 32794
inline constexpr char kOpenTitle[] = "Open";
inline constexpr char kOpenFilter[] = "Archive Files (*.krv)";                                          // 129
inline constexpr char kArchiveNeedsWindows[] =
    "Archive %1 can be viewed only with windows; \"quorvel-archive show\" prints it.";
inline constexpr char kSendProgram[] = "xdg-email";
inline constexpr char kSendAttach[] = "--attach";
inline constexpr char kSendFailed[] = "Unable to start xdg-email to send %1: %2";
// xdg-email started and failed: how it ended, and what it said.
inline constexpr char kSendExited[] = "xdg-email could not send %1 (%2): %3";
inline constexpr char kSendExitStatus[] = "exit status %1";

// Remote monitor
inline constexpr char kRemoteSection[] = "RemoteMonitorSettings";                                      // 61447
inline constexpr char kRemoteEnable[] = "EnableDisable";                                               // 61448
inline constexpr char kRemotePort[] = "Port";                                                          // 61449
inline constexpr char kRemoteBaud[] = "BaudRate";                                                      // 61450
inline constexpr char kRemoteData[] = "DataBits";                                                      // 61451
inline constexpr char kRemoteParity[] = "Parity";                                                      // 61452
inline constexpr char kRemoteStop[] = "StopBits";                                                      // 61453
inline constexpr char kRemoteFlow[] = "FlowControl";                                                   // 61454
inline constexpr char kComPortName[] = "COM%1";
inline constexpr char kRemoteSettingsMissing[] =
    "Failed to get remote monitor settings from registry, please configure.";                         // 61455

// Event view and remote monitoring dialogs
inline constexpr char kEventViewTitle[] = "Event View selection";                                     // 142
inline constexpr char kEventDisplayGroup[] = "Display";
inline constexpr char kShowFault[] = "Fault Conditions";                                               // 1016
inline constexpr char kShowNormal[] = "Warnings";                                                      // 1017
inline constexpr char kShowCall[] = "Call Events";                                                     // 1018
inline constexpr char kFlagCall[] = "Call";
inline constexpr char kFlagFault[] = "Fault";
inline constexpr char kFlagNormal[] = "Normal";
inline constexpr char kFlagSystem[] = "System";
inline constexpr char kDialogOk[] = "OK";
inline constexpr char kDialogCancel[] = "Cancel";
inline constexpr char kRemoteMonTitle[] = "Dialog";                                                    // 144
inline constexpr char kRemoteEnableBox[] = "Enable Remote monitoring output";                          // 1057
inline constexpr char kRemotePortLabel[] = "&ComPort:";                                                // 1058
inline constexpr char kRestartToTakeEffect[] = "The application must be restarted to take effect.";

} // namespace Str
