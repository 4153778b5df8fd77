#pragma once

#include <QByteArray>
#include <QString>

// A contact's photo as it is kept: at most 512 pixels each way and a few hundred KB, whatever
// came in. Only picture bytes are taken; a photo given as an address is never fetched.
class ContactPhoto
{
public:
    static constexpr int kMostPixels = 512;
    static constexpr qsizetype kMostBytes = 300 * 1024;
    // Pictures with more pixels than this are not decoded at all (a small file can claim a huge one).
    static constexpr qint64 kMostSourcePixels = 40'000'000;

    // The picture's bytes made ready to keep, in base64; empty when they are no picture.
    static QString fromBytes(const QByteArray& bytes);
    // The kept picture's bytes and its vCard type ("JPEG" or "PNG").
    static QByteArray bytesOf(const QString& kept, QByteArray* type = nullptr);
};
