#include "TextFold.h"

namespace {

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
        case 0x0622: case 0x0623: case 0x0625: case 0x0671:
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
    const QString decomposed = out.normalized(QString::NormalizationForm_KD);
    QString plain;
    plain.reserve(decomposed.size());
    for (const QChar ch : decomposed) {
        if (ch.category() == QChar::Mark_NonSpacing && (ch.unicode() < 0x0600 || ch.unicode() > 0x06FF))
            continue;
        plain += ch;
    }
    return plain.toCaseFolded();
}
