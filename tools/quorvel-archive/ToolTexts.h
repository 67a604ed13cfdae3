#pragma once

// The texts quorvel-archive shows, in one place.
namespace Tool {

inline constexpr char kHelp[] =
    "Usage: quorvel-archive list STATION\n"
    "       quorvel-archive show FILE.krv [--format text|csv|json]\n"
    "       quorvel-archive search STATION [--channel NAME]... [--from DATE] [--to DATE]\n"
    "                              [--kind KIND]... [--text REGEX] [--format text|csv|json]\n"
    "       quorvel-archive verify STATION|FILE.krv...\n"
    "       quorvel-archive stats STATION [--channel NAME]... [--from DATE] [--to DATE]\n"
    "                             [--format text|csv|json]\n"
    "\n"
    "Lists, shows and searches the daily archives of a Quorvel station (STATION/Archives).\n"
    "\n"
    "  list     every archive: channel, date, records, size and whether it is damaged\n"
    "  show     the records of one archive in the order they were written\n"
    "  search   the records of all the station's archives that meet every condition given,\n"
    "           archive by archive in date order (channels of one day by name)\n"
    "  verify   each archive against its seal in the SHA256SUMS beside it, every record read:\n"
    "           ok, changed, damaged (its records no longer read whole) or not sealed;\n"
    "           exit status 0 when every sealed archive is ok, 1 when one is changed or damaged\n"
    "  stats    per channel and day the records by kind and status; per channel the alarm\n"
    "           floods (more than 10 alarms in 10 minutes), the ten most frequent alarm texts\n"
    "           and the longest time without a frame\n"
    "\n"
    "Options:\n"
    "  --format F      text (default), csv (RFC 4180, a header line) or json (one object a line),\n"
    "                  csv and json with the same columns\n"
    "  --channel NAME  only the archives of this channel, named exactly as in the file names;\n"
    "                  repeatable\n"
    "  --from DATE     only archives of this day or later (YYYY-MM-DD or YYYYMMDD)\n"
    "  --to DATE       only archives of this day or earlier\n"
    "  --kind KIND     alarm, event, system or other (or 0 to 3); repeatable\n"
    "  --text REGEX    only display lines that the Perl-compatible regular expression matches\n"
    "  -h, --help      this text\n"
    "  -v, --version   the version\n"
    "\n"
    "Each record shows its display line, kind, status colour, text colour (#RRGGBB) and whether\n"
    "the program lists it under the display flags of the user running this tool (section\n"
    "\"Settings\" of the Quorvel settings: Call, Fault, Normal, System; the program's defaults\n"
    "when none are stored). Record texts are bytes shown as Latin-1: text and csv output are\n"
    "UTF-8, text output shows control characters as '?', csv keeps them as they are in a quoted\n"
    "field, json writes every character outside printable ASCII as a \\u escape.\n"
    "\n"
    "An archive that a running station is appending to is read up to its size at the start,\n"
    "whole records only, without holding up the station. Damage is reported on standard error;\n"
    "the records that can still be read are shown.\n"
    "\n"
    "Exit status: 0 when something was listed, shown or found, 1 when nothing was, 2 when an\n"
    "error occurred, even if something was found: a wrong command line, a station or archive that\n"
    "cannot be read, a FILE that is no archive, a pattern that goes past the regular expression\n"
    "library's limits, standard output that cannot be written. Damaged records, and files in the\n"
    "Archives folder that are no day archives, are warnings: they leave the status as it is.\n"
    "\n"
    "Examples:\n"
    "  quorvel-archive list /srv/quorvel/north\n"
    "  quorvel-archive show '/srv/quorvel/north/Archives/North Gate 20240506.krv' --format csv > gate.csv\n"
    "  quorvel-archive search /srv/quorvel/north --channel 'North Gate' --from 2024-05-01 \\\n"
    "      --to 2024-05-07 --kind alarm --text 'Door (open|forced)'\n";

inline constexpr char kProgram[] = "quorvel-archive";
inline constexpr char kUsageHint[] = "%1\nTry 'quorvel-archive --help'.";
inline constexpr char kNoCommand[] = "No command given.";
inline constexpr char kUnknownCommand[] = "Unknown command '%1'.";
inline constexpr char kWrongArguments[] = "'%1' takes exactly one %2.";
inline constexpr char kOptionNotFor[] = "Option --%1 does not go with '%2'.";
inline constexpr char kBadFormat[] = "Unknown format '%1': text, csv or json.";
inline constexpr char kBadDate[] = "Not a date: '%1' (YYYY-MM-DD or YYYYMMDD).";
inline constexpr char kBadKind[] = "Unknown kind '%1': alarm, event, system, other or 0 to 3.";
inline constexpr char kBadRegex[] = "Not a regular expression: '%1': %2 at character %3.";
inline constexpr char kRepeatedOption[] = "Option --%1 may be given once.";
inline constexpr char kFromAfterTo[] = "--from %1 is after --to %2: no day is in between.";
inline constexpr char kChannelCase[] = "No channel '%1' in %2; there is '%3' (names are compared exactly).";
inline constexpr char kMatchFailed[] = "%1: record %2: the pattern goes past the regular expression library's "
                                       "limits (%3); the search stopped. A simpler pattern may do.";
inline constexpr char kWriteFailed[] = "standard output: %1";
inline constexpr char kWriteFailedUnknown[] = "a write failed";
inline constexpr char kNoSuchFolder[] = "no such folder";
inline constexpr char kFolderUnreadable[] = "cannot be read";

inline constexpr char kNotArchive[] = "not a Quorvel archive (its header does not match)";
inline constexpr char kDamagedLength[] = "a text length no record can have; what follows may be misread";
inline constexpr char kDamagedCut[] = "cut short: %1 byte(s) of a record at the end";
inline constexpr char kDamageAt[] = "%1: record %2 at byte %3: %4";
inline constexpr char kMoreDamage[] = "%1: %2 more damaged record(s)";
inline constexpr char kFileProblem[] = "%1: %2";
inline constexpr char kNotDayArchiveName[] = "%1: not named like a channel's day archive, not searched";
inline constexpr char kNotArchiveSkipped[] = "%1: not a Quorvel archive (its header does not match), not searched";
inline constexpr char kNotRegularFile[] = "not a regular file (a pipe, device or folder is never read)";
inline constexpr char kShrank[] = "the file shrank from %1 to %2 bytes while it was read";

// list
inline constexpr char kListHeading[] = "CHANNEL\tDATE\tRECORDS\tBYTES\tSTATE";
inline constexpr char kStateOk[] = "ok";
inline constexpr char kStateDamaged[] = "damaged";
inline constexpr char kStateNotArchive[] = "not an archive";
inline constexpr char kStateUnreadable[] = "unreadable: %1";
inline constexpr char kStateInUse[] = " (in use)";

// verify
inline constexpr char kVerifyArguments[] = "'verify' takes one or more STATION or FILE.";
inline constexpr char kVerifyOk[] = "ok";
inline constexpr char kVerifyChanged[] = "changed";
inline constexpr char kVerifyDamaged[] = "damaged";
inline constexpr char kVerifyNotSealed[] = "not sealed";
inline constexpr char kNoSuchFile[] = "no such file or folder";

// stats
inline constexpr char kStatsDayHeading[] =
    "  date        records   alarm   fault   event  system   other       L       R       S       X    text\n";
inline constexpr char kStatsFloodHeading[] = "  floods (more than 10 alarms in 10 minutes): %1\n";
inline constexpr char kStatsFloodLine[] = "    %1 to %2: %3 alarms, at most %4 in 10 minutes\n";
inline constexpr char kStatsTopHeading[] = "  most frequent alarm texts (of %1 alarms):\n";
inline constexpr char kStatsGapLine[] = "  longest time without a frame: %1, from %2 to %3\n";
inline constexpr char kStatsNoGap[] = "  longest time without a frame: fewer than two records\n";
inline constexpr char kStatsCsvHeading[] =
    "section,channel,date,records,alarm,fault,event,system,other,L,R,S,X,text_messages,start,end,count,peak,rank,"
    "text,share,seconds";

// record fields
inline constexpr const char* kKindNames[4] = {"alarm", "event", "system", "other"};  // by kind number
inline constexpr char kListed[] = "listed";
inline constexpr char kHidden[] = "hidden";
// The columns of a record in csv (the header line) and json (the keys), in this order.
enum Column { kChannel, kDate, kRecord, kKind, kListedColumn, kStatus, kColour, kFault, kTextMessage, kLine };
inline constexpr const char* kColumns[] = {"channel", "date",   "record", "kind",         "listed",
                                           "status",  "colour", "fault",  "text_message", "line"};

} // namespace Tool
