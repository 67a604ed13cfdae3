// quorvel-archive: lists, shows and searches a station's daily archives from the command line,
// with the program's own archive reader.
#include "Commands.h"
#include "DamageReport.h"
#include "SearchCriteria.h"
#include "ToolTexts.h"
#include "core/Version.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace {

// Whatever is still buffered goes out; a write that failed on the way (a full disk, /dev/full)
// makes the run an error, whatever it found.
int FinishOutput(int status)
{
    errno = 0;
    if (std::fflush(stdout) == 0 && !std::ferror(stdout))
        return status;
    const int error = errno;
    PrintError(QString::fromLatin1(Tool::kWriteFailed)
                   .arg(error != 0 ? QString::fromLocal8Bit(std::strerror(error))
                                   : QString::fromLatin1(Tool::kWriteFailedUnknown)));
    return kError;
}

int UsageError(const QString& text)
{
    PrintError(QString::fromLatin1(Tool::kUsageHint).arg(text));
    return kError;
}

struct Options
{
    QCommandLineOption format{QStringLiteral("format"), QString(), QStringLiteral("F"), QStringLiteral("text")};
    QCommandLineOption channel{QStringLiteral("channel"), QString(), QStringLiteral("NAME")};
    QCommandLineOption from{QStringLiteral("from"), QString(), QStringLiteral("DATE")};
    QCommandLineOption to{QStringLiteral("to"), QString(), QStringLiteral("DATE")};
    QCommandLineOption kind{QStringLiteral("kind"), QString(), QStringLiteral("KIND")};
    QCommandLineOption text{QStringLiteral("text"), QString(), QStringLiteral("REGEX")};
    QCommandLineOption help{{QStringLiteral("h"), QStringLiteral("help")}, QString()};
    QCommandLineOption version{{QStringLiteral("v"), QStringLiteral("version")}, QString()};
};

// The options a command takes besides --help and --version.
QList<const QCommandLineOption*> OptionsOf(const QString& command, const Options& o)
{
    if (command == QLatin1String("show"))
        return {&o.format};
    if (command == QLatin1String("search"))
        return {&o.format, &o.channel, &o.from, &o.to, &o.kind, &o.text};
    if (command == QLatin1String("stats"))
        return {&o.format, &o.channel, &o.from, &o.to};
    return {};
}

bool ReadCriteria(const QCommandLineParser& parser, const Options& o, SearchCriteria& criteria, QString& error)
{
    criteria.channels = parser.values(o.channel);
    for (const auto& [option, date] : {std::pair{&o.from, &criteria.from}, std::pair{&o.to, &criteria.to}}) {
        if (parser.isSet(*option) && !SearchCriteria::ParseDate(parser.value(*option), *date)) {
            error = QString::fromLatin1(Tool::kBadDate).arg(parser.value(*option));
            return false;
        }
    }
    if (criteria.from.isValid() && criteria.to.isValid() && criteria.from > criteria.to) {
        error = QString::fromLatin1(Tool::kFromAfterTo).arg(parser.value(o.from), parser.value(o.to));
        return false;
    }
    for (const QString& text : parser.values(o.kind)) {
        int kind = 0;
        if (!SearchCriteria::ParseKind(text, kind)) {
            error = QString::fromLatin1(Tool::kBadKind).arg(text);
            return false;
        }
        criteria.kinds << kind;
    }
    return !parser.isSet(o.text) || criteria.SetText(parser.value(o.text), error);
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    // Records go out in large writes when nobody is watching; a terminal sees each line.
    if (!::isatty(STDOUT_FILENO))
        std::setvbuf(stdout, nullptr, _IOFBF, 1 << 16);

    const Options o;
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addOptions({o.format, o.channel, o.from, o.to, o.kind, o.text, o.help, o.version});
    if (!parser.parse(QCoreApplication::arguments()))
        return UsageError(parser.errorText());
    if (parser.isSet(o.help)) {
        std::fputs(Tool::kHelp, stdout);
        return FinishOutput(kFound);
    }
    if (parser.isSet(o.version)) {
        std::printf("%s %s\n", Tool::kProgram, QUORVEL_VERSION);
        return FinishOutput(kFound);
    }
    const QStringList args = parser.positionalArguments();
    if (args.isEmpty())
        return UsageError(QString::fromLatin1(Tool::kNoCommand));
    const QString command = args.first();
    const QStringList commands{QStringLiteral("list"), QStringLiteral("show"), QStringLiteral("search"),
                               QStringLiteral("verify"), QStringLiteral("stats")};
    if (!commands.contains(command))
        return UsageError(QString::fromLatin1(Tool::kUnknownCommand).arg(command));
    if (command == QLatin1String("verify") && args.size() < 2)
        return UsageError(QString::fromLatin1(Tool::kVerifyArguments));
    if (command != QLatin1String("verify") && args.size() != 2)
        return UsageError(QString::fromLatin1(Tool::kWrongArguments)
                              .arg(command, QLatin1String(command == QLatin1String("show") ? "FILE" : "STATION")));
    for (const QCommandLineOption* option : {&o.format, &o.from, &o.to, &o.text}) {
        if (parser.values(*option).size() > 1)
            return UsageError(QString::fromLatin1(Tool::kRepeatedOption).arg(option->names().first()));
    }
    const QList<const QCommandLineOption*> allowed = OptionsOf(command, o);
    for (const QCommandLineOption* option : {&o.format, &o.channel, &o.from, &o.to, &o.kind, &o.text}) {
        if (parser.isSet(*option) && !allowed.contains(option))
            return UsageError(QString::fromLatin1(Tool::kOptionNotFor).arg(option->names().first(), command));
    }
    RecordWriter::Format format = RecordWriter::Format::Text;
    if (!RecordWriter::ParseFormat(parser.value(o.format), format))
        return UsageError(QString::fromLatin1(Tool::kBadFormat).arg(parser.value(o.format)));

    int status = kError;
    if (command == QLatin1String("list")) {
        status = RunList(args.at(1));
    } else if (command == QLatin1String("show")) {
        status = RunShow(args.at(1), format);
    } else if (command == QLatin1String("verify")) {
        status = RunVerify(args.mid(1));
    } else {
        SearchCriteria criteria;
        QString error;
        if (!ReadCriteria(parser, o, criteria, error))
            return UsageError(error);
        status = command == QLatin1String("stats") ? RunStats(args.at(1), criteria, format)
                                                   : RunSearch(args.at(1), criteria, format);
    }
    return FinishOutput(status);
}
