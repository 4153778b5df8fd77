#include "InterchangeCommands.h"

#include "ContactImporter.h"
#include "CsvMappingDialog.h"
#include "CsvTable.h"
#include "DirPass.h"
#include "FileChooser.h"
#include "MainForm.h"
#include "MessageBox.h"
#include "PassedOver.h"
#include "SharedData.h"
#include "SkinTextBox.h"
#include "TextDecoding.h"
#include "VCardReader.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QProgressDialog>
#include <QSaveFile>

namespace {

const QString kTitle = QStringLiteral("QAV Telephone");

void tell(const QString& text, int icon = MessageBox::Information)
{
    MessageBox::show(text, MessageBox::Arabic | icon, icon == MessageBox::Critical ? QStringLiteral("خطأ") : kTitle);
}

QString summaryText(const ImportSummary& summary)
{
    QString text = QStringLiteral("تم استيراد %1 من جهات الاتصال.").arg(summary.added);
    if (!summary.skipped.isEmpty()) {
        text += QStringLiteral("\nلم يتم استيراد %1 :").arg(summary.skipped.size());
        int shown = 0;
        for (const auto& [name, reason] : summary.skipped) {
            if (++shown > 20) {
                text += QStringLiteral("\n...");
                break;
            }
            text += QStringLiteral("\n- ") + (name.isEmpty() ? QStringLiteral("(بدون اسم)") : name) +
                    QStringLiteral(" : ") + reason;
        }
    }
    return text;
}

// The contacts of a CSV file, after the user confirmed which column fills which field.
bool csvContacts(const QByteArray& bytes, std::vector<ContactFields>& contacts)
{
    const QList<QStringList> rows = CsvTable::read(bytes);
    if (rows.size() < 2)
        return false;
    CsvMapping mapping = CsvMapping::guess(rows.first());
    CsvMappingDialog dialog(rows.first(), rows.value(1), mapping);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    mapping = dialog.mapping();
    for (int i = 1; i < rows.size(); ++i)
        contacts.push_back(mapping.contact(rows[i]));
    return true;
}

} // namespace

void InterchangeCommands::importContacts(MainForm& form)
{
    QString code;
    if (form.viewState() == ViewState::Contacts) {
        code = form.currentDirectory();
    } else {
        if (!form.hasSelectedDirectory() || form.selectedDirectoryCode().isEmpty())
            return;
        code = form.selectedDirectoryCode();
        // A locked directory takes contacts only from someone who knows its password.
        if (form.selectedDirectoryPass() != QLatin1String("0")) {
            DirPass prompt(form);
            prompt.pass = form.selectedDirectoryPass();
            prompt.verifyOnly = true;
            if (prompt.exec() != QDialog::Accepted)
                return;
        }
    }
    const QString path = FileChooser::chooseOpenFile(&form, QStringLiteral("استيراد جهات اتصال"),
                                                     QStringLiteral("vCard / CSV|*.vcf *.vcard *.csv *.txt"));
    if (!path.isEmpty())
        importFile(form, path, code);
}

void InterchangeCommands::importFile(MainForm& form, const QString& path, const QString& code)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        tell(QStringLiteral("تعذر فتح الملف: ") + file.errorString(), MessageBox::Critical);
        return;
    }
    const QByteArray bytes = file.readAll();
    std::vector<ContactFields> contacts;
    const bool csv = path.endsWith(QLatin1String(".csv"), Qt::CaseInsensitive) ||
                     path.endsWith(QLatin1String(".txt"), Qt::CaseInsensitive);
    if (TextDecoding::looksBinary(bytes)) {
        tell(QStringLiteral("الملف ليس ملف جهات اتصال (vCard أو CSV) , لم يتغير شىء"), MessageBox::Critical);
        return;
    }
    if (VCardReader::looksLikeVCard(bytes)) {
        VCardReader reader;
        reader.read(bytes);
        contacts = reader.contacts();
    } else if (csv) {
        if (!csvContacts(bytes, contacts))
            return;
    } else {
        tell(QStringLiteral("الملف ليس ملف جهات اتصال (vCard أو CSV) , لم يتغير شىء"), MessageBox::Critical);
        return;
    }

    QProgressDialog progress(QStringLiteral("جارى الاستيراد ..."), QStringLiteral("إلغاء الأمر"), 0,
                             int(contacts.size()), &form);
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(500);
    const ImportSummary summary =
        ContactImporter::run(SharedData::connection(), contacts, code, [&progress](int done, int total) {
            progress.setMaximum(total);
            progress.setValue(done);
            QApplication::processEvents();
            return !progress.wasCanceled();
        });
    progress.reset();
    if (summary.cancelled) {
        tell(QStringLiteral("تم إلغاء الاستيراد , لم يتغير شىء"));
        return;
    }
    if (!summary.error.isEmpty()) {
        tell(QStringLiteral("تعذر الاستيراد , لم يتغير شىء: ") + summary.error, MessageBox::Critical);
        return;
    }
    if (form.viewState() == ViewState::Contacts && form.currentDirectory() == code)
        form.refreshAfterWrite(BookChange::Contacts);
    tell(summaryText(summary));
}

void InterchangeCommands::exportDirectory(MainForm& form)
{
    if (form.viewState() != ViewState::Contacts)
        return;
    const QString path = FileChooser::chooseSaveFile(
        &form, QStringLiteral("تصدير الدليل"),
        QStringLiteral("vCard 4.0|*.vcf|vCard 3.0|*.vcf|CSV|*.csv"));
    if (path.isEmpty())
        return;
    const int chosen = FileChooser::lastSelectedFilter();
    ContactExporter::Format format = ContactExporter::Format::VCard4;
    QString target = path;
    if (chosen == 2 || path.endsWith(QLatin1String(".csv"), Qt::CaseInsensitive))
        format = ContactExporter::Format::Csv;
    else if (chosen == 1)
        format = ContactExporter::Format::VCard3;
    if (QFileInfo(target).suffix().isEmpty())
        target += format == ContactExporter::Format::Csv ? QStringLiteral(".csv") : QStringLiteral(".vcf");
    const auto contacts = ContactExporter::directoryContacts(SharedData::connection(), form.currentDirectory());
    // Written whole or not at all: an older file of that name survives a failed export.
    QSaveFile file(target);
    if (!file.open(QIODevice::WriteOnly) || file.write(ContactExporter::encode(contacts, format)) < 0 ||
        !file.commit()) {
        tell(QStringLiteral("تعذر حفظ الملف: ") + file.errorString(), MessageBox::Critical);
        return;
    }
    tell(QStringLiteral("تم تصدير %1 من جهات الاتصال إلى الملف").arg(contacts.size()));
}
