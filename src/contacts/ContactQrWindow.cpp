#include "ContactQrWindow.h"

#include "FileChooser.h"
#include "MessageBox.h"
#include "MsgBoxHook.h"
#include "QrCode.h"
#include "SafeFileWrite.h"
#include "SharedData.h"
#include "SkinButton.h"
#include "VCardWriter.h"

#include <QBuffer>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QVBoxLayout>

namespace
{
// Version 25 (117 modules) is the largest a phone still reads at arm's length from a screen.
constexpr int kLargestReadableVersion = 25;
// On screen the code is about this wide, whatever its version; saved images are drawn larger.
constexpr int kShownPixels = 440;
constexpr int kSavedModulePixels = 10;

// The fields a card may go without, in the order they are given up, with the name the user reads.
struct Optional {
    QString ContactFields::*field;
    const char* name;
};
constexpr Optional kGivenUp[] = {
    {&ContactFields::moreinfo, "البيانات الإضافية"},
    {&ContactFields::address, "العنوان"},
    {&ContactFields::org, "المؤسسة"},
    {&ContactFields::email, "البريد الالكترونى"},
};

bool fits(const QByteArray& card)
{
    return !QrCode::encode(card, kLargestReadableVersion).isEmpty();
}

// The more values a card may carry, in the order they are kept: numbers, e-mails, addresses, web
// pages, dates. A photo would fill a code by itself.
MoreValues carried(const MoreValues& more)
{
    MoreValues values;
    for (const ContactValue::Kind kind :
         {ContactValue::Kind::Phone, ContactValue::Kind::Email, ContactValue::Kind::Address, ContactValue::Kind::Web,
          ContactValue::Kind::Date})
        for (const ContactValue& value : more)
            if (value.kind == kind)
                values.push_back(value);
    return values;
}
} // namespace

QByteArray ContactQrWindow::fittingCard(const ContactFields& contact, const MoreValues& more, QStringList& leftOut)
{
    leftOut.clear();
    ContactFields card = contact;
    const VCardWriter writer(3);
    // The nine fields first: an optional one is given up only while they alone do not fit.
    for (const Optional& optional : kGivenUp) {
        if (fits(writer.card(card)))
            break;
        if ((card.*optional.field).isEmpty())
            continue;
        (card.*optional.field).clear();
        leftOut << QString::fromUtf8(optional.name);
    }
    if (!fits(writer.card(card)))
        return {};
    // Then as many more values as fit beside them, found by halves: a card of hundreds of numbers
    // is encoded a few times, not once per number.
    const MoreValues values = carried(more);
    auto firstOnes = [&values](size_t count) { return MoreValues(values.begin(), values.begin() + qsizetype(count)); };
    size_t fitting = 0;
    if (fits(writer.card(card, values))) {
        fitting = values.size();
    } else {
        size_t tooMany = values.size();
        while (tooMany - fitting > 1) {
            const size_t middle = fitting + (tooMany - fitting) / 2;
            if (fits(writer.card(card, firstOnes(middle))))
                fitting = middle;
            else
                tooMany = middle;
        }
        leftOut << QStringLiteral("%1 من القيم الأخرى").arg(values.size() - fitting);
    }
    return writer.card(card, firstOnes(fitting));
}

ContactQrWindow::ContactQrWindow(const ContactFields& contact, const MoreValues& more, QWidget* parent)
    : QDialog(parent), m_name(contact.name)
{
    setWindowTitle(QStringLiteral("مشاركة برمز QR: ") + contact.name);
    setLayoutDirection(Qt::RightToLeft);
    QStringList leftOut;
    const QByteArray card = fittingCard(contact, more, leftOut);
    const QrCode::Modules modules = QrCode::encode(card, kLargestReadableVersion);
    m_image = QrCode::image(modules, kSavedModulePixels);

    code = new QLabel(this);
    code->setObjectName(QStringLiteral("qrcode"));
    code->setAccessibleName(QStringLiteral("رمز QR لجهة الاتصال"));
    code->setAlignment(Qt::AlignCenter);
    leftOutNote = new QLabel(this);
    leftOutNote->setWordWrap(true);
    leftOutNote->setAccessibleName(QStringLiteral("ما لم يدخل فى الرمز"));
    if (modules.isEmpty()) {
        code->setText(QStringLiteral("لا يتسع رمز واحد لهذه الجهة حتى بدون البيانات الاختيارية"));
    } else {
        const int moduleSize = std::max(2, kShownPixels / (modules.width + 8));
        code->setPixmap(QPixmap::fromImage(QrCode::image(modules, moduleSize)));
        leftOutNote->setText(leftOut.isEmpty()
                                 ? QStringLiteral("وجه كاميرا الهاتف إلى الرمز لحفظ جهة الاتصال")
                                 : QStringLiteral("لم يتسع الرمز لـ: %1").arg(leftOut.join(QStringLiteral("، "))));
    }
    cmdSave = new SkinButton(QStringLiteral("حفظ كصورة..."), this);
    cmdSave->setEnabled(!m_image.isNull());
    cmdClose = new SkinButton(QStringLiteral("إغلاق"), this);
    connect(cmdSave, &QPushButton::clicked, this, &ContactQrWindow::saveImage);
    connect(cmdClose, &QPushButton::clicked, this, &QDialog::accept);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdSave);
    buttons->addStretch();
    buttons->addWidget(cmdClose);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(code, 1);
    layout->addWidget(leftOutNote);
    layout->addLayout(buttons);
}

void ContactQrWindow::saveImage()
{
    QString path = FileChooser::chooseSaveFile(this, QStringLiteral("حفظ كصورة"), QStringLiteral("PNG|*.png"),
                                               QStringLiteral("png"));
    if (path.isEmpty())
        return;
    if (!path.endsWith(QLatin1String(".png"), Qt::CaseInsensitive))
        path += QLatin1String(".png");
    QString failure;
    // The image holds a contact: like every saved file it is its owner's alone (0600), never
    // written through a link nor over the book, and whole or not at all.
    QByteArray png;
    QBuffer buffer(&png);
    if (const SafeFileWrite::Refusal refused = SafeFileWrite::refusal(path, SharedData::databasePath());
        refused != SafeFileWrite::Refusal::None)
        failure = QStringLiteral("لم يتم حفظ الصورة: ") + SafeFileWrite::reason(refused);
    else if (!buffer.open(QIODevice::WriteOnly) || !m_image.save(&buffer, "PNG") ||
             !SafeFileWrite::write(path, png, SharedData::databasePath()))
        failure = QStringLiteral("لم يتم حفظ الصورة: لا يمكن الكتابة فى هذا المكان أو لا توجد مساحة كافية على القرص");
    if (failure.isEmpty())
        return;
    SetMsgBoxHook(this);
    MessageBox::show(failure, MessageBox::Arabic | MessageBox::Critical, QStringLiteral("خطأ"));
    RemoveMsgBoxHook();
}
