#include "TextDecoding.h"

#include <QStringDecoder>

namespace
{

bool isAsciiLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// Every other byte zero, as UTF-16 text of mostly ASCII or Arabic characters has it.
QByteArray utf16WithoutMark(const QByteArray& bytes)
{
    const int sample = int(std::min<qsizetype>(bytes.size(), 4096)) & ~1;
    if (sample < 4)
        return QByteArray();
    int evenZero = 0, oddZero = 0;
    for (int i = 0; i < sample; i += 2) {
        evenZero += bytes[i] == '\0';
        oddZero += bytes[i + 1] == '\0';
    }
    const int pairs = sample / 2;
    if (oddZero * 10 >= pairs * 3 && evenZero * 20 < pairs)
        return "UTF-16LE";
    if (evenZero * 10 >= pairs * 3 && oddZero * 20 < pairs)
        return "UTF-16BE";
    return QByteArray();
}

} // namespace

bool TextDecoding::isValidUtf8(const QByteArray& bytes)
{
    // Valid UTF-8 reads back to the very same bytes; a damaged or cut-off sequence does not. A
    // replacement character written as such is valid.
    return QString::fromUtf8(bytes).toUtf8() == bytes;
}

bool TextDecoding::looksBinary(const QByteArray& bytes)
{
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF") || !utf16WithoutMark(bytes).isEmpty())
        return false;
    return bytes.left(8192).contains('\0');
}

QStringList TextDecoding::encodings()
{
    return {QStringLiteral("UTF-8"), QStringLiteral("windows-1256"), QStringLiteral("windows-1252"),
            QStringLiteral("UTF-16LE"), QStringLiteral("UTF-16BE")};
}

QByteArray TextDecoding::detectEncoding(const QByteArray& bytes)
{
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return "UTF-8";
    if (bytes.startsWith("\xFF\xFE"))
        return "UTF-16LE";
    if (bytes.startsWith("\xFE\xFF"))
        return "UTF-16BE";
    if (QByteArray utf16 = utf16WithoutMark(bytes); !utf16.isEmpty())
        return utf16;
    if (isValidUtf8(bytes))
        return "UTF-8";
    // Western text has its accented letters inside Latin words; Arabic text has its letters
    // next to one another.
    qsizetype latin = 0, arabic = 0;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (uchar(bytes[i]) < 0x80)
            continue;
        const char before = i > 0 ? bytes[i - 1] : ' ';
        const char after = i + 1 < bytes.size() ? bytes[i + 1] : ' ';
        if (isAsciiLetter(before) || isAsciiLetter(after))
            ++latin;
        else if (uchar(before) >= 0x80 || uchar(after) >= 0x80)
            ++arabic;
    }
    return latin > arabic ? "windows-1252" : "windows-1256";
}

QString TextDecoding::decode(const QByteArray& bytes)
{
    return decodeAs(bytes, detectEncoding(bytes));
}

QString TextDecoding::decodeAs(const QByteArray& bytes, const QByteArray& encoding)
{
    QByteArray name = encoding.trimmed();
    QByteArray body = bytes;
    if (body.startsWith("\xEF\xBB\xBF"))
        body.remove(0, 3);
    else if (body.startsWith("\xFF\xFE") || body.startsWith("\xFE\xFF"))
        body.remove(0, 2);
    if (name.compare("utf8", Qt::CaseInsensitive) == 0 || name.isEmpty())
        name = "UTF-8";
    QStringDecoder decoder(name.constData());
    if (!decoder.isValid())
        decoder = QStringDecoder(QStringDecoder::Utf8);
    // A damaged sequence becomes one replacement character; the rest reads as written.
    return decoder.decode(body);
}
