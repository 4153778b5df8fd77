#include "ReportPreview.h"

#include "AppLook.h"
#include "DirectoryReport.h"
#include "FileChooser.h"
#include "MainForm.h"
#include "RecordListView.h"
#include "SkinFrame.h"

#include <QAction>
#include <QLineEdit>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QToolBar>

bool ReportPreview::savePdf(DirectoryReport& report, const QString& path)
{
    QPrinter pdf(QPrinter::HighResolution);
    pdf.setOutputFormat(QPrinter::PdfFormat);
    pdf.setOutputFileName(path);
    pdf.setDocName(report.directoryName);
    report.print(pdf);
    return true;
}

void ReportPreview::run(MainForm& form)
{
    if (form.ViewState != 1)
        return;
    DirectoryReport report;
    report.load(form.dir->text());
    // The name of the directory selected in the directory list, which is the one open.
    const QString selected = form.selectedDirectoryName();
    report.directoryName = selected.isEmpty() ? form.dirframe->caption() : selected;

    QPrinter printer(QPrinter::HighResolution);
    QPrintPreviewDialog dialog(&printer, &form);
    dialog.setWindowTitle(QStringLiteral("معاينة قبل الطباعة"));
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
                     [&report](QPrinter* target) { report.print(*target); });
    if (auto* bar = dialog.findChild<QToolBar*>()) {
        QAction* pdf = bar->addAction(AppLook::icon(QStringLiteral("print")), QStringLiteral("حفظ كملف PDF"));
        pdf->setObjectName(QStringLiteral("savepdf"));
        QObject::connect(pdf, &QAction::triggered, &dialog, [&dialog, &report] {
            QString path = FileChooser::chooseSaveFile(&dialog, QStringLiteral("حفظ كملف PDF"),
                                                       QStringLiteral("PDF|*.pdf"));
            if (path.isEmpty())
                return;
            if (!path.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive))
                path += QLatin1String(".pdf");
            savePdf(report, path);
        });
    }
    dialog.setWindowState(Qt::WindowMaximized);
    dialog.exec();
}
