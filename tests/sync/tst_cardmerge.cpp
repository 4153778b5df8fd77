// A local edit written back into the server's card: the change goes to the property it was read
// from, keeps that property's parameters and label, and leaves everything else as it was.
#include "CardMerge.h"
#include "DavResponse.h"

#include <QtTest>

class TestCardMerge : public QObject
{
    Q_OBJECT
private slots:
    void anEditReplacesThePropertyItCameFrom();
    void parametersAndLabelsStay();
    void aGroupedCardInAnyCaseIsRead();
};

void TestCardMerge::anEditReplacesThePropertyItCameFrom()
{
    // Two numbers of no kind, as another client wrote them: shown as home and mobile.
    const QByteArray card = "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:u\r\nFN:Sam\r\nTEL:617 679 1984\r\nTEL:123 456 7890\r\n"
                            "TEL;TYPE=VOICE,MSG,WORK:555\r\nEND:VCARD\r\n";
    const ContactFields synced = CardMerge::read(card);
    QCOMPARE(synced.hometel, QStringLiteral("617 679 1984"));
    QCOMPARE(synced.mobil, QStringLiteral("123 456 7890"));
    QCOMPARE(synced.jobtel, QStringLiteral("555")); // a number that takes messages is still a work number

    ContactFields local = synced;
    local.mobil = QStringLiteral("0100");
    const QByteArray merged = CardMerge::merge(card, synced, local);
    QVERIFY2(merged.contains("TEL:617 679 1984\r\n"), merged.constData());
    QVERIFY(!merged.contains("123 456 7890"));
    QCOMPARE(CardMerge::read(merged), local);

    // Cleared here: only that number goes.
    local = synced;
    local.hometel.clear();
    const QByteArray cleared = CardMerge::merge(card, synced, local);
    QVERIFY(!cleared.contains("617"));
    QVERIFY(cleared.contains("TEL:123 456 7890\r\n"));
}

void TestCardMerge::parametersAndLabelsStay()
{
    const QByteArray card = "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:u\r\nFN:Sam\r\nitem1.TEL;TYPE=pref:0100\r\n"
                            "item1.X-ABLabel:mobile\r\nitem2.EMAIL;TYPE=INTERNET,pref:sam@old.example\r\n"
                            "item2.X-ABLabel:_$!<Other>!$_\r\nTEL;TYPE=HOME:022\r\nEND:VCARD\r\n";
    const ContactFields synced = CardMerge::read(card);
    QCOMPARE(synced.mobil, QStringLiteral("0100"));
    ContactFields local = synced;
    local.mobil = QStringLiteral("0111");
    local.email = QStringLiteral("sam@new.example");
    const QByteArray merged = CardMerge::merge(card, synced, local);
    QVERIFY2(merged.contains("item1.TEL;TYPE=pref:0111\r\nitem1.X-ABLabel:mobile\r\n"), merged.constData());
    QVERIFY(merged.contains("item2.EMAIL;TYPE=INTERNET,pref:sam@new.example\r\n"));
    QCOMPARE(CardMerge::read(merged), local);

    // A number removed takes its label along: nothing is left orphaned.
    local = synced;
    local.mobil.clear();
    const QByteArray removed = CardMerge::merge(card, synced, local);
    QVERIFY2(!removed.contains("item1."), removed.constData());
    QVERIFY(removed.contains("item2.X-ABLabel"));
}

void TestCardMerge::aGroupedCardInAnyCaseIsRead()
{
    // A group on BEGIN and END, and property names in lower case, as the standard allows.
    const QByteArray card = "home.begin:vcard\r\nhome.version:3.0\r\nhome.uid:u\r\nhome.fn:Sam\r\n"
                            "home.tel;type=cell:0100\r\nhome.Email:sam@example.org\r\nhome.END:VCARD\r\n";
    QVERIFY(DavResponse::wholeCard(card));
    QVERIFY(DavResponse::wholeCard("Begin : VCard\nFN:x\nend:vcard"));
    QVERIFY(!DavResponse::wholeCard("BEGIN:VCARDS\nFN:x\nEND:VCARD"));
    QVERIFY(!DavResponse::wholeCard("home.BEGIN:VCARD\nFN:x\n"));
    QVERIFY(!DavResponse::wholeCard("BEGIN:VCARD"));
    const ContactFields synced = CardMerge::read(card);
    QCOMPARE(synced.name, QStringLiteral("Sam"));
    QCOMPARE(synced.mobil, QStringLiteral("0100"));
    QCOMPARE(synced.email, QStringLiteral("sam@example.org"));
    ContactFields local = synced;
    local.hometel = QStringLiteral("022");
    const QByteArray merged = CardMerge::merge(card, synced, local);
    QVERIFY2(merged.endsWith("home.END:VCARD\r\n"), merged.constData());
    QVERIFY(DavResponse::wholeCard(merged));
    QCOMPARE(CardMerge::read(merged), local);
}

QTEST_GUILESS_MAIN(TestCardMerge)
#include "tst_cardmerge.moc"
