#include "Multistatus.h"

#include "OutsideText.h"

#include <QXmlStreamReader>

namespace
{

const QString kDav = QStringLiteral("DAV:");
const QString kCardDav = QStringLiteral("urn:ietf:params:xml:ns:carddav");

// "HTTP/1.1 404 Not Found" → 404.
int statusCode(const QString& line)
{
    const QStringList parts = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    return parts.size() >= 2 ? parts[1].toInt() : 0;
}

// QXmlStreamReader compares each attribute of an element with every other one: an element with
// millions of them would take many minutes. They are counted first, outside comments and CDATA
// sections (whose text may hold anything) and outside quoted values.
bool attributesBounded(const QByteArray& bytes)
{
    const QByteArrayView xml(bytes);
    qsizetype at = 0;
    while (at < xml.size()) {
        const qsizetype open = xml.indexOf('<', at);
        if (open < 0)
            return true;
        const QByteArrayView rest = xml.sliced(open);
        if (rest.startsWith("<![CDATA[") || rest.startsWith("<!--")) {
            const bool cdata = rest.startsWith("<![CDATA[");
            const qsizetype end = xml.indexOf(cdata ? QByteArrayView("]]>") : QByteArrayView("-->"), open);
            if (end < 0)
                return true; // the reader finds it unclosed
            at = end + 3;
            continue;
        }
        int attributes = 0;
        char quote = 0;
        qsizetype close = open + 1;
        for (; close < xml.size(); ++close) {
            const char c = xml[close];
            if (quote) {
                if (c == quote)
                    quote = 0;
            } else if (c == '"' || c == '\'') {
                quote = c;
            } else if (c == '=') {
                if (++attributes > Multistatus::kMaxAttributes)
                    return false;
            } else if (c == '>') {
                break;
            }
        }
        at = close + 1;
    }
    return true;
}

void refuseTooDeep(QXmlStreamReader& xml)
{
    xml.raiseError(QStringLiteral("nested too deeply"));
}

// Reads the hrefs inside the element the reader stands on, at depth, up to its end.
QList<QString> hrefsWithin(QXmlStreamReader& xml, int depth)
{
    QList<QString> hrefs;
    const int outside = depth - 1;
    while (depth > outside && !xml.atEnd()) {
        const QXmlStreamReader::TokenType token = xml.readNext();
        if (token == QXmlStreamReader::StartElement) {
            if (xml.name() == QLatin1String("href") && hrefs.size() == Multistatus::kMaxHrefsWithin)
                xml.raiseError(QStringLiteral("too many hrefs"));
            else if (xml.name() == QLatin1String("href"))
                hrefs.append(xml.readElementText().trimmed());
            else if (++depth > Multistatus::kMaxDepth)
                refuseTooDeep(xml);
        } else if (token == QXmlStreamReader::EndElement) {
            --depth;
        }
    }
    return hrefs;
}

// Whether a current-user-privilege-set the reader stands on, at depth, lets the user change cards.
bool writePrivilegeWithin(QXmlStreamReader& xml, int depth)
{
    bool write = false;
    const int outside = depth - 1;
    while (depth > outside && !xml.atEnd()) {
        const QXmlStreamReader::TokenType token = xml.readNext();
        if (token == QXmlStreamReader::StartElement) {
            if (++depth > Multistatus::kMaxDepth)
                refuseTooDeep(xml);
            const QStringView name = xml.name();
            write |= xml.namespaceUri() == kDav &&
                     (name == QLatin1String("write") || name == QLatin1String("write-content") ||
                      name == QLatin1String("bind") || name == QLatin1String("all"));
        } else if (token == QXmlStreamReader::EndElement) {
            --depth;
        }
    }
    return write;
}

} // namespace

