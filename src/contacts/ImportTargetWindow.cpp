#include "ImportTargetWindow.h"

#include "Directory.h"
#include "DirectoryStore.h"
#include "MainForm.h"
#include "OutsideText.h"
#include "PassedOver.h"
#include "SharedData.h"
#include "SkinButton.h"
#include "SkinLabel.h"
#include "SkinTab.h"
#include "Units.h"

#include <QFileInfo>
#include <QListWidget>

namespace
{
// The background panel stands this much above the window's client area.
constexpr int kPanelTop = 360;
} // namespace

ImportTargetWindow::ImportTargetWindow(MainForm& main, const QString& path)
    : SmallDialog(QStringLiteral("استيراد جهات اتصال"), 6240, 3855), m_newName(directoryNameFor(path))
{
    // The file's name may carry anything: shown on one line, kept apart from the Arabic around it.
    const QString fileName = OutsideText::oneLine(QFileInfo(path).fileName());
    auto* label =
        addLabel(QStringLiteral("استيراد الملف \u2068%1\u2069 إلى :").arg(fileName), 240, 720 - kPanelTop, 5775, 495);
    label->setAccessibleName(label->text());
    choices = new QListWidget(SkinTab1);
    choices->setAccessibleName(QStringLiteral("استيراد إلى"));
    choices->setGeometry(Units::rect(240, 1200 - kPanelTop, 5775, 2235));
    choices->setLayoutDirection(Qt::RightToLeft);
    CmdImport = addButton(QStringLiteral("استيراد"), 1520, 3660 - kPanelTop, 1095, 375);
    cmdCancel = addButton(QStringLiteral("إلغاء الأمر"), 240, 3660 - kPanelTop, 1095, 375);
    connect(CmdImport, &QPushButton::clicked, this, &QDialog::accept);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(choices, &QListWidget::itemDoubleClicked, this, &QDialog::accept);

    // The open directory first (its password was given to open it), then every unlocked one.
    DirectoryStore store(SharedData::connection());
    QList<Directory> directories;
    PassedOver::note(store.unlocked(directories), Q_FUNC_INFO);
    if (main.viewState() == ViewState::Contacts && !main.currentDirectory().isEmpty()) {
        Directory open;
        if (store.find(main.currentDirectory(), open).ok && open.exists()) {
            directories.removeIf([&open](const Directory& d) { return d.code == open.code; });
            directories.prepend(open);
        }
    }
    for (const Directory& directory : directories) {
        choices->addItem(OutsideText::oneLine(directory.name));
        m_codes << directory.code;
    }
    choices->addItem(QStringLiteral("دليل جديد باسم الملف: \u2068%1\u2069").arg(m_newName));
    choices->setCurrentRow(0);
    choices->setFocus();
}

QString ImportTargetWindow::directoryCode() const
{
    const int row = choices->currentRow();
    return row >= 0 && row < m_codes.size() ? m_codes.at(row) : QString();
}

QString ImportTargetWindow::directoryNameFor(const QString& path)
{
    const QString name = OutsideText::oneLine(QFileInfo(path).completeBaseName()).simplified().left(40).trimmed();
    return name.isEmpty() ? QStringLiteral("جهات مستوردة") : name;
}
