#include "TypingLimit.h"

#include <QLineEdit>
#include <QVariant>

#include <algorithm>

namespace
{
constexpr char kLimitProperty[] = "typingLimit";
} // namespace

void TypingLimit::install(QLineEdit* box, int limit)
{
    box->setProperty(kLimitProperty, limit);
    box->setMaxLength(limit);
    // The box's own maximum is what typing may reach: the limit, or the length of a longer stored
    // value for as long as the text has not shrunk below it.
    // (Setting the maximum resets the box's undo history, so it is set only when it changes.)
    QObject::connect(box, &QLineEdit::textChanged, box, [box](const QString& text) {
        const int wanted = std::max(limitOf(box), int(text.size()));
        if (box->maxLength() != wanted)
            box->setMaxLength(wanted);
    });
}

void TypingLimit::load(QLineEdit* box, const QString& value)
{
    box->setMaxLength(std::max(limitOf(box), int(value.size())));
    box->setText(value);
}

int TypingLimit::limitOf(const QLineEdit* box)
{
    const QVariant limit = box->property(kLimitProperty);
    return limit.isValid() ? limit.toInt() : box->maxLength();
}
