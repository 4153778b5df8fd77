#include "InterchangeCommands.h"

#include "CardMail.h"
#include "ContactChanges.h"
#include "ContactDrag.h"
#include "ContactExporter.h"
#include "ContactFileReader.h"
#include "ContactImporter.h"
#include "ContactValueStore.h"
#include "CsvMappingDialog.h"
#include "CsvTable.h"
#include "DirPass.h"
#include "Directory.h"
#include "DirectoryStore.h"
#include "FileChooser.h"
#include "ImportTargetWindow.h"
#include "MainForm.h"
#include "MessageBox.h"
#include "PassedOver.h"
#include "SafeFileWrite.h"
#include "SharedData.h"
#include "SkinTextBox.h"
#include "TextDecoding.h"
#include "VCardReader.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QProgressDialog>

namespace
{

const QString kTitle = QStringLiteral("QAV Telephone");

void tell(const QString& text, int icon = MessageBox::Information)
{
    MessageBox::show(text, MessageBox::Arabic | icon, icon == MessageBox::Critical ? QStringLiteral("خطأ") : kTitle);
}

// The contacts of a CSV file, after the user confirmed its encoding and which column fills which
// field.
bool csvContacts(const QByteArray& bytes, ContactFileContents& contents)
{
    CsvMappingDialog dialog(bytes);
    if (dialog.rows().size() < 2) {
        tell(QStringLiteral("الملف لا يحتوى على جهات اتصال , لم يتغير شىء"), MessageBox::Critical);
        return false;
    }
    if (dialog.exec() != QDialog::Accepted)
        return false;
    contents = ContactFileReader::readCsv(dialog.rows(), dialog.mapping());
    return true;
}

// The file an import reads, as the user picks it.
QString chooseContactFile(MainForm& form)
{
    return FileChooser::chooseOpenFile(&form, QStringLiteral("استيراد جهات اتصال"),
                                       QStringLiteral("vCard / CSV|*.vcf *.vcard *.csv *.txt"));
}

} // namespace

void InterchangeCommands::install(MainForm& form)
{
    form.setCommand(MainCommand::ImportContacts, &InterchangeCommands::importContacts);
    form.setCommand(MainCommand::ImportIntoNewDirectory, &InterchangeCommands::importIntoNewDirectory);
    form.setCommand(MainCommand::ExportDirectory, &InterchangeCommands::exportDirectory);
    form.setFileImport(&InterchangeCommands::importFiles);
    form.setContactDrag([](MainForm&, const QList<QStringList>& contacts) { return ContactDrag::make(contacts); });
    form.addContactCommand(QStringLiteral("exportchosen"), QStringLiteral("تصدير المختار..."),
                           &InterchangeCommands::exportDirectory);
    form.addContactCommand(QStringLiteral("sendcard"), QStringLiteral("إرسال كبطاقة بالبريد..."), &CardMail::send);
}

void InterchangeCommands::importContacts(MainForm& form)
{
    QString code;
    if (form.viewState() == ViewState::Contacts) {
        code = form.currentDirectory();
    } else {
        if (form.selectedDirectoryCode().isEmpty())
            return;
        code = form.selectedDirectoryCode();
        // A locked directory takes contacts only from someone who knows its password.
        if (Directory::isLocked(form.selectedDirectoryPass())) {
            DirPass prompt(form);
            prompt.pass = form.selectedDirectoryPass();
            prompt.verifyOnly = true;
            if (prompt.exec() != QDialog::Accepted)
                return;
        }
    }
    const QString path = chooseContactFile(form);
    if (!path.isEmpty())
        importFile(form, path, code);
}

// The contacts a file holds, after the CSV questions; false (the user told why) when there are none to take.
bool InterchangeCommands::readFile(const QString& path, ContactFileContents& contents)
{
    QByteArray bytes;
    bool csv = false;
    return loadFile(path, bytes, csv) && decode(bytes, csv, contents);
}

