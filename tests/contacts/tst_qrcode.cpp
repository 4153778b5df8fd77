// A contact to a phone by QR code: what a real decoder reads from the saved image is the
// contact's card, Arabic included; what does not fit in one code is left out and named.
#include "ContactQrWindow.h"
#include "ContactStore.h"
#include "ContactValueStore.h"
#include "Editor.h"
#include "MainForm.h"
#include "MainMenus.h"
#include "MainWindowControls.h"
#include "MainWindowUser.h"
#include "ModalDriver.h"
#include "RecordListView.h"
#include "SkinButton.h"
#include "WindowTestFixture.h"

#include <QAction>
#include <QLabel>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace
{

// What zbarimg, a decoder of its own, reads from an image: the code's bytes as they are.
QByteArray decoded(const QString& png)
{
    QProcess zbar;
    zbar.start(QStringLiteral("zbarimg"),
               {QStringLiteral("--quiet"), QStringLiteral("--raw"), QStringLiteral("-Sbinary"), png});
    if (!zbar.waitForFinished(60000) || zbar.exitCode() != 0)
        return "(no code read: " + zbar.readAllStandardError() + ")";
    QByteArray out = zbar.readAllStandardOutput();
    if (out.endsWith("\r\n\n")) // zbarimg ends what it read with a line break of its own
        out.chop(1);
    return out;
}

} // namespace

class TestQrCode : public QObject, public WindowTestFixture
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void aPhoneReadsTheContactFromTheSavedImage();
    void whatDoesNotFitIsLeftOutAndNamed();
    void theViewWindowSharesToo();

private:
    // Opens the window on the named contact from the contact menu and saves its image.
    QString shareAndSave(const QString& name, QString& leftOutText);

    QString m_family;
    QTemporaryDir m_images;
};

void TestQrCode::initTestCase()
{
    prepareApplication();
}

void TestQrCode::init()
{
    openFixture();
    m_family = m_db->addDirectory(QStringLiteral("العائلة"));
    m_db->addContact(QStringLiteral("سارة محمود"), m_family,
                     {QStringLiteral("0223456789"), QStringLiteral("0233334444"), QStringLiteral("+201001234567"),
                      QString(), QStringLiteral("١٢ شارع النيل، الجيزة"), QStringLiteral("sara@example.org"),
                      QStringLiteral("مدرسة النور"), QStringLiteral("عيد ميلادها ٣ مايو")});
    m_db->addContact(QStringLiteral("كثير الملاحظات"), m_family,
                     {QString(), QString(), QStringLiteral("01000000000"), QString(), QStringLiteral("عنوان"),
                      QString(), QString(), QString(3000, QChar(0x0645))});
    // More values: Sara's fit beside her fields (the photo never goes in); a card of 500 numbers
    // does not fit whole.
    using Kind = ContactValue::Kind;
    auto giveMore = [this](const QString& name, const MoreValues& values) {
        qint64 at = 0;
        QVERIFY(ContactStore(m_db->reader()).findByName(name, at));
        QVERIFY(ContactValueStore(m_db->reader()).replaceWithin(at, name, values));
    };
    giveMore(QStringLiteral("سارة محمود"), {{Kind::Photo, {}, QString(4000, QLatin1Char('A'))},
                                            {Kind::Email, QStringLiteral("work"), QStringLiteral("sara@work.example")},
                                            {Kind::Phone, QStringLiteral("mobile"), QStringLiteral("0111 222 3333")}});
    MoreValues many;
    for (int i = 0; i < 500; ++i)
        many.push_back({Kind::Phone, QStringLiteral("other"), QStringLiteral("0120%1").arg(1000000 + i)});
    giveMore(QStringLiteral("كثير الملاحظات"), many);
    m_form = MainWindowUser::start();
    QVERIFY(MainWindowUser::clickDirectory(*m_form, QStringLiteral("العائلة")));
    m_form->openSelectedDirectory();
}

void TestQrCode::cleanup()
{
    closeFixture();
}

QString TestQrCode::shareAndSave(const QString& name, QString& leftOutText)
{
    RecordListView* list = controls(*m_form).infolist;
    for (int row = 0; row < list->count(); ++row)
        if (list->itemText(row) == name)
            list->selectRow(row);
    const QString png = m_images.filePath(QStringLiteral("contact"));
    m_chooser->answer(png);
    bool shown = false;
    ModalDriver::whenModal([&](QWidget* modal) {
        auto* window = qobject_cast<ContactQrWindow*>(modal);
        QVERIFY(window);
        shown = true;
        QCOMPARE(window->windowTitle(), QStringLiteral("مشاركة برمز QR: ") + name);
        // Large enough for a camera across a desk.
        QVERIFY(window->code->pixmap().width() >= 300);
        leftOutText = window->leftOutNote->text();
        window->cmdSave->click();
        window->cmdClose->click();
    });
    QAction* share = controls(*m_form).menus->item(QStringLiteral("shareqr"));
    if (!share || share->text() != QStringLiteral("مشاركة برمز QR"))
        return QString();
    share->trigger();
    return shown ? png + QStringLiteral(".png") : QString();
}

