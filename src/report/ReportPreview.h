#pragma once

#include <QString>

class DirectoryReport;
class MainForm;
class QPrintPreviewDialog;
class QWidget;

// The print command: the open directory's report in a preview window ("معاينة قبل الطباعة"),
// from which it is printed or saved as PDF.
class ReportPreview
{
public:
    static void run(MainForm& form);
    // False, with nothing left behind, when the file could not be written whole.
    static bool savePdf(DirectoryReport& report, const QString& path);
    // The preview takes the screen the window over stands on, the page fitted to its width.
    static void fitToScreen(QPrintPreviewDialog& dialog, const QWidget& over);

private:
    static bool endsLikeAPdf(const QString& path);
};
