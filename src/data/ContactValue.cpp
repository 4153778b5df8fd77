#include "ContactValue.h"

namespace
{
constexpr int kAddressParts = 7;
} // namespace

QString ContactValue::kindName(Kind kind)
{
    switch (kind) {
    case Kind::Phone:
        return QStringLiteral("tel");
    case Kind::Email:
        return QStringLiteral("email");
    case Kind::Address:
        return QStringLiteral("adr");
    case Kind::Web:
        return QStringLiteral("url");
    case Kind::Date:
        return QStringLiteral("date");
    case Kind::Photo:
        break;
    }
    return QStringLiteral("photo");
}

std::optional<ContactValue::Kind> ContactValue::kindNamed(const QString& name)
{
    for (Kind kind : {Kind::Phone, Kind::Email, Kind::Address, Kind::Web, Kind::Date, Kind::Photo})
        if (kindName(kind) == name)
            return kind;
    return std::nullopt;
}

QString ContactValue::joinParts(const QStringList& parts)
{
    QStringList escaped;
    for (int i = 0; i < kAddressParts; ++i) {
        QString part = parts.value(i);
        part.replace(QLatin1Char('\\'), QStringLiteral("\\\\")).replace(QLatin1Char(';'), QStringLiteral("\\;"));
        escaped << part;
    }
    return escaped.join(QLatin1Char(';'));
}

QStringList ContactValue::parts() const
{
    QStringList out;
    QString current;
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] == QLatin1Char('\\') && i + 1 < value.size()) {
            current += value[++i];
        } else if (value[i] == QLatin1Char(';')) {
            out << current;
            current.clear();
        } else {
            current += value[i];
        }
    }
    out << current;
    while (out.size() < kAddressParts)
        out << QString();
    return out;
}

QString ContactValue::oneLine() const
{
    const QStringList all = parts();
    QStringList shown;
    for (int i : {2, 1, 0, 3, 4, 5, 6})
        if (const QString part = all.value(i).simplified(); !part.isEmpty())
            shown << part;
    return shown.join(QStringLiteral(", "));
}
