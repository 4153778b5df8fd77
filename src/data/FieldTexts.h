#pragma once

#include "TextColumn.h"

#include <functional>
#include <string>
#include <vector>

// One field's texts for the rows of a known order, kept in the order they were read from the
// file, each with the place its row has in that order: putting them in order would cost more
// than the search through them, which finds the places and sorts only those.
class FieldTexts
{
public:
    // Texts read in one pass, and where each row stands in the order (four bytes: an order in
    // memory is far shorter than that counts).
    struct Pass {
        std::vector<qint32> places;
        TextColumn texts;
    };

    FieldTexts() = default;
    explicit FieldTexts(std::vector<Pass> passes);

    qsizetype size() const;

    // The places, in order, whose text matches; matches gets a scratch string of its thread's own.
    using Match = std::function<bool(QByteArrayView text, std::string& scratch)>;
    std::vector<qsizetype> placesWhere(const Match& matches) const;
    // The indexes, in order, of the texts that match: a large column in two halves at once.
    static std::vector<qsizetype> indexesWhere(const TextColumn& texts, const Match& matches);

    // Kept in step with the order: the row at place leaves it, or a row comes in at place.
    void erasePlace(qsizetype place);
    void insertPlace(qsizetype place, QByteArrayView text);

private:
    std::vector<Pass> m_passes;
};
