#pragma once

// The texts that name parts of the windows, by their resource number: menus and their prompts,
// window and dialog titles, labels and list entries.
namespace Str {

// Archive backup
inline constexpr char kBackupTitle[] = "Backup Selected Archives ";                                    // 132
inline constexpr char kBackupSave[] = "Save";
inline constexpr char kBackupCancel[] = "Cancel";
inline constexpr char kBackupListEntry[] = "%1: %2/%3/%4";  // channel name and its blank, day, month, year

// Channel names, which are also their windows' titles
inline constexpr char kDefaultChannelName[] = "Channel %1";                                            // 32773
inline constexpr char kNumberedChannelName[] = "%1 (%2)";  // a default name that another channel already has

// Windows: frames, status bar, about box
inline constexpr char kMainFrameTitle[] = "Quorvel";                                                   // 128
inline constexpr char kTitleSeparator[] = " - ";
// The main window of a copy that only views archives: it logs nothing.
inline constexpr char kViewingTitle[] = "Quorvel - viewing archives";
inline constexpr char kReady[] = "Ready";                                                              // 57345
inline constexpr char kDatePaneInitial[] = "Date";                                                     // 105
// The date pane's "%A, %B %d, %Y", in the form QDate takes, always with English names.
inline constexpr char kDatePaneFormat[] = "dddd, MMMM dd, yyyy";
inline constexpr char kAboutTitle[] = "About Quorvel";                                                 // 100
inline constexpr char kProductName[] = "Quorvel";                                                      // 1021
inline constexpr char kAboutVersion[] = "Version %1";                                                  // 32808
inline constexpr char kAboutNotice[] = "Brannock";                                                     // 1022
inline constexpr char kAboutOk[] = "OK";
// A flashing channel window's title alternates between its plain title and this.
inline constexpr char kFlashingTitle[] = "*** %1 ***";
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

// Channel properties: the sheet and its pages
inline constexpr char kChannelSettingsCaption[] = "Settings for Channel %1";
inline constexpr char kChannelNamePage[] = "Configure Channel Name";                                  // 130
inline constexpr char kChannelNameLabel[] = "Channel Name:";
inline constexpr char kCommsPage[] = "COM port settings";                                             // 134
inline constexpr char kBaudLabel[] = "&Baud Rate:";
inline constexpr char kDataBitsLabel[] = "&Data Bits:";
inline constexpr char kParityLabel[] = "&Parity:";
inline constexpr char kStopBitsLabel[] = "&Stop Bits:";
inline constexpr char kFlowControlLabel[] = "&Flow Control:";
inline constexpr const char* kParityEntries[] = {"None", "Odd", "Even", "Mark", "Space"};
inline constexpr const char* kStopBitsEntries[] = {"1", "1.5", "2"};
inline constexpr const char* kFlowEntries[] = {"None", "Hardware", "Xon / Xoff"};
inline constexpr char kLineCountPage[] = "Line Count";                                                // 143
inline constexpr char kNumberOfLines[] = "Number of lines";
inline constexpr char k64Line[] = "64 Line";
inline constexpr char k40Line[] = "40 Line";

// Printing and print to file
inline constexpr char kPrintToFileTitle[] = "Print to File";                                           // 32819
inline constexpr char kPrintToFileFilter[] = "Text File (*.txt)";
inline constexpr char kPrintingPages[] = "Printing %1...";
inline constexpr char kWritingFile[] = "Writing %1...";
inline constexpr char kCancel[] = "Cancel";

// Archive windows: choosing, opening and sending archives
inline constexpr char kViewArchiveTitle[] = "View Archive";                                             // 32828
inline constexpr char kViewArchiveFilter[] = "Archive files (*.krv)";                                   // 32794
inline constexpr char kOpenTitle[] = "Open";
inline constexpr char kOpenFilter[] = "Archive Files (*.krv)";                                          // 129

// Remote monitor: the entries of its port list
inline constexpr char kComPortName[] = "COM%1";

// Event view and remote monitoring dialogs
inline constexpr char kEventViewTitle[] = "Event View selection";                                     // 142
inline constexpr char kEventDisplayGroup[] = "Display";
inline constexpr char kShowFault[] = "Fault Conditions";                                               // 1016
inline constexpr char kShowNormal[] = "Warnings";                                                      // 1017
inline constexpr char kShowCall[] = "Call Events";                                                     // 1018
inline constexpr char kDialogOk[] = "OK";
inline constexpr char kDialogCancel[] = "Cancel";
inline constexpr char kRemoteMonTitle[] = "Dialog";                                                    // 144
inline constexpr char kRemoteEnableBox[] = "Enable Remote monitoring output";                          // 1057
inline constexpr char kRemotePortLabel[] = "&ComPort:";                                                // 1058

} // namespace Str