// The file's bytes when it is a vCard or CSV file; otherwise the user is told why not.
bool InterchangeCommands::loadFile(const QString& path, QByteArray& bytes, bool& csv)
{
    if (const QString refused = ContactFileReader::load(path, bytes); !refused.isEmpty()) {
        tell(refused, MessageBox::Critical);
        return false;
    }
    const ContactFileReader::Kind kind = ContactFileReader::kindOf(path, bytes);
    if (kind == ContactFileReader::Kind::None) {
        tell(QStringLiteral("الملف ليس ملف جهات اتصال (vCard أو CSV) , لم يتغير شىء"), MessageBox::Critical);
        return false;
    }
    csv = kind == ContactFileReader::Kind::Csv;
    return true;
}

bool InterchangeCommands::decode(const QByteArray& bytes, bool csv, ContactFileContents& contents)
{
    if (csv)
        return csvContacts(bytes, contents);
    contents = ContactFileReader::readVCard(bytes);
    return true;
}

// A locked directory takes contacts only from someone who knows its password.
bool InterchangeCommands::mayImportInto(MainForm& form, const QString& code)
{
    Directory directory;
    if (!DirectoryStore(SharedData::connection()).find(code, directory).ok || !directory.exists()) {
        tell(QStringLiteral("الدليل غير موجود , لم يتغير شىء"), MessageBox::Critical);
        return false;
    }
    if (!directory.isLocked() || (form.viewState() == ViewState::Contacts && form.currentDirectory() == code))
        return true;
    DirPass prompt(form);
    prompt.pass = directory.pass;
    prompt.verifyOnly = true;
    return prompt.exec() == QDialog::Accepted;
}

// Runs the import with a progress window the user can cancel; tells what happened. True when
// contacts went in.
bool InterchangeCommands::runImport(MainForm& form, const ContactFileContents& contents, const QString& code,
                                    const QString& newDirectory)
{
    QProgressDialog progress(QStringLiteral("جارى الاستيراد ..."), QStringLiteral("إلغاء الأمر"), 0,
                             int(contents.contacts.size()), &form);
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(500);
    const auto step = [&progress](int done, int total) {
        progress.setMaximum(total);
        progress.setValue(done);
        QApplication::processEvents();
        return !progress.wasCanceled();
    };
    const ImportSummary summary =
        newDirectory.isEmpty()
            ? ContactImporter::run(SharedData::connection(), contents, code, step)
            : ContactImporter::intoNewDirectory(SharedData::connection(), contents, newDirectory, step);
    progress.reset();
    if (summary.cancelled) {
        tell(QStringLiteral("تم إلغاء الاستيراد , لم يتغير شىء"));
        return false;
    }
    if (!summary.error.isEmpty()) {
        tell(QStringLiteral("تعذر الاستيراد , لم يتغير شىء: ") + summary.error, MessageBox::Critical);
        return false;
    }
    if (!summary.written.empty())
        form.undoHistory().record(
            ContactChanges::imported(summary.written, summary.directory, newDirectory, summary.writtenMore));
    // Into the open directory its list follows; anywhere else the counts and lists all do (the
    // book's total, a new directory).
    if (newDirectory.isEmpty() && form.viewState() == ViewState::Contacts && form.currentDirectory() == code)
        form.refreshAfterWrite(BookChange::Contacts);
    else
        form.refreshAfterWrite(BookChange::Anything);
    tell(summary.text());
    return true;
}

void InterchangeCommands::importFile(MainForm& form, const QString& path, const QString& code)
{
    ContactFileContents contents;
    if (readFile(path, contents))
        runImport(form, contents, code, QString());
}

void InterchangeCommands::importIntoNewDirectory(MainForm& form)
{
    const QString path = chooseContactFile(form);
    ContactFileContents contents;
    if (path.isEmpty() || !readFile(path, contents))
        return;
    runImport(form, contents, QString(), ImportTargetWindow::directoryNameFor(path));
}

