#pragma once

// The names of what the program stores, by their resource number: the settings store's keys, sections
// and value names, the port map, folder and file names, extensions and the headers of its file formats.
namespace Str {

// The alarm text file
inline constexpr char kAlarmFileName[] = "almdata.txt";
inline constexpr char kAlarmFileHeader[] = " * File Type : Text Data File";                           // 32790
// 32791: one blank, 78 asterisks and a slash.
inline constexpr char kAlarmFileEndOfHeader[] =
    " ******************************************************************************/";

// Archive
inline constexpr char kArchivesDir[] = "Archives";                                                     // 32809
inline constexpr char kPrintDir[] = "Print";
inline constexpr char kArchiveExtension[] = "krv";                                                     // 32782
inline constexpr char kArchiveHeader[] = "KRV Archive [CDL] <19-98-9-7>%s @@###$$$$";                   // 32799
inline constexpr char kInvalidArchiveSuffix[] = ".invalid";  // an invalid day archive is kept under its name plus this
// The seals of closed day archives, one "<SHA-256>  <file name>" line each, in the Archives folder
// (and beside the copies on a backup drive).
inline constexpr char kSealFile[] = "SHA256SUMS";

// Archive backup
inline constexpr char kPartialCopySuffix[] = ".part";  // a backup copy is written under its name plus this until whole

// Settings store
inline constexpr char kCompanyKey[] = "Brannock";
inline constexpr char kApplicationKey[] = "Quorvel";                                                   // 57344
inline constexpr char kSectionSettings[] = "Settings";                                                 // 32772
inline constexpr char kSectionChannels[] = "Channels";                                                 // 32774
inline constexpr char kSectionLines[] = "Lines";                                                       // 32818
inline constexpr char kPortSettingsSection[] = "COM%1 Settings";
// The values of a port's record: the port it names, then its line settings as table indexes.
inline constexpr char kPortValuePort[] = "Port";
inline constexpr char kPortValueBaud[] = "Baud";
inline constexpr char kPortValueData[] = "Data";
inline constexpr char kPortValueStop[] = "Stop";
inline constexpr char kPortValueParity[] = "Parity";
inline constexpr char kPortValueShake[] = "Shake";
inline constexpr char kSectionBackup[] = "Backup";
inline constexpr char kBackupDrives[] = "Drives";  // folders to back up to, separated by semicolons
inline constexpr char kSectionRecentFiles[] = "Recent File List";
inline constexpr char kRecentFileEntry[] = "File%1";

// The station directory and its port map
inline constexpr char kPortMapFile[] = "qvportmap.ini";
inline constexpr char kPortMapSection[] = "ComPortAssignments";
inline constexpr char kPortDevicesSection[] = "ComPortDevices";
inline constexpr char kStationLockFile[] = "quorvel.lock";
// Supervision of the lines
inline constexpr char kSectionSupervision[] = "Supervision";
inline constexpr char kSilenceMinutes[] = "SilenceMinutes";  // 0 or missing: silence is not watched
// The health figures file, in the station directory unless the settings name another; empty: none.
inline constexpr char kSectionMetrics[] = "Metrics";
inline constexpr char kMetricsFileKey[] = "File";
inline constexpr char kDefaultMetricsFile[] = "metrics/quorvel.prom";

// Printing and print to file
inline constexpr char kPrintToFileExtension[] = "txt";

// Remote monitor
inline constexpr char kRemoteSection[] = "RemoteMonitorSettings";                                      // 61447
inline constexpr char kRemoteEnable[] = "EnableDisable";                                               // 61448
inline constexpr char kRemotePort[] = "Port";                                                          // 61449
inline constexpr char kRemoteBaud[] = "BaudRate";                                                      // 61450
inline constexpr char kRemoteData[] = "DataBits";                                                      // 61451
inline constexpr char kRemoteParity[] = "Parity";                                                      // 61452
inline constexpr char kRemoteStop[] = "StopBits";                                                      // 61453
inline constexpr char kRemoteFlow[] = "FlowControl";                                                   // 61454

// Event view: one value for each kind of event shown
inline constexpr char kFlagCall[] = "Call";
inline constexpr char kFlagFault[] = "Fault";
inline constexpr char kFlagNormal[] = "Normal";
inline constexpr char kFlagSystem[] = "System";

} // namespace Str
