#pragma once

// The program's messages to the user, by their resource number: boxes, errors, notices and the
// event lines' formats, exactly as they stand.
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

// Archive
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
inline constexpr char kSealFailed[] = "Archive %1 could not be sealed: %2";
inline constexpr char kCopyDiffers[] =
    "The copy of %1 on the backup drive did not read back as it was written; it has been removed.";

// Archive backup
inline constexpr char kInsertDisk[] = "Insert a formatted disk into the A: drive";                     // 32801
inline constexpr char kDiskWriteProtected[] =
    "Error: the diskette is write protected. Unprotect it and try again.";                             // 32807
inline constexpr char kInsufficientRoom[] = "Insufficient room for file %1 on disk.";                  // 32824
// Follows the system's reason when copying an archive to the backup drive failed.
inline constexpr char kBackupIncomplete[] = "The backup copy of %1 is not complete.";

// Channel names
inline constexpr char kDuplicateChannelRenamed[] =
    "Channel %1 had the name \"%2\" of channel %3 and is now called \"%4\".";

// Start-up
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
inline constexpr char kLineSilent[] = "Line silent since %1";
inline constexpr char kLineActiveAgain[] = "Line active again after %1 min";
inline constexpr char kChannelNotice[] = "%1: %2";  // channel name, notice
// The station's status as the service manager shows it.
inline constexpr char kServiceStatus[] = "%1/%2 lines up, last message %3, disk %4 % free";
inline constexpr char kLastMessageAgo[] = "%1 s ago";
inline constexpr char kNoMessageYet[] = "none yet";
inline constexpr char kDiskUnknown[] = "?";
inline constexpr char kMetricsWriteFailed[] = "Unable to write the health figures to %1: %2";
// On standard output in place of event lines its reader did not take in time.
inline constexpr char kEventLinesNotPrinted[] = "%1 event line(s) were not printed; the archive holds them all.";

// Windows
inline constexpr char kQuitQuestion[] = "Do you really want to quit?";                                 // 32829
// A desktop notification's text for several fault or alarm lines at once: how many, the last.
inline constexpr char kNotificationLines[] = "%1 fault or alarm lines; the last:\n%2";

// Channel properties: the sheet, its pages and their messages
inline constexpr char kEnterNoMoreThan[] = "Please enter no more than %1 characters.";                 // 61716
inline constexpr char kForbiddenNameChars[] = "\\/:*?\"<>|";                                          // 32780
inline constexpr char kNameHasForbiddenChars[] =
    "Channel name must not contain any of \\/:*?\"<> or | characters";                                // 32778
inline constexpr char kNameDuplicated[] = "Error: the name \"%1\" is duplicated.";                     // 32793
inline constexpr char kComSettingsWarning[] =
    "Warning: Changing Com port Settings will require interrupting logging on that port - data may be lost!"; // 32816
inline constexpr char kComSettingRefused[] =
    "Port COM%1 refused %2: %3. The line runs on as it was, and its stored settings are left as they were.";

// Printing and print to file
inline constexpr char kPageTitle[] = "Event Log: %1";                                                  // 32795
inline constexpr char kPageMaker[] = "Brannock";                                                       // 32796
inline constexpr char kPageNumber[] = "Page %1 of %2";                                                 // 32797
// The page header's "%a %b %d %Y %H:%M:%S", in the form QDateTime takes, always with English names.
inline constexpr char kPageDateFormat[] = "ddd MMM dd yyyy HH:mm:ss";
inline constexpr char kPrintToFileEmpty[] = "There are no events to write to a file.";
inline constexpr char kPrintToFileOpenFailed[] = "Unable to open %1 for writing: %2";
inline constexpr char kPrintToFileWriteFailed[] = "An error occurred while writing %1: %2";
inline constexpr char kPrintJobFailed[] = "Could not start print job.";                                   // 61702

// Archive windows: choosing, opening and sending archives
inline constexpr char kArchiveNeedsWindows[] =
    "Archive %1 can be viewed only with windows; \"quorvel-archive show\" prints it.";
inline constexpr char kSendProgram[] = "xdg-email";
inline constexpr char kSendAttach[] = "--attach";
inline constexpr char kSendFailed[] = "Unable to start xdg-email to send %1: %2";
// xdg-email started and failed: how it ended, and what it said.
inline constexpr char kSendExited[] = "xdg-email could not send %1 (%2): %3";
inline constexpr char kSendExitStatus[] = "exit status %1";

// Remote monitor
inline constexpr char kRemoteSettingsMissing[] =
    "Failed to get remote monitor settings from registry, please configure.";                         // 61455

// Remote monitoring dialog
inline constexpr char kRestartToTakeEffect[] = "The application must be restarted to take effect.";

} // namespace Str
