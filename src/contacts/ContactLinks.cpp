#include "ContactLinks.h"

#include "ContactFields.h"
#include "MessageBox.h"
#include "MsgBoxHook.h"
#include "OutsideText.h"
#include "ProgramClipboard.h"

#include <QDesktopServices>
#include <QMenu>

namespace
{
bool g_toldNoCall = false;
bool g_toldNoMail = false;

// The numbers in the order they are offered: the mobile first, the fax last.
constexpr QString ContactFields::*kOffered[] = {&ContactFields::mobil, &ContactFields::hometel, &ContactFields::jobtel,
                                                &ContactFields::fax};
static_assert(std::size(kOffered) == ContactFields::countOf(ContactField::Kind::Number));

// The list's column of a field: the list holds the fields in the table's order.
int listColumn(QString ContactFields::*member)
{
    for (int column = 0; column < ContactFields::kCount; ++column)
        if (ContactFields::kFields[size_t(column)].member == member)
            return column;
    return -1;
}
} // namespace

QUrl ContactLinks::telUrl(const QString& number)
{
    QString dialled;
    for (const QChar c : number) {
        if (c.digitValue() >= 0) // Arabic-Indic digits dial as the same digits
            dialled += QChar(u'0' + c.digitValue());
        else if (c == QLatin1Char('+') || c == QLatin1Char('*') || c == QLatin1Char('#'))
            dialled += c;
    }
    // Built, not pasted together: a '#' (a code's end) is part of the number, not a fragment.
    QUrl url;
    url.setScheme(QStringLiteral("tel"));
    url.setPath(dialled, QUrl::DecodedMode);
    return url;
}

QUrl ContactLinks::mailUrl(const QString& address)
{
    const QString trimmed = address.trimmed();
    // One address and nothing else: a '?' or '&' would add headers (cc, bcc, body) or an
    // attachment, a ',' or ';' more recipients; such a value opens nothing.
    static const QString kNotInAnAddress = QStringLiteral("?&,;<>\"()[]\\:%/ ");
    if (trimmed.count(QLatin1Char('@')) != 1 || trimmed.startsWith(QLatin1Char('@')) ||
        trimmed.endsWith(QLatin1Char('@')))
        return QUrl();
    for (const QChar c : trimmed)
        if (kNotInAnAddress.contains(c) || c.category() == QChar::Other_Control ||
            c.category() == QChar::Other_Format || c.isSpace())
            return QUrl();
    QUrl url;
    url.setScheme(QStringLiteral("mailto"));
    url.setPath(trimmed, QUrl::DecodedMode);
    return url;
}

void ContactLinks::open(QWidget* parent, const QUrl& url, bool& told, const QString& noHandler)
{
    if (QDesktopServices::openUrl(url) || told)
        return;
    told = true;
    SetMsgBoxHook(parent);
    MessageBox::show(noHandler, MessageBox::Arabic | MessageBox::Information, QStringLiteral("QAV Telephone"));
    RemoveMsgBoxHook();
}

void ContactLinks::call(QWidget* parent, const QString& number)
{
    if (telUrl(number).path().isEmpty())
        return;
    open(parent, telUrl(number), g_toldNoCall,
         QStringLiteral("لا يوجد على هذا الجهاز برنامج للاتصال بالأرقام (tel:). يمكنك نسخ الرقم بدلا من ذلك"));
}

void ContactLinks::mail(QWidget* parent, const QString& address)
{
    if (address.trimmed().isEmpty())
        return;
    const QUrl url = mailUrl(address);
    if (url.isEmpty()) {
        SetMsgBoxHook(parent);
        MessageBox::show(QStringLiteral("«%1» ليس عنوان بريد واحدا صحيحا , لم يفتح برنامج البريد")
                             .arg(OutsideText::oneLine(address.trimmed())),
                         MessageBox::Arabic | MessageBox::Information, QStringLiteral("QAV Telephone"));
        RemoveMsgBoxHook();
        return;
    }
    open(parent, url, g_toldNoMail, QStringLiteral("لا يوجد على هذا الجهاز برنامج لإرسال البريد (mailto:)"));
}

void ContactLinks::copyNumber(const QString& number)
{
    ProgramClipboard::setText(number.trimmed());
}

QList<QPair<QString, QString>> ContactLinks::numbers(const QStringList& columns)
{
    QList<QPair<QString, QString>> found;
    for (const auto member : kOffered)
        if (const QString number = columns.value(listColumn(member)).trimmed(); !number.isEmpty())
            found.append({ContactFields::caption(member), number});
    return found;
}

void ContactLinks::fillCalls(QMenu* menu, const QStringList& columns, QWidget* parent)
{
    for (const auto& [kind, number] : numbers(columns))
        QObject::connect(menu->addAction(kind + QStringLiteral(": ") + number), &QAction::triggered, menu,
                         [parent, number = number] { call(parent, number); });
    menu->setEnabled(!menu->isEmpty());
}

void ContactLinks::fillMail(QMenu* menu, const QStringList& columns, QWidget* parent)
{
    const QString address = columns.value(6).trimmed();
    if (!address.isEmpty())
        QObject::connect(menu->addAction(address), &QAction::triggered, menu,
                         [parent, address] { mail(parent, address); });
    menu->setEnabled(!menu->isEmpty());
}

void ContactLinks::fillCopies(QMenu* menu, const QStringList& columns)
{
    for (const auto& [kind, number] : numbers(columns))
        QObject::connect(menu->addAction(kind + QStringLiteral(": ") + number), &QAction::triggered, menu,
                         [number = number] { copyNumber(number); });
    menu->setEnabled(!menu->isEmpty());
}
