#pragma once

#include "TextColumn.h"

#include <optional>
#include <vector>

// What changed in an order since it was true: the places of the rows that left it (or changed:
// a changed row leaves its old place and belongs anew), and the rows that now belong to it, each
// with its name and, when the order keeps a field's texts, that field's text.
struct OrderChanges {
    std::vector<qsizetype> gone; // places in the order as it stood, ascending
    std::vector<qint64> ids;
    TextColumn names;
    // The kept field's text of each row that belongs; none when the changes cannot tell them
    // (another writer may have changed that field in any row), and the kept texts are let go.
    std::optional<TextColumn> fieldTexts;

    size_t size() const { return gone.size() + ids.size(); }
};
