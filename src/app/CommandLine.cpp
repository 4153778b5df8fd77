#include "CommandLine.h"

#include <QCommandLineParser>

#include <cstdio>

namespace
{

void print(std::FILE* stream, const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    std::fflush(stream);
}

// The argument as the user typed it: an unknown option, or a stray word.
QString firstWrong(const QStringList& arguments, const QCommandLineParser& parser)
{
    const QStringList unknown = parser.unknownOptionNames();
    for (const QString& argument : arguments.mid(1)) {
        QString name = argument;
        while (name.startsWith(QLatin1Char('-')))
            name.remove(0, 1);
        if (argument.startsWith(QLatin1Char('-')) && unknown.contains(name.section(QLatin1Char('='), 0, 0)))
            return argument;
    }
    return parser.positionalArguments().isEmpty() ? parser.errorText() : parser.positionalArguments().constFirst();
}

} // namespace

QString CommandLine::helpText()
{
    return QStringLiteral("الاستخدام: qavtelephone [خيار]\n"
                          "QAV Telephone: دليل الهاتف الشخصى. بدون خيارات يفتح نافذة البرنامج على ملف البيانات "
                          "Kib.bin.\n"
                          "\n"
                          "الخيارات:\n"
                          "  -h, --help       يعرض هذه المساعدة\n"
                          "  -v, --version    يعرض رقم الإصدار\n");
}

QString CommandLine::versionText()
{
    return QStringLiteral("QAV Telephone %1\n").arg(QStringLiteral(QAV_VERSION));
}

std::optional<int> CommandLine::handle(const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption version(QStringList{QStringLiteral("v"), QStringLiteral("version")});
    parser.addOption(help);
    parser.addOption(version);
    // Qt adds options of its own (-platform, -style ...) when the application starts; they are
    // left for it.
    parser.addOption(QCommandLineOption(QStringList{QStringLiteral("platform"), QStringLiteral("style"),
                                                    QStringLiteral("display"), QStringLiteral("qwindowgeometry")},
                                        QString(), QStringLiteral("value")));
    if (!parser.parse(arguments) || !parser.positionalArguments().isEmpty()) {
        const QString wrong = firstWrong(arguments, parser);
        print(stderr, QStringLiteral("qavtelephone: خيار غير معروف: %1\n\n").arg(wrong) + helpText());
        return kWrongCommandLine;
    }
    if (parser.isSet(help)) {
        print(stdout, helpText());
        return 0;
    }
    if (parser.isSet(version)) {
        print(stdout, versionText());
        return 0;
    }
    return std::nullopt;
}
