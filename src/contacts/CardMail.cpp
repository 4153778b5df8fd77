#include "CardMail.h"

#include "ContactExporter.h"
#include "FileChooser.h"
#include "InterchangeCommands.h"
#include "MainForm.h"
#include "MessageBox.h"
#include "OutsideText.h"
#include "SafeFileWrite.h"
#include "SharedData.h"

#include <QDateTime>
#include <QDesktopServices>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>

namespace
{

const QString kTitle = QStringLiteral("QAV Telephone");
const QString kFolderPrefix = QStringLiteral("qav-card-");
// How long the composer may take to say whether it took the file. A mail program that was not
// running yet may keep xdg-email waiting until it is closed: by then the message is open.
constexpr int kComposerWaitMs = 20000;

void tell(const QString& text, int icon = MessageBox::Information)
{
    MessageBox::show(text, MessageBox::Arabic | icon, icon == MessageBox::Critical ? QStringLiteral("خطأ") : kTitle);
}

// Where the attachment waits for the composer: the user's own runtime folder (private, emptied
// at logout). Folders of earlier sends that are a day old are gone over first: their messages
// were sent or dropped long ago.
QString attachmentRoot()
{
    const QString root = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    QString folder = root.isEmpty() ? QDir::tempPath() : root;
    const QDateTime dayAgo = QDateTime::currentDateTime().addDays(-1);
    const QFileInfoList earlier = QDir(folder).entryInfoList({kFolderPrefix + QLatin1Char('*')},
                                                             QDir::Dirs | QDir::NoDotAndDotDot | QDir::NoSymLinks);
    for (const QFileInfo& old : earlier)
        if (old.isDir() && !old.isSymLink() && old.lastModified() < dayAgo)
            QDir(old.absoluteFilePath()).removeRecursively();
    return folder;
}

} // namespace

void CardMail::send(MainForm& form)
{
    const std::vector<ContactFields> contacts = chosen(form);
    if (contacts.empty())
        return;
    const QByteArray card = ContactExporter::encode(contacts, ContactExporter::Format::VCard3);
    const QString name = fileName(contacts);

    // A folder only its owner may enter (mkdtemp makes it 0700), the card in it readable by
    // its owner only.
    QTemporaryDir folder(QDir(attachmentRoot()).filePath(kFolderPrefix + QStringLiteral("XXXXXX")));
    const QString file = folder.isValid() ? folder.filePath(name) : QString();
    if (!file.isEmpty() && SafeFileWrite::write(file, card, SharedData::databasePath()) && composeWith(file)) {
        // The composer reads the file when the message goes: it stays until a later send clears it.
        folder.setAutoRemove(false);
        return;
    }
    saveInstead(form, card, name);
}

std::vector<ContactFields> CardMail::chosen(MainForm& form)
{
    std::vector<ContactFields> contacts;
    // The list keeps what it showed after its directory was closed: only an open one counts.
    if (form.viewState() != ViewState::Contacts)
        return contacts;
    bool leftOut = false;
    for (const QStringList& columns : form.chosenContacts()) {
        // The list's columns: the nine fields, then the directory's code.
        if (form.directoryClosed(columns.value(9)))
            leftOut = true;
        else
            contacts.push_back(ContactFields::fromRow(columns));
    }
    if (leftOut && contacts.empty())
        tell(QStringLiteral("الدليل مغلق بكلمة مرور , افتحه أولا لإرسال جهات اتصاله"), MessageBox::Critical);
    return contacts;
}

QString CardMail::fileName(const std::vector<ContactFields>& contacts)
{
    QString name;
    if (contacts.size() == 1) {
        // A name is the user's text, or came from a file or a server: nothing in it may reach
        // into another folder, hide an extension or start an option.
        for (const QChar c : OutsideText::oneLine(contacts.front().name))
            name += c.isLetterOrNumber() || c.isMark() || c == QLatin1Char(' ') || c == QLatin1Char('-') ? c : u'_';
        name = name.simplified().left(60).trimmed();
        if (name.startsWith(QLatin1Char('-')))
            name.replace(0, 1, QLatin1Char('_'));
    }
    if (name.isEmpty())
        name = contacts.size() == 1 ? QStringLiteral("جهة اتصال") : QStringLiteral("جهات اتصال");
    return name + QStringLiteral(".vcf");
}

bool CardMail::composeWith(const QString& file)
{
    const QString program = QStandardPaths::findExecutable(QStringLiteral("xdg-email"));
    if (program.isEmpty())
        return false;
    // Its own arguments, never a shell's line: a name in the path stays one argument.
    auto* process = new QProcess(qApp);
    process->setProgram(program);
    process->setArguments({QStringLiteral("--attach"), file});
    process->setStandardInputFile(QProcess::nullDevice());
    QEventLoop waiting;
    QObject::connect(process, &QProcess::finished, &waiting, &QEventLoop::quit);
    QObject::connect(process, &QProcess::errorOccurred, &waiting, &QEventLoop::quit);
    QTimer::singleShot(kComposerWaitMs, &waiting, &QEventLoop::quit);
    QGuiApplication::setOverrideCursor(Qt::BusyCursor);
    process->start();
    if (process->state() != QProcess::NotRunning)
        waiting.exec(QEventLoop::ExcludeUserInputEvents);
    QGuiApplication::restoreOverrideCursor();
    if (process->state() != QProcess::NotRunning) {
        // Still running: the mail program has the message open and waits for the user.
        QObject::connect(process, &QProcess::finished, process, &QObject::deleteLater);
        return true;
    }
    const bool taken = process->error() == QProcess::UnknownError && process->exitStatus() == QProcess::NormalExit &&
                       process->exitCode() == 0;
    process->deleteLater();
    return taken;
}

void CardMail::saveInstead(MainForm& form, const QByteArray& card, const QString& name)
{
    QString path = FileChooser::chooseSaveFile(
        &form, QStringLiteral("لم يفتح برنامج البريد: احفظ البطاقة «%1» لترفقها برسالتك").arg(name),
        QStringLiteral("vCard|*.vcf"), QStringLiteral("vcf"));
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".vcf");
    if (InterchangeCommands::refusesSaveTarget(path))
        return;
    if (const DataResult saved = SafeFileWrite::write(path, card, SharedData::databasePath()); !saved) {
        tell(QStringLiteral("تعذر حفظ الملف: ") + saved.error, MessageBox::Critical);
        return;
    }
    // The folder opens with the card in it, ready to be dragged into a message.
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(folder)))
        tell(QStringLiteral("تم حفظ البطاقة فى الملف\n\u2066%1\u2069").arg(QDir::toNativeSeparators(path)));
}
