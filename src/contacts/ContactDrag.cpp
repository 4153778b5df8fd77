#include "ContactDrag.h"

#include "ContactExporter.h"
#include "ContactFields.h"
#include "OutsideText.h"

#include <QDir>
#include <QFile>
#include <QMimeData>
#include <QTemporaryDir>
#include <QUrl>

#include <memory>

namespace
{
constexpr int kLongestFileName = 60;
} // namespace

QString ContactDrag::folder()
{
    // Made 0700 and removed as the program ends; a program the card went to has copied it by then.
    static const std::unique_ptr<QTemporaryDir> session =
        std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/qavtelephone-XXXXXX"));
    return session->isValid() ? session->path() : QString();
}

QString ContactDrag::fileName(const QList<QStringList>& contacts)
{
    QString name = contacts.size() == 1 ? OutsideText::oneLine(contacts.constFirst().value(0)).simplified() : QString();
    // Never a path of its own, nor a hidden file.
    name.replace(QLatin1Char('/'), QLatin1Char('_')).replace(QLatin1Char('\\'), QLatin1Char('_'));
    while (name.startsWith(QLatin1Char('.')))
        name.remove(0, 1);
    name = name.left(kLongestFileName).trimmed();
    if (name.isEmpty())
        name = contacts.size() == 1 ? QStringLiteral("جهة اتصال") : QStringLiteral("جهات اتصال");
    return name + QStringLiteral(".vcf");
}

QMimeData* ContactDrag::make(const QList<QStringList>& contacts)
{
    std::vector<ContactFields> fields;
    for (const QStringList& columns : contacts)
        fields.push_back(ContactFields::fromRow(columns));
    const QByteArray card = ContactExporter::encode(fields, ContactExporter::Format::VCard4);
    auto* data = new QMimeData;
    data->setData(QStringLiteral("text/vcard"), card);
    // Each drag writes into a folder of its own, so a card an earlier drop handed out stays as it was.
    const QString base = folder();
    if (base.isEmpty())
        return data;
    static int drags = 0;
    const QString sub = QString::number(++drags);
    QDir session(base);
    if (!session.mkdir(sub, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner))
        return data;
    QFile file(session.filePath(sub + QLatin1Char('/') + fileName(contacts)));
    if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly, QFile::ReadOwner | QFile::WriteOwner) &&
        file.write(card) == card.size() && file.flush())
        data->setUrls({QUrl::fromLocalFile(file.fileName())});
    return data;
}
