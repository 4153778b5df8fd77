#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <vector>

// A WebDAV multistatus answer, read with QXmlStreamReader: each response's href, its status and
// the few properties an address-book client asks for. Unknown elements are passed over.
struct Multistatus {
    struct Response {
        QString href;     // as the server wrote it (percent-encoded path)
        int status = 200; // the response's own status, else that of its found properties
        QByteArray etag;
        QString addressData; // a card, when asked for
        QString displayName;
        QString lastModified;
        bool isAddressBook = false;
        QList<QString> principalHrefs; // current-user-principal
        QList<QString> homeSetHrefs;   // addressbook-home-set
        bool supportsSyncCollection = false;
        bool privilegesListed = false; // current-user-privilege-set was answered
        bool canWrite = false;         // and it lets the user write cards
    };
    std::vector<Response> responses;
    QString syncToken;
    bool valid = false;

    // A listing deeper or longer than any server writes is refused (valid false) as soon as it
    // goes beyond: the reader keeps one entry per open element, and a response per response.
    static constexpr int kMaxDepth = 64;
    static constexpr size_t kMaxResponses = 200000;
    static constexpr qsizetype kMaxHrefsWithin = 1000; // principals or home sets of one response
    static constexpr int kMaxAttributes = 256;         // of one element, namespace declarations included

    static Multistatus parse(const QByteArray& xml);
};
