#include "BatchCommands.h"
#include "AddressQuery.h"
#include "PasswordFile.h"

#include "AddressBookFinder.h"
#include "BookAddress.h"
#include "BookSync.h"
#include "CardDavClient.h"
#include "ContactExporter.h"
#include "ContactFileReader.h"
#include "ContactImporter.h"
#include "DirectoryStore.h"
#include "OutsideText.h"
#include "PassedOver.h"
#include "SafeFileWrite.h"
#include "Schema.h"
#include "SecretStore.h"
#include "SharedData.h"
#include "SyncStore.h"

#include <QFileInfo>
#include <QUrl>

#include <cstdio>

namespace
{

constexpr int kMaxDirectoryName = 40;

// Only the line ends the program writes reach the terminal: a name a server or a file gave (or an
// older row still holds) may carry escape sequences or direction controls, which are dropped.
void print(std::FILE* stream, const QString& text)
{
    // Line ends and tabs are the program's own (a query's columns); anything else that steers a
    // terminal is taken out, whatever the book or a server put there.
    QStringList lines = text.split(QLatin1Char('\n'));
    for (QString& line : lines) {
        QStringList columns = line.split(QLatin1Char('\t'));
        for (QString& column : columns)
            column = OutsideText::printable(column);
        line = columns.join(QLatin1Char('\t'));
    }
    const QByteArray bytes = (lines.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    std::fflush(stream);
}

int fail(const QString& reason)
{
    // One line: whatever the reason says, it stays on one line for the script that reads it.
    QString line = reason;
    line.replace(QLatin1Char('\n'), QLatin1Char(' '));
    print(stderr, QStringLiteral("qavtelephone: ") + line);
    return 1;
}

// The directory of that name, or none (an empty code).
Directory findDirectory(const QString& name)
{
    Directory found;
    PassedOver::note(DirectoryStore(SharedData::connection()).findByName(name, found), Q_FUNC_INFO);
    return found;
}

Directory findOrAddDirectory(const QString& name, QString& reason)
{
    if (Directory found = findDirectory(name); found.exists())
        return found;
    if (DataResult added = DirectoryStore(SharedData::connection()).add(name); !added)
        reason = QStringLiteral("تعذر إنشاء الدليل \"%1\": %2").arg(name, added.error);
    return findDirectory(name);
}

// A directory's name as the window takes it: trimmed, never blank, at most 40 characters. Empty
// when it may be used (name then holds it), else why not.
QString directoryName(const QString& typed, QString& name)
{
    name = OutsideText::oneLine(typed).trimmed();
    if (name.isEmpty())
        return QStringLiteral("اسم الدليل فارغ");
    if (name.size() > kMaxDirectoryName)
        return QStringLiteral("اسم الدليل أطول من %1 حرفا").arg(kMaxDirectoryName);
    return QString();
}

// A locked directory opens only with its password, read from the given file (one line).
QString refusedPassword(const Directory& directory, const QString& name, const PasswordFile& passwordFile)
{
    if (!directory.exists() || !directory.isLocked())
        return QString();
    if (!passwordFile.given)
        return QStringLiteral("الدليل \"%1\" مقفل برمز حماية: استخدم --password-file").arg(name);
    return passwordFile.password == directory.pass ? QString() : QStringLiteral("رمز الحماية غير صحيح");
}

// Opens the book with the master password of the given file, or with the standard key. Empty
// when open, else why not.
QString openBook(const PasswordFile& bookPasswordFile)
{
    if (bookPasswordFile.given)
        SharedData::setBookKey(bookPasswordFile.password);
    DataResult opened = OpenDatabase();
    // A password file given for a book that is not protected (any more) does no harm.
    if (!opened && opened.notADatabase && SharedData::bookProtected()) {
        SharedData::setBookKey(QString::fromLatin1(Schema::kPassword));
        if (DataResult standard = OpenDatabase(); standard)
            opened = standard;
    }
    if (opened)
        return QString();
    if (opened.notADatabase && !bookPasswordFile.given)
        return QStringLiteral("الدفتر %1 محمى بكلمة مرور (أو تالف): استخدم --book-password-file")
            .arg(SharedData::databasePath());
    if (opened.notADatabase)
        return QStringLiteral("كلمة مرور الدفتر غير صحيحة (أو الملف %1 تالف)").arg(SharedData::databasePath());
    return QStringLiteral("لا يمكن فتح قاعدة البيانات %1: %2").arg(SharedData::databasePath(), opened.error);
}

} // namespace

int BatchCommands::run(const CommandLine::Request& request)
{
    // Each password file is read once, before anything else: one that cannot serve stops the
    // command at once.
    const PasswordFile passwordFile = PasswordFile::read(request.passwordFile);
    const PasswordFile bookPasswordFile = PasswordFile::read(request.bookPasswordFile);
    for (const PasswordFile* file : {&passwordFile, &bookPasswordFile}) {
        if (!file->refused.isEmpty())
            return fail(file->refused);
        if (!file->warning.isEmpty())
            print(stderr, QStringLiteral("qavtelephone: ") + file->warning);
    }
    using Action = CommandLine::Request::Action;
    // A mail program asking for an address never makes a book that is not there.
    if (request.action == Action::Query && !QFileInfo::exists(SharedData::databasePath()))
        return fail(QStringLiteral("لا يوجد دفتر هاتف بعد فى %1").arg(SharedData::databasePath()));
    if (const QString refused = openBook(bookPasswordFile); !refused.isEmpty())
        return fail(refused);
    switch (request.action) {
    case Action::Import:
        return importFile(request, passwordFile);
    case Action::Link:
        return linkDirectory(request, passwordFile);
    case Action::Sync:
        return syncBook(request, passwordFile);
    case Action::Query:
        return queryAddresses(request);
    default:
        return exportDirectory(request, passwordFile);
    }
}

int BatchCommands::importFile(const CommandLine::Request& request, const PasswordFile& passwordFile)
{
    QByteArray bytes;
    if (const QString refused = ContactFileReader::load(request.file, bytes); !refused.isEmpty())
        return fail(refused);
    ContactFileContents contents;
    if (!ContactFileReader::readGuessingColumns(request.file, bytes, contents)) {
        // A table with rows whose headers name no column a name could come from: say which to use.
        if (ContactFileReader::kindOf(request.file, bytes) == ContactFileReader::Kind::Csv && bytes.count('\n') > 1)
            return fail(QStringLiteral("لم يُعرف عمود الأسماء فى الملف %1: اجعل عنوانه \"الاسم\" , لم يتغير شىء")
                            .arg(request.file));
        return fail(QStringLiteral("الملف %1 ليس ملف جهات اتصال (vCard أو CSV) , لم يتغير شىء").arg(request.file));
    }

    QString name;
    if (const QString refused = directoryName(request.directory, name); !refused.isEmpty())
        return fail(refused);
    const Directory directory = findDirectory(name);
    if (const QString refused = refusedPassword(directory, name, passwordFile); !refused.isEmpty())
        return fail(refused);
    // A directory that is not there yet is made in the import's own transaction.
    SharedData::takeUpKeptOrder();
    const ImportSummary summary = directory.code.isEmpty()
                                      ? ContactImporter::intoNewDirectory(SharedData::connection(), contents, name)
                                      : ContactImporter::run(SharedData::connection(), contents, directory.code);
    if (!summary.error.isEmpty())
        return fail(QStringLiteral("تعذر الاستيراد , لم يتغير شىء: %1").arg(summary.error));
    SharedData::keepForNextSession();
    print(stdout, summary.text());
    if (!contents.leftOut.isEmpty())
        print(stderr, QStringLiteral("لم تُستورد هذه الأعمدة لأنه لم يُعرف أين تُحفظ: %1")
                          .arg(contents.leftOut.join(QStringLiteral("، "))));
    return 0;
}

int BatchCommands::exportDirectory(const CommandLine::Request& request, const PasswordFile& passwordFile)
{
    const Directory directory = findDirectory(request.directory.trimmed());
    if (directory.code.isEmpty())
        return fail(QStringLiteral("لا يوجد دليل باسم \"%1\"").arg(request.directory));
    if (const QString refused = refusedPassword(directory, request.directory, passwordFile); !refused.isEmpty())
        return fail(refused);
    // Never over the book, never through a symbolic link: refused before anything is read.
    if (const SafeFileWrite::Refusal refused = SafeFileWrite::refusal(request.file, SharedData::databasePath());
        refused != SafeFileWrite::Refusal::None)
        return fail(QStringLiteral("لا يصدر إلى %1: %2").arg(request.file, SafeFileWrite::reason(refused)));
    using Format = ContactExporter::Format;
    const Format formats[] = {Format::VCard4, Format::VCard3, Format::Csv, Format::GoogleCsv, Format::OutlookCsv};
    const Format format = formats[CommandLine::exportFormats().indexOf(request.format)];
    std::vector<MoreValues> more;
    const auto contacts = ContactExporter::directoryContacts(SharedData::connection(), directory.code, &more);
    // Written whole or not at all: an older file of that name survives a failed export.
    if (const DataResult saved = SafeFileWrite::write(request.file, ContactExporter::encode(contacts, format, more),
                                                      SharedData::databasePath());
        !saved)
        return fail(QStringLiteral("تعذر حفظ الملف %1: %2").arg(request.file, saved.error));
    print(stdout, QStringLiteral("تم تصدير %1 من جهات الاتصال إلى الملف %2").arg(contacts.size()).arg(request.file));
    return 0;
}

int BatchCommands::linkDirectory(const CommandLine::Request& request, const PasswordFile& passwordFile)
{
    // The directory is made when missing, as an import does.
    QString reason, name;
    if (const QString refused = directoryName(request.directory, name); !refused.isEmpty())
        return fail(refused);
    // A link changes no contact: the order the last session kept stays true, and is kept again.
    SharedData::takeUpKeptOrder();
    const Directory directory = findOrAddDirectory(name, reason);
    if (directory.code.isEmpty())
        return fail(reason);
    // A locked directory's contacts show only to whoever types its password: it never goes to a server.
    if (directory.isLocked())
        return fail(QStringLiteral("الدليل \"%1\" مقفل برمز حماية ولا يربط بخادم").arg(name));
    // A user name and password in the address are taken as the credentials, and never stored or shown.
    const QUrl typed(request.url);
    QUrl book = BookAddress::withoutCredentials(typed);
    const QString user = request.user.isEmpty() ? typed.userName() : request.user;
    if (BookAddress::insecure(book) && !request.allowInsecureHttp)
        return fail(QStringLiteral("العنوان %1 غير مشفر (http): كلمة المرور وجهات الاتصال ترسل مقروءة , استخدم https "
                                   "أو --allow-insecure-http")
                        .arg(book.toString()));
    if (!book.path().endsWith(QLatin1Char('/')))
        book.setPath(book.path() + QLatin1Char('/'));
    const QUrl server = book.adjusted(QUrl::RemovePath);
    // With the password the address is checked: a book is linked as it is; the server or the
    // user's home gets a new book named after the directory.
    const QString password = passwordFile.given ? passwordFile.password : typed.password();
    if (!password.isEmpty()) {
        CardDavClient client(user, password);
        AddressBookFinder finder(client);
        std::vector<AddressBook> books;
        if (!finder.find(book.toString(), books))
            return fail(finder.error());
        if (books.empty() || books.front().url != book) {
            AddressBook made;
            if (!finder.create(finder.home(), name, made))
                return fail(finder.error());
            book = made.url;
        }
    }
    SyncStore store(SharedData::connection());
    if (const std::optional<QString> other =
            store.otherDirectoryOf(BookAddress::isBookAt(BookAddress::key(book)), directory.code))
        return fail(QStringLiteral("دفتر العناوين %1 مربوط بالفعل بالدليل \"%2\"").arg(book.toString(), *other));
    SyncLink link{directory.code, server.toString(), user, book.toString(), QString()};
    if (DataResult saved = store.saveLink(link); !saved)
        return fail(QStringLiteral("تعذر حفظ الربط: %1").arg(saved.error));
    SharedData::keepForNextSession();
    print(stdout, QStringLiteral("تم ربط الدليل \"%1\" بدفتر العناوين %2").arg(name, book.toString()));
    return 0;
}

int BatchCommands::syncBook(const CommandLine::Request& request, const PasswordFile& passwordFile)
{
    std::vector<SyncLink> links = SyncStore(SharedData::connection()).links();
    if (links.empty())
        return fail(QStringLiteral("لا يوجد دليل مربوط بدفتر عناوين: استخدم --link"));
    if (!request.directory.isEmpty()) {
        const Directory named = findDirectory(request.directory.trimmed());
        std::erase_if(links, [&](const SyncLink& link) { return link.dir != named.code; });
        if (links.empty())
            return fail(QStringLiteral("الدليل \"%1\" غير مربوط بدفتر عناوين").arg(request.directory));
    }
    for (const SyncLink& link : links)
        if (BookAddress::insecure(QUrl(link.book)) && !request.allowInsecureHttp)
            return fail(QStringLiteral("العنوان %1 غير مشفر (http): استخدم --allow-insecure-http").arg(link.book));
    // One password file is one account's password: with several accounts, name the directory.
    if (passwordFile.given)
        for (const SyncLink& link : links)
            if (link.user != links.front().user ||
                !CardDavClient::sameOrigin(QUrl(link.book), QUrl(links.front().book)))
                return fail(QStringLiteral("الأدلة المربوطة على أكثر من حساب: حدد الدليل مع --sync ليستخدم ملف كلمة "
                                           "المرور لحسابه وحده"));
    SharedData::takeUpKeptOrder();
    const SyncSummary summary = BookSync::run(
        SharedData::connection(), links,
        [&](const SyncLink& link) {
            std::optional<QString> password;
            if (passwordFile.given)
                password = passwordFile.password;
            else if (QString stored; SecretStore::instance().readFor(link.user, link.book, stored))
                password = stored;
            return password;
        },
        [&](const SyncLink&) { return request.allowInsecureHttp; });
    SharedData::keepForNextSession();
    if (!summary.completed())
        return fail(QStringLiteral("لم تكتمل المزامنة: %1").arg(summary.cancelled ? summary.text() : summary.error()));
    print(stdout, summary.text());
    return 0;
}

int BatchCommands::queryAddresses(const CommandLine::Request& request)
{
    QList<AddressQuery::Line> lines;
    if (const DataResult read = AddressQuery::run(SharedData::connection(), request.query, lines); !read)
        return fail(QStringLiteral("تعذرت قراءة جهات الاتصال من قاعدة البيانات: %1").arg(read.error));
    // The first line is the message a mail program shows; it stays out of the tab-separated answer.
    QString answer;
    if (request.format != QLatin1String("tsv"))
        answer += AddressQuery::summary(lines.size()) + QLatin1Char('\n');
    for (const AddressQuery::Line& line : std::as_const(lines))
        answer += line.address + QLatin1Char('\t') + line.name + QLatin1Char('\t') + line.directory + QLatin1Char('\n');
    // Nothing found is no failure to explain on standard error (a mail program would paint it over
    // its screen): the first line says it, and the status.
    answer.chop(1);
    if (!answer.isEmpty())
        print(stdout, answer);
    return lines.isEmpty() ? 1 : 0;
}