Multistatus Multistatus::parse(const QByteArray& bytes)
{
    Multistatus result;
    if (!attributesBounded(bytes))
        return result;
    QXmlStreamReader xml(bytes);
    Response* current = nullptr;
    // The properties of one propstat count only when that propstat says 200.
    Response found;
    int propstatStatus = 0;
    bool inPropstat = false;
    bool anyFound = false;
    int lastPropstatStatus = 0;
    bool closed = false;
    // Elements open around the reader. One read whole at its start (its text, or the hrefs in it)
    // is closed again at once.
    int depth = 0;

    while (!xml.atEnd()) {
        const QXmlStreamReader::TokenType token = xml.readNext();
        if (token == QXmlStreamReader::StartElement) {
            if (++depth > kMaxDepth) {
                refuseTooDeep(xml);
                break;
            }
            const QStringView name = xml.name();
            const bool dav = xml.namespaceUri() == kDav;
            const bool cardDav = xml.namespaceUri() == kCardDav;
            if (dav && name == QLatin1String("multistatus")) {
                result.valid = true;
            } else if (dav && name == QLatin1String("response")) {
                if (result.responses.size() == kMaxResponses) {
                    xml.raiseError(QStringLiteral("too many responses"));
                    break;
                }
                result.responses.emplace_back();
                current = &result.responses.back();
                current->status = 0;
                anyFound = false;
                lastPropstatStatus = 0;
            } else if (dav && name == QLatin1String("sync-token") && !current) {
                result.syncToken = xml.readElementText().trimmed();
            } else if (!current) {
                continue;
            } else if (dav && name == QLatin1String("href") && !inPropstat) {
                current->href = xml.readElementText().trimmed();
            } else if (dav && name == QLatin1String("status")) {
                const int code = statusCode(xml.readElementText());
                if (inPropstat)
                    propstatStatus = code;
                else
                    current->status = code;
            } else if (dav && name == QLatin1String("propstat")) {
                inPropstat = true;
                propstatStatus = 0;
                found = Response{};
            } else if (dav && name == QLatin1String("getetag")) {
                found.etag = xml.readElementText().trimmed().toUtf8();
            } else if (cardDav && name == QLatin1String("address-data")) {
                found.addressData = xml.readElementText();
            } else if (dav && name == QLatin1String("getlastmodified")) {
                found.lastModified = xml.readElementText().trimmed();
            } else if (dav && name == QLatin1String("displayname")) {
                found.displayName = OutsideText::oneLine(xml.readElementText()).trimmed();
            } else if (cardDav && name == QLatin1String("addressbook")) {
                found.isAddressBook = true;
            } else if (dav && name == QLatin1String("current-user-principal")) {
                found.principalHrefs = hrefsWithin(xml, depth);
            } else if (cardDav && name == QLatin1String("addressbook-home-set")) {
                found.homeSetHrefs = hrefsWithin(xml, depth);
            } else if (dav && name == QLatin1String("sync-collection")) {
                found.supportsSyncCollection = true;
            } else if (dav && name == QLatin1String("current-user-privilege-set")) {
                found.privilegesListed = true;
                found.canWrite = writePrivilegeWithin(xml, depth);
            }
            if (xml.tokenType() == QXmlStreamReader::EndElement)
                --depth;
        } else if (token == QXmlStreamReader::EndElement) {
            --depth;
            if (xml.namespaceUri() != kDav)
                continue;
            if (xml.name() == QLatin1String("multistatus"))
                closed = true;
            if (xml.name() == QLatin1String("propstat") && current) {
                inPropstat = false;
                if (propstatStatus >= 200 && propstatStatus < 300) {
                    anyFound = true;
                    if (!found.etag.isEmpty())
                        current->etag = found.etag;
                    if (!found.addressData.isEmpty())
                        current->addressData = found.addressData;
                    if (!found.lastModified.isEmpty())
                        current->lastModified = found.lastModified;
                    if (!found.displayName.isEmpty())
                        current->displayName = found.displayName;
                    current->isAddressBook |= found.isAddressBook;
                    current->principalHrefs += found.principalHrefs;
                    current->homeSetHrefs += found.homeSetHrefs;
                    current->supportsSyncCollection |= found.supportsSyncCollection;
                    if (found.privilegesListed) {
                        current->privilegesListed = true;
                        current->canWrite = found.canWrite;
                    }
                } else {
                    lastPropstatStatus = propstatStatus;
                }
            } else if (xml.name() == QLatin1String("response") && current) {
                // A response without a status of its own stands or falls with its properties.
                if (current->status == 0)
                    current->status = anyFound || lastPropstatStatus == 0 ? 200 : lastPropstatStatus;
                current = nullptr;
            }
        }
    }
    // A listing cut short, or with text after it, is no listing: what it leaves out is unknown.
    if (xml.hasError() || !closed)
        result.valid = false;
    return result;
}