void TestQrCode::aPhoneReadsTheContactFromTheSavedImage()
{
    QString leftOut;
    const QString png = shareAndSave(QStringLiteral("سارة محمود"), leftOut);
    QVERIFY(!png.isEmpty());
    QCOMPARE(leftOut, QStringLiteral("وجه كاميرا الهاتف إلى الرمز لحفظ جهة الاتصال"));
    const QString card = QString::fromUtf8(decoded(png));
    QVERIFY2(card.startsWith(QStringLiteral("BEGIN:VCARD\r\nVERSION:3.0\r\n")), qPrintable(card));
    for (const QString& line :
         {QStringLiteral("FN:سارة محمود"), QStringLiteral("TEL;TYPE=HOME,VOICE:0223456789"),
          QStringLiteral("TEL;TYPE=WORK,VOICE:0233334444"), QStringLiteral("TEL;TYPE=CELL:+201001234567"),
          QStringLiteral("EMAIL:sara@example.org"), QStringLiteral("ORG:مدرسة النور"),
          QStringLiteral("NOTE:عيد ميلادها ٣ مايو"), QStringLiteral("ADR;TYPE=HOME:;;١٢ شارع النيل، الجيزة;"),
          QStringLiteral(":0111 222 3333"), QStringLiteral(":sara@work.example")})
        QVERIFY2(card.contains(line), qPrintable(line + QStringLiteral(" not in ") + card));
    QVERIFY(!card.contains(QStringLiteral("PHOTO")));
    // The second number before the second e-mail: numbers go first.
    QVERIFY(card.indexOf(QStringLiteral("0111 222 3333")) < card.indexOf(QStringLiteral("sara@work.example")));
    QVERIFY(card.endsWith(QStringLiteral("END:VCARD\r\n")));
    // The image holds the contact: its owner's alone, as every file the program saves.
    QCOMPARE(QFileInfo(png).permissions(), QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser);

    // A link where the image would go is refused: the file it points to keeps every byte.
    QFile victim(m_images.filePath(QStringLiteral("victim")));
    QVERIFY(victim.open(QIODevice::WriteOnly) && victim.write("keep me") == 7);
    victim.close();
    QVERIFY(QFile::remove(png) && QFile::link(victim.fileName(), png));
    QString ignored;
    QVERIFY(!shareAndSave(QStringLiteral("سارة محمود"), ignored).isEmpty());
    QCOMPARE(m_boxes->last().title, QStringLiteral("خطأ"));
    QVERIFY2(m_boxes->last().text.contains(QStringLiteral("رابط رمزى")), qPrintable(m_boxes->last().text));
    QVERIFY(victim.open(QIODevice::ReadOnly));
    QCOMPARE(victim.readAll(), QByteArray("keep me"));
    QVERIFY(QFile::remove(png));
}

void TestQrCode::whatDoesNotFitIsLeftOutAndNamed()
{
    QString leftOut;
    const QString png = shareAndSave(QStringLiteral("كثير الملاحظات"), leftOut);
    QVERIFY(!png.isEmpty());
    // The nine fields first (the notes given up only because they alone do not fit), then as many
    // of the numbers as fit beside them, the first ones, and the rest counted.
    QVERIFY2(leftOut.startsWith(QStringLiteral("لم يتسع الرمز لـ: البيانات الإضافية، ")), qPrintable(leftOut));
    QVERIFY2(leftOut.endsWith(QStringLiteral(" من القيم الأخرى")), qPrintable(leftOut));
    const QString card = QString::fromUtf8(decoded(png));
    QVERIFY2(card.contains(QStringLiteral("FN:كثير الملاحظات")), qPrintable(card));
    QVERIFY(card.contains(QStringLiteral("01000000000")));
    QVERIFY(card.contains(QStringLiteral("عنوان")));
    QVERIFY(!card.contains(QStringLiteral("NOTE")));
    QVERIFY(card.contains(QStringLiteral(":01201000000")) && !card.contains(QStringLiteral(":01201000499")));
    const int carried = int(card.count(QStringLiteral("TEL")) - 1);
    QCOMPARE(leftOut.section(QLatin1Char(' '), -4, -4).toInt(), 500 - carried);
}

void TestQrCode::theViewWindowSharesToo()
{
    controls(*m_form).infolist->selectRow(0);
    bool shared = false;
    ModalDriver::whenModal([&](QWidget* modal) {
        auto* editor = qobject_cast<Editor*>(modal);
        QVERIFY(editor);
        auto* share = editor->findChild<SkinButton*>(QStringLiteral("shareqr"));
        QVERIFY(share && share->isVisible());
        QCOMPARE(share->text(), QStringLiteral("مشاركة برمز QR"));
        // Beside the close button, whole, not over it.
        QVERIFY(!share->geometry().intersects(editor->cmdCancel->geometry()));
        QVERIFY(share->parentWidget()->rect().contains(share->geometry()));
        ModalDriver::whenModal([&](QWidget* inner) {
            auto* window = qobject_cast<ContactQrWindow*>(inner);
            QVERIFY(window);
            shared = !window->codeImage().isNull();
            window->cmdClose->click();
        });
        share->click();
        editor->reject();
    });
    m_form->viewContact();
    QVERIFY(shared);
}

QTEST_MAIN(TestQrCode)
#include "tst_qrcode.moc"
