// Card merge: any card from a server, no crash; merging no change keeps every line, and a changed
// number reads back as the number written.
#include "CardMerge.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray card(reinterpret_cast<const char*>(data), qsizetype(size));
    const ContactFields synced = CardMerge::read(card);
    const QByteArray same = CardMerge::merge(card, synced, synced);
    for (const QByteArray& line : card.split('\n'))
        if (!line.trimmed().isEmpty() && !line.startsWith(' ') && !line.startsWith('\t') &&
            !same.contains(line.trimmed()))
            std::abort();
    // The number's property is found in one plain card: lines that end alike, one BEGIN and one END.
    if (synced.name.isEmpty() || synced.mobil.isEmpty() || !card.trimmed().toUpper().endsWith("END:VCARD") ||
        card.count('\r') != card.count("\r\n") || card.toUpper().count("BEGIN:") != 1 ||
        card.toUpper().count("END:") != 1)
        return 0;
    ContactFields local = synced;
    local.mobil = QStringLiteral("0123456789");
    // A card that holds the number twice keeps the copy that was not read.
    if (card.count(synced.mobil.toUtf8()) != 1 || card.contains(local.mobil.toUtf8()))
        return 0;
    CardMerge::uid(card);
    if (CardMerge::read(CardMerge::merge(card, synced, local)).mobil != local.mobil)
        std::abort();
    return 0;
}
