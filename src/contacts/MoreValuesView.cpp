#include "MoreValuesView.h"

#include "ContactLinks.h"
#include "ContactPhoto.h"
#include "MoreValueTexts.h"
#include "OutsideText.h"

#include <QDesktopServices>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPixmap>
#include <QUrl>

namespace
{

// Numbers, addresses and web pages read left to right inside the Arabic line.
QString leftToRight(const QString& text)
{
    return QChar(0x2066) + text + QChar(0x2069);
}

} // namespace

MoreValuesView::MoreValuesView(const MoreValues& values, QWidget* parent) : QWidget(parent)
{
    setLayoutDirection(Qt::RightToLeft);
    list = new QListWidget(this);
    list->setObjectName(QStringLiteral("morevalues"));
    list->setAccessibleName(QStringLiteral("قيم أخرى"));
    photo = new QLabel(this);
    photo->setObjectName(QStringLiteral("photoview"));
    photo->setAccessibleName(QStringLiteral("الصورة"));
    photo->setAlignment(Qt::AlignCenter);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(list, 1);
    row->addWidget(photo);

    QPixmap picture;
    for (const ContactValue& value : values) {
        if (value.kind == ContactValue::Kind::Photo) {
            picture.loadFromData(ContactPhoto::bytesOf(value.value));
            continue;
        }
        // Whatever a card brought in: no control or direction character turns the line around.
        const QString text = OutsideText::oneLine(MoreValueTexts::shown(value));
        const bool latin = value.kind == ContactValue::Kind::Phone || value.kind == ContactValue::Kind::Email ||
                           value.kind == ContactValue::Kind::Web;
        auto* item = new QListWidgetItem(MoreValueTexts::caption(value) + QStringLiteral(": ") +
                                         (latin ? leftToRight(text) : text));
        item->setData(Qt::AccessibleTextRole, MoreValueTexts::caption(value) + QStringLiteral(" ") + text);
        list->addItem(item);
        m_shown.push_back(value);
    }
    if (!picture.isNull()) {
        const int side = 96;
        photo->setFixedSize(side, side);
        photo->setPixmap(picture.scaled(side, side, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    } else {
        photo->hide();
    }
    connect(list, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) { activate(list->row(item)); });
}

bool MoreValuesView::activate(int row)
{
    if (row < 0 || size_t(row) >= m_shown.size())
        return false;
    const ContactValue& value = m_shown[size_t(row)];
    if (value.value.trimmed().isEmpty())
        return false;
    switch (value.kind) {
    case ContactValue::Kind::Phone:
        ContactLinks::call(this, value.value);
        return true;
    case ContactValue::Kind::Email:
        ContactLinks::mail(this, value.value);
        return true;
    case ContactValue::Kind::Web: {
        // Only a web page: never a file, a script or another program's scheme.
        QUrl url = QUrl::fromUserInput(value.value.trimmed());
        if (!url.isValid() || (url.scheme() != QLatin1String("http") && url.scheme() != QLatin1String("https")) ||
            url.host().isEmpty())
            return false;
        return QDesktopServices::openUrl(url);
    }
    default:
        break;
    }
    return false;
}
