#include "CommandLine.h"
#include "OutsideText.h"

#include <QCommandLineParser>
#include <QFileInfo>
#include <QRegularExpression>
#include <QUrl>

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
    return QStringLiteral(
        "الاستخدام: qavtelephone [خيار] أو qavtelephone [FILE...]\n"
        "QAV Telephone: دليل الهاتف الشخصى. بدون خيارات يفتح نافذة البرنامج على ملف البيانات Kib.bin.\n"
        "مع ملفات vCard أو CSV تفتح النافذة وتسأل إلى أى دليل يستورد كل ملف ; وإن كانت مفتوحة من قبل\n"
        "على نفس الملف Kib.bin تظهر هى وتستلم الملفات.\n"
        "\n"
        "الخيارات:\n"
        "  -h, --help                      يعرض هذه المساعدة\n"
        "  -v, --version                   يعرض رقم الإصدار\n"
        "  --import FILE --into DIR        يستورد جهات الاتصال من ملف vCard أو CSV إلى الدليل DIR\n"
        "                                  (ينشأ الدليل إن لم يكن موجودا)\n"
        "  --export DIR FILE [--format F]  يصدر الدليل DIR إلى الملف FILE بالصيغة F:\n"
        "                                  vcard4 (الافتراضية) أو vcard3 أو csv أو google-csv أو outlook-csv\n"
        "  --link DIR URL [--user NAME]    يربط الدليل DIR بدفتر العناوين URL على خادم CardDAV\n"
        "                                  (ينشأ الدليل إن لم يكن موجودا). مع --password-file يتحقق من\n"
        "                                  العنوان: إن كان عنوان الخادم ينشئ عليه دفترا باسم الدليل\n"
        "  --sync [DIR]                    يزامن كل دليل مربوط (أو الدليل DIR وحده) مع دفتر العناوين الخاص به\n"
        "  --allow-insecure-http           مع --link و --sync: يسمح بعنوان http غير مشفر لجهاز آخر\n"
        "  --query TEXT [--format tsv]     لبرامج البريد (query_command فى mutt): سطر رسالة ثم سطر لكل عنوان\n"
        "                                  بريد يطابق الاسم (بالحروف العربية أو اللاتينية , أو بالنطق) أو العنوان:\n"
        "                                  العنوان<TAB>الاسم<TAB>الدليل. مع tsv لا يطبع سطر الرسالة.\n"
        "                                  لا تقرأ الأدلة المقفلة. الخروج 0 مع نتائج , 1 بدونها\n"
        "                                  مثال فى muttrc: set query_command = \"qavtelephone --query '%s'\"\n"
        "  --search-provider               يقدم جهات الاتصال لمربع البحث فى سطح المكتب (GNOME و KDE) على ناقل الجلسة\n"
        "                                  D-Bus , بدون نافذة ; يشغله سطح المكتب عند الحاجة. لا يبحث فى الأدلة "
        "المقفلة\n"
        "                                  ولا فى دفتر محمى بكلمة مرور إلا والنافذة مفتوحة\n"
        "  --show-contact ID               (داخلى) يفتح النافذة على جهة الاتصال التى اختيرت فى بحث سطح المكتب\n"
        "  --search-book=TEXT              (داخلى) يفتح البحث فى الدفتر كله وفيه النص TEXT\n"
        "  --password-file FILE            رمز حماية الدليل المقفل , مكتوبا فى ملف\n"
        "                                  (مع --link و --sync: كلمة مرور الخادم , وإلا تؤخذ من خزنة كلمات المرور)\n"
        "  --book-password-file FILE       كلمة مرور الدفتر المحمى , مكتوبة فى ملف (لازمة مع كل الخيارات السابقة\n"
        "                                  إذا كان الدفتر محميا بكلمة مرور ; لا تكتب كلمة المرور نفسها فى الأمر)\n"
        "\n"
        "حالة الخروج: 0 عند النجاح , 1 عند الفشل مع السبب , 2 لخيارات خاطئة.\n");
}

QString CommandLine::versionText()
{
    return QStringLiteral("QAV Telephone %1\n").arg(QStringLiteral(QAV_VERSION));
}

