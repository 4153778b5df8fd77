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
} // namespace

QByteArray ContactQrWindow::fittingCard(const ContactFields& contact, QStringList& leftOut)
{
    leftOut.clear();
    ContactFields card = contact;
    const VCardWriter writer(3);
    QByteArray bytes = writer.card(card);
    for (const Optional& optional : kGivenUp) {
        if (!QrCode::encode(bytes, kLargestReadableVersion).isEmpty())
            return bytes;
        if ((card.*optional.field).isEmpty())
            continue;
        (card.*optional.field).clear();
        leftOut << QString::fromUtf8(optional.name);
        bytes = writer.card(card);
    }
    return QrCode::encode(bytes, kLargestReadableVersion).isEmpty() ? QByteArray() : bytes;
}

ContactQrWindow::ContactQrWindow(const ContactFields& contact, QWidget* parent) : QDialog(parent), m_name(contact.name)
{
    setWindowTitle(QStringLiteral("مشاركة برمز QR: ") + contact.name);
    setLayoutDirection(Qt::RightToLeft);
    QStringList leftOut;
    const QByteArray card = fittingCard(contact, leftOut);
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
