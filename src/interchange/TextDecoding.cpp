#include "TextDecoding.h"

#include <QStringDecoder>

bool TextDecoding::isValidUtf8(const QByteArray& bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8.decode(bytes);
    return !utf8.hasError() && !text.contains(QChar::ReplacementCharacter);
}

bool TextDecoding::looksBinary(const QByteArray& bytes)
{
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF"))
        return false;
    return bytes.left(8192).contains('\0');
}

QString TextDecoding::decode(const QByteArray& bytes)
{
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return QString::fromUtf8(bytes.mid(3));
    if (bytes.startsWith("\xFF\xFE"))
        return QStringDecoder(QStringDecoder::Utf16LE).decode(bytes.mid(2));
    if (bytes.startsWith("\xFE\xFF"))
        return QStringDecoder(QStringDecoder::Utf16BE).decode(bytes.mid(2));
    if (isValidUtf8(bytes))
        return QString::fromUtf8(bytes);
    return decode(bytes, "windows-1256");
}

QString TextDecoding::decode(const QByteArray& bytes, const QByteArray& charset)
{
    const QByteArray name = charset.trimmed().toLower();
    if (name.isEmpty() || name == "utf-8" || name == "utf8")
        return isValidUtf8(bytes) ? QString::fromUtf8(bytes) : decode(bytes, "windows-1256");
    QStringDecoder decoder(name.constData());
    if (!decoder.isValid())
        return QString::fromUtf8(bytes);
    return decoder.decode(bytes);
}
