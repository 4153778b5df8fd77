#include "TextFold.h"

namespace
{

bool isDroppedMark(char16_t c)
{
    return (c >= 0x064B && c <= 0x0655) || c == 0x0670 || c == 0x0640;
}

} // namespace

QString TextFold::fold(const QString& text)
{
    QString out;
    out.reserve(text.size());
    bool needsLatinPass = false;
    for (const QChar ch : text) {
        const char16_t c = ch.unicode();
        if (isDroppedMark(c))
            continue;
        switch (c) {
        case 0x0622:
        case 0x0623:
        case 0x0625:
        case 0x0671:
            out += QChar(0x0627);
            continue;
        case 0x0649:
            out += QChar(0x064A);
            continue;
        case 0x0629:
            out += QChar(0x0647);
            continue;
        default:
            break;
        }
        if (c >= 0x0660 && c <= 0x0669) {
            out += QChar(u'0' + (c - 0x0660));
        } else if (c >= 0x06F0 && c <= 0x06F9) {
            out += QChar(u'0' + (c - 0x06F0));
        } else if (c < 0x0600 || c > 0x06FF) {
            needsLatinPass = needsLatinPass || c >= 0x80 || (c >= u'A' && c <= u'Z');
            out += ch;
        } else {
            out += ch;
        }
    }
    if (!needsLatinPass)
        return out;
    // Latin and other scripts: strip combining accents after decomposition, then drop case.
    // Arabic letters were folded above and stay as they are (no hamza is split off).
    QString plain;
    plain.reserve(out.size());
    for (const QChar ch : out) {
        if (ch.unicode() >= 0x0600 && ch.unicode() <= 0x06FF) {
            plain += ch;
            continue;
        }
        for (const QChar part : QString(ch).normalized(QString::NormalizationForm_KD))
            if (part.category() != QChar::Mark_NonSpacing)
                plain += part;
    }
    return plain.toCaseFolded();
}

bool TextFold::foldUtf8(const unsigned char* text, int size, std::string& out)
{
    // Written through a pointer into room made at once: the folded text is never longer.
    out.resize(size_t(size));
    char* to = out.data();
    for (int i = 0; i < size; ++i) {
        const unsigned char b = text[i];
        if (b < 0x80) {
            *to++ = char(b >= 'A' && b <= 'Z' ? b + 32 : b);
            continue;
        }
        // Two-byte sequences of the Arabic block U+0600-U+06FF start with D8..DB.
        if (b < 0xD8 || b > 0xDB || i + 1 >= size) {
            out.clear();
            return false;
        }
        const char16_t c = char16_t(((b & 0x1F) << 6) | (text[i + 1] & 0x3F));
        ++i;
        if (isDroppedMark(c))
            continue;
        char16_t folded = c;
        switch (c) {
        case 0x0622:
        case 0x0623:
        case 0x0625:
        case 0x0671:
            folded = 0x0627;
            break;
        case 0x0649:
            folded = 0x064A;
            break;
        case 0x0629:
            folded = 0x0647;
            break;
        default:
            if (c >= 0x0660 && c <= 0x0669) {
                *to++ = char('0' + (c - 0x0660));
                continue;
            }
            if (c >= 0x06F0 && c <= 0x06F9) {
                *to++ = char('0' + (c - 0x06F0));
                continue;
            }
            break;
        }
        *to++ = char(0xC0 | (folded >> 6));
        *to++ = char(0x80 | (folded & 0x3F));
    }
    out.resize(size_t(to - out.data()));
    return true;
}

void TextFold::foldAnyUtf8(const char* text, int size, std::string& out)
{
    if (foldUtf8(reinterpret_cast<const unsigned char*>(text), size, out))
        return;
    out = fold(QString::fromUtf8(text, size)).toUtf8().toStdString();
}