void InterchangeCommands::importFiles(MainForm& form, const QStringList& paths, const QString& code)
{
    if (!code.isEmpty() && !mayImportInto(form, code))
        return;
    for (const QString& path : paths) {
        // A file that is not contacts is refused before any question about it.
        QByteArray bytes;
        bool csv = false;
        if (!loadFile(path, bytes, csv))
            continue;
        QString into = code;
        QString newDirectory;
        if (into.isEmpty()) {
            ImportTargetWindow where(form, path);
            if (where.exec() != QDialog::Accepted)
                continue;
            into = where.directoryCode();
            if (into.isEmpty())
                newDirectory = where.newDirectoryName();
        }
        ContactFileContents contents;
        if (decode(bytes, csv, contents))
            runImport(form, contents, into, newDirectory);
    }
}

std::vector<ContactFields> InterchangeCommands::exportedContacts(MainForm& form, std::vector<MoreValues>& more)
{
    // The contacts chosen together, or else the whole open directory.
    const QList<QStringList> chosen = form.chosenContacts();
    if (chosen.size() <= 1)
        return ContactExporter::directoryContacts(SharedData::connection(), form.currentDirectory(), &more);
    std::vector<ContactFields> contacts;
    more.clear();
    ContactValueStore values(SharedData::connection());
    for (const QStringList& columns : chosen) {
        contacts.push_back(ContactFields::fromRow(columns));
        MoreValues its;
        PassedOver::note(values.readByName(contacts.back().name, its), Q_FUNC_INFO);
        more.push_back(its);
    }
    return contacts;
}

void InterchangeCommands::exportDirectory(MainForm& form)
{
    if (form.viewState() != ViewState::Contacts)
        return;
    const QString path = FileChooser::chooseSaveFile(
        &form, QStringLiteral("تصدير الدليل"),
        QStringLiteral("vCard 4.0|*.vcf|vCard 3.0|*.vcf|CSV|*.csv|CSV (Google)|*.csv|CSV (Outlook)|*.csv"));
    if (path.isEmpty())
        return;
    // The layout chosen in the dialog; a name ending in .csv with a vCard entry chosen means CSV.
    using Format = ContactExporter::Format;
    const Format byEntry[] = {Format::VCard4, Format::VCard3, Format::Csv, Format::GoogleCsv, Format::OutlookCsv};
    Format format = byEntry[std::clamp(FileChooser::lastSelectedFilter(), 0, 4)];
    QString target = path;
    if (format <= Format::VCard3 && path.endsWith(QLatin1String(".csv"), Qt::CaseInsensitive))
        format = Format::Csv;
    if (QFileInfo(target).suffix().isEmpty())
        target += format <= Format::VCard3 ? QStringLiteral(".vcf") : QStringLiteral(".csv");
    // Never over the book, never through a symbolic link.
    if (refusesSaveTarget(target))
        return;
    std::vector<MoreValues> more;
    const auto contacts = exportedContacts(form, more);
    // Written whole or not at all: an older file of that name survives a failed export.
    if (const DataResult saved =
            SafeFileWrite::write(target, ContactExporter::encode(contacts, format, more), SharedData::databasePath());
        !saved) {
        tell(QStringLiteral("تعذر حفظ الملف: ") + saved.error, MessageBox::Critical);
        return;
    }
    // The path reads left to right, kept apart from the sentence around it.
    tell(QStringLiteral("تم تصدير %1 من جهات الاتصال إلى الملف\n\u2066%2\u2069")
             .arg(QString::number(contacts.size()), QDir::toNativeSeparators(target)));
}

bool InterchangeCommands::refusesSaveTarget(const QString& path)
{
    const SafeFileWrite::Refusal refused = SafeFileWrite::refusal(path, SharedData::databasePath());
    if (refused == SafeFileWrite::Refusal::Book)
        tell(QStringLiteral("لا يمكن الحفظ فى ملف دفتر الهاتف نفسه , اختر اسما آخر"), MessageBox::Critical);
    else if (refused != SafeFileWrite::Refusal::None)
        tell(QStringLiteral("لم يتم الحفظ: ") + SafeFileWrite::reason(refused), MessageBox::Critical);
    return refused != SafeFileWrite::Refusal::None;
}