QStringList CommandLine::exportFormats()
{
    return {QStringLiteral("vcard4"), QStringLiteral("vcard3"), QStringLiteral("csv"), QStringLiteral("google-csv"),
            QStringLiteral("outlook-csv")};
}

CommandLine::Request CommandLine::handle(const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption version(QStringList{QStringLiteral("v"), QStringLiteral("version")});
    const QCommandLineOption importFrom(QStringLiteral("import"), QString(), QStringLiteral("file"));
    const QCommandLineOption into(QStringLiteral("into"), QString(), QStringLiteral("directory"));
    const QCommandLineOption exportOf(QStringLiteral("export"), QString(), QStringLiteral("directory"));
    const QCommandLineOption format(QStringLiteral("format"), QString(), QStringLiteral("format"));
    const QCommandLineOption passwordFile(QStringLiteral("password-file"), QString(), QStringLiteral("file"));
    const QCommandLineOption link(QStringLiteral("link"), QString(), QStringLiteral("directory"));
    const QCommandLineOption user(QStringLiteral("user"), QString(), QStringLiteral("name"));
    const QCommandLineOption sync(QStringLiteral("sync"));
    const QCommandLineOption insecure(QStringLiteral("allow-insecure-http"));
    const QCommandLineOption bookPasswordFile(QStringLiteral("book-password-file"), QString(), QStringLiteral("file"));
    const QCommandLineOption query(QStringLiteral("query"), QString(), QStringLiteral("text"));
    const QCommandLineOption searchProvider(QStringLiteral("search-provider"));
    const QCommandLineOption showContact(QStringLiteral("show-contact"), QString(), QStringLiteral("id"));
    const QCommandLineOption searchBook(QStringLiteral("search-book"), QString(), QStringLiteral("text"));
    parser.addOptions({help, version, importFrom, into, exportOf, format, passwordFile, link, user, sync, insecure,
                       bookPasswordFile, query, searchProvider, showContact, searchBook});
    // Qt adds options of its own (-platform, -style ...) when the application starts; they are
    // left for it.
    parser.addOption(QCommandLineOption(QStringList{QStringLiteral("platform"), QStringLiteral("style"),
                                                    QStringLiteral("display"), QStringLiteral("qwindowgeometry")},
                                        QString(), QStringLiteral("value")));
    auto wrong = [](const QString& reason) {
        // The reason may quote what was typed: shown without its control characters.
        print(stderr, QStringLiteral("qavtelephone: %1\n\n").arg(OutsideText::printable(reason)) + helpText());
        return Request{Request::Action::Done, kWrongCommandLine};
    };
    if (!parser.parse(arguments))
        return wrong(QStringLiteral("خيار غير معروف: %1").arg(firstWrong(arguments, parser)));
    if (parser.isSet(help)) {
        print(stdout, helpText());
        return {Request::Action::Done, 0};
    }
    if (parser.isSet(version)) {
        print(stdout, versionText());
        return {Request::Action::Done, 0};
    }
    const QStringList positional = parser.positionalArguments();
    // The desktop's search: the service alone, or the window opened on what was chosen there.
    const bool desktopSearch = parser.isSet(searchProvider) || parser.isSet(showContact) || parser.isSet(searchBook);
    if (desktopSearch) {
        static const QRegularExpression rowId(QStringLiteral("^[1-9][0-9]{0,17}$"));
        const int given =
            int(parser.isSet(searchProvider)) + int(parser.isSet(showContact)) + int(parser.isSet(searchBook));
        const bool others = !positional.isEmpty() || parser.isSet(importFrom) || parser.isSet(into) ||
                            parser.isSet(exportOf) || parser.isSet(format) || parser.isSet(passwordFile) ||
                            parser.isSet(link) || parser.isSet(user) || parser.isSet(sync) || parser.isSet(insecure) ||
                            parser.isSet(bookPasswordFile) || parser.isSet(query);
        if (given != 1 || others || (parser.isSet(showContact) && !rowId.match(parser.value(showContact)).hasMatch()))
            return wrong(QStringLiteral("--search-provider و --show-contact و --search-book تستخدم وحدها"));
        Request request;
        if (parser.isSet(searchProvider))
            request.action = Request::Action::SearchProvider;
        request.showContact = parser.value(showContact);
        request.searchBook = OutsideText::oneLine(parser.value(searchBook)).trimmed();
        return request;
    }
    Request request;
    request.passwordFile = parser.value(passwordFile);
    request.allowInsecureHttp = parser.isSet(insecure);
    request.bookPasswordFile = parser.value(bookPasswordFile);
    if (parser.isSet(query)) {
        // Only the book's own password goes with it: a locked directory is never read for a query.
        request.format = parser.isSet(format) ? parser.value(format) : QStringLiteral("mutt");
        if (parser.value(query).trimmed().isEmpty() || !positional.isEmpty() || parser.isSet(importFrom) ||
            parser.isSet(into) || parser.isSet(exportOf) || parser.isSet(link) || parser.isSet(sync) ||
            parser.isSet(user) || parser.isSet(insecure) || parser.isSet(passwordFile) ||
            (request.format != QLatin1String("mutt") && request.format != QLatin1String("tsv")))
            return wrong(QStringLiteral("البحث عن عنوان يحتاج إلى: --query TEXT [--format tsv] (نص غير فارغ)"));
        request.action = Request::Action::Query;
        request.query = parser.value(query);
        return request;
    }
    if (parser.isSet(importFrom)) {
        if (!parser.isSet(into) || parser.value(into).isEmpty() || !positional.isEmpty() || parser.isSet(exportOf))
            return wrong(QStringLiteral("الاستيراد يحتاج إلى: --import FILE --into DIR"));
        request.action = Request::Action::Import;
        request.file = parser.value(importFrom);
        request.directory = parser.value(into);
        return request;
    }
    if (parser.isSet(exportOf)) {
        request.format = parser.isSet(format) ? parser.value(format) : QStringLiteral("vcard4");
        if (positional.size() != 1 || parser.value(exportOf).isEmpty() || parser.isSet(into) ||
            !exportFormats().contains(request.format))
            return wrong(QStringLiteral("التصدير يحتاج إلى: --export DIR FILE [--format %1]")
                             .arg(exportFormats().join(QLatin1Char('|'))));
        request.action = Request::Action::Export;
        request.directory = parser.value(exportOf);
        request.file = positional.constFirst();
        return request;
    }
    if (parser.isSet(link)) {
        const QUrl url(positional.value(0));
        if (positional.size() != 1 || parser.value(link).isEmpty() || parser.isSet(sync) || !url.isValid() ||
            (url.scheme() != QLatin1String("http") && url.scheme() != QLatin1String("https")) || url.host().isEmpty())
            return wrong(QStringLiteral("الربط يحتاج إلى: --link DIR https://SERVER/PATH/ [--user NAME]"));
        request.action = Request::Action::Link;
        request.directory = parser.value(link);
        request.url = positional.constFirst();
        request.user = parser.value(user);
        return request;
    }
    if (parser.isSet(sync)) {
        if (positional.size() > 1 || parser.isSet(user))
            return wrong(QStringLiteral("المزامنة تحتاج إلى: --sync [DIR] [--password-file FILE]"));
        request.action = Request::Action::Sync;
        request.directory = positional.value(0);
        return request;
    }
    if (parser.isSet(into) || parser.isSet(format) || parser.isSet(passwordFile) || parser.isSet(user) ||
        parser.isSet(insecure) || parser.isSet(bookPasswordFile))
        return wrong(QStringLiteral("هذا الخيار يستخدم مع --import أو --export أو --link أو --sync أو --query فقط"));
    // Files to open with the window (a file manager's "open with", the menu entry's %F): made
    // absolute now, since the window may be another copy started elsewhere.
    // A word that names no file is a mistyped command, refused before any window opens.
    for (const QString& file : positional) {
        const QUrl url(file);
        const QFileInfo named(url.isLocalFile() ? url.toLocalFile() : file);
        if (!named.exists())
            return wrong(QStringLiteral("لا يوجد ملف بهذا الاسم: %1").arg(file));
        request.files << named.absoluteFilePath();
    }
    return request;
}
