#include "ReportPreview.h"

#include "AppLook.h"
#include "DirectoryReport.h"
#include "FileChooser.h"
#include "MainForm.h"
#include "MessageBox.h"
#include "SafeFileWrite.h"
#include "SharedData.h"

#include <QAction>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QScreen>
#include <QSignalBlocker>
#include <QTemporaryFile>
#include <QToolBar>

bool ReportPreview::savePdf(DirectoryReport& report, const QString& path)
{
    // Written beside the target and put in its place only once complete: a folder that cannot
    // be written or a disk that fills up never leaves half a file, nor destroys an older one.
    QString error;
    const QString staging = SafeFileWrite::temporaryIn(QFileInfo(path).absolutePath(), error);
    if (staging.isEmpty())
        return false;
    bool printed = false;
    {
        QPrinter pdf(QPrinter::HighResolution);
        pdf.setOutputFormat(QPrinter::PdfFormat);
        pdf.setOutputFileName(staging);
        pdf.setDocName(report.directoryName);
        printed = report.print(pdf);
    }
    if (!printed || !endsLikeAPdf(staging)) {
        QFile::remove(staging);
        return false;
    }
    return SafeFileWrite::putInPlace(staging, path, SharedData::databasePath()).ok;
}

bool ReportPreview::endsLikeAPdf(const QString& path)
{
    // The PDF writer reports no write errors; a complete file ends with its trailer.
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() < 64)
        return false;
    file.seek(file.size() - 64);
    return file.read(64).contains("%%EOF");
}

void ReportPreview::fitToScreen(QPrintPreviewDialog& dialog, const QWidget& over)
{
    // Sized to the screen itself: a window manager may ignore the wish to be maximised and
    // leave the preview a strip with the page at a few per cent.
    QScreen* screen = over.screen() ? over.screen() : QGuiApplication::primaryScreen();
    if (screen)
        dialog.setGeometry(screen->availableGeometry());
    dialog.setWindowState(Qt::WindowMaximized);
    // The page as wide as the window, which the toolbar shows as its chosen zoom.
    if (auto* fitWidth = dialog.findChild<QAction*>(QStringLiteral("fitWidthAction")))
        fitWidth->trigger();
    else if (auto* preview = dialog.findChild<QPrintPreviewWidget*>())
        preview->fitToWidth();
}

void ReportPreview::run(MainForm& form)
{
    if (form.viewState() != ViewState::Contacts)
        return;
    DirectoryReport report;
    report.load(form.currentDirectory());
    // The name of the directory selected in the directory list, which is the one open.
    const QString selected = form.selectedDirectoryName();
    report.directoryName = selected.isEmpty() ? form.openDirectoryName() : selected;

    QPrinter printer(QPrinter::HighResolution);
    QPrintPreviewDialog dialog(&printer, &form);
    dialog.setWindowTitle(QStringLiteral("معاينة قبل الطباعة"));
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
                     [&report](QPrinter* target) { report.print(*target); });
    if (auto* bar = dialog.findChild<QToolBar*>()) {
        // Off unless asked for: each contact's other numbers, e-mails and addresses under it.
        QAction* more = bar->addAction(QStringLiteral("طباعة القيم الأخرى"));
        more->setObjectName(QStringLiteral("withmore"));
        more->setCheckable(true);
        QObject::connect(more, &QAction::toggled, &dialog, [&dialog, &report, more](bool on) {
            if (!report.printMoreValues(on)) {
                const QSignalBlocker quiet(more);
                more->setChecked(false);
                MessageBox::show(QStringLiteral("تعذر قراءة القيم الأخرى، فلن تطبع."),
                                 MessageBox::RtlReading | MessageBox::Critical, QStringLiteral("خطأ"));
            }
            if (auto* preview = dialog.findChild<QPrintPreviewWidget*>())
                preview->updatePreview();
        });
        QAction* pdf = bar->addAction(AppLook::icon(QStringLiteral("print")), QStringLiteral("حفظ كملف PDF"));
        pdf->setObjectName(QStringLiteral("savepdf"));
        QObject::connect(pdf, &QAction::triggered, &dialog, [&dialog, &report] {
            // The chooser adds ".pdf" itself, before it asks whether to replace a file.
            QString path = FileChooser::chooseSaveFile(&dialog, QStringLiteral("حفظ كملف PDF"),
                                                       QStringLiteral("PDF|*.pdf"), QStringLiteral("pdf"));
            if (path.isEmpty())
                return;
            if (!path.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive))
                path += QLatin1String(".pdf");
            if (const SafeFileWrite::Refusal refused = SafeFileWrite::refusal(path, SharedData::databasePath());
                refused != SafeFileWrite::Refusal::None)
                MessageBox::show(QStringLiteral("لم يتم حفظ الملف: ") + SafeFileWrite::reason(refused),
                                 MessageBox::RtlReading | MessageBox::Critical, QStringLiteral("خطأ"));
            else if (!savePdf(report, path))
                MessageBox::show(
                    QStringLiteral("لم يتم حفظ الملف: لا يمكن الكتابة فى هذا المكان أو لا توجد مساحة كافية "
                                   "على القرص"),
                    MessageBox::RtlReading | MessageBox::Critical, QStringLiteral("خطأ"));
        });
    }
    fitToScreen(dialog, form);
    dialog.exec();
}
