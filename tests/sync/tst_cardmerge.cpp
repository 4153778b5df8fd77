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
    void moreValuesGoBackToTheirOwnProperties();
    void aHostileCardIsTakenWithinBounds();
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

void TestCardMerge::moreValuesGoBackToTheirOwnProperties()
{
    const QByteArray card = "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Sam\r\nTEL;TYPE=CELL:0100\r\nTEL;TYPE=CELL:0111\r\n"
                            "item1.TEL;TYPE=pref:0122\r\nitem1.X-ABLabel:boat\r\nEMAIL:a@x.example\r\n"
                            "EMAIL;TYPE=WORK:b@x.example\r\nBDAY;X-QAV-HIJRI=1410-01-01:1989-08-03\r\n"
                            "CATEGORIES:x\r\nEND:VCARD\r\n";
    const CardMerge::Read synced = CardMerge::readAll(card);
    QCOMPARE(synced.fields.mobil, QStringLiteral("0100"));
    QVERIFY(synced.fields.moreinfo.isEmpty());
    QCOMPARE(synced.more.size(), size_t(4));
    QCOMPARE(synced.more[3].calendar, QString::fromLatin1(ContactValue::kHijri));

    // The label's number edited, the second mobile removed, the work e-mail kept, a web page added:
    // the group and its label stay, nothing else moves.
    MoreValues local = synced.more;
    local[1].value = QStringLiteral("0133");
    local.erase(local.begin());
    local.insert(local.begin() + 2,
                 {ContactValue::Kind::Web, QString(), QStringLiteral("https://sam.example"), QString()});
    const QByteArray merged = CardMerge::merge(card, synced.fields, synced.fields, synced.more, local);
    QVERIFY2(merged.contains("item1.TEL;TYPE=pref:0133\r\nitem1.X-ABLabel:boat\r\n"), merged.constData());
    QVERIFY(!merged.contains("0111") && !merged.contains("0122"));
    QVERIFY(merged.contains("EMAIL;TYPE=WORK:b@x.example\r\nBDAY;X-QAV-HIJRI=1410-01-01:1989-08-03\r\nCATEGORIES:x\r\n"
                            "URL:https://sam.example\r\nEND:VCARD"));
    QCOMPARE(CardMerge::readAll(merged).more, local);
    QCOMPARE(CardMerge::readAll(merged).fields, synced.fields);

    // A new label for a value: it is written anew, in a group of its own, and the old label goes.
    local = synced.more;
    local[1].label = QStringLiteral("car");
    const QByteArray relabelled = CardMerge::merge(card, synced.fields, synced.fields, synced.more, local);
    QVERIFY2(!relabelled.contains("boat") && !relabelled.contains("item1."), relabelled.constData());
    QCOMPARE(CardMerge::readAll(relabelled).more, local);
}

void TestCardMerge::aHostileCardIsTakenWithinBounds()
{
    // Ten thousand numbers, a label that would turn text around and steer a terminal, a birthday
    // that is no date: the contact takes what it can hold, says how many values it left on the
    // card, and a change here leaves the rest of the card as it was.
    const QByteArray labelled = "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:x\r\nEMAIL:a@x.example\r\nitem1.EMAIL:e@x.example\r\n"
                                "item1.X-ABLabel:\xE2\x80\xAE"
                                "evil\x1B[31m\r\nBDAY:not a date\r\nEND:VCARD\r\n";
    const MoreValues label = CardMerge::readAll(labelled).more;
    QCOMPARE(label.size(), size_t(1)); // the birthday that is no date is left on the card
    QCOMPARE(label.front().label, QStringLiteral("evil[31m"));
    // A label longer than the book keeps would come back as no value, and the next sync would take
    // that for a deletion here: it is left on the card.
    QCOMPARE(CardMerge::readAll(QByteArray(labelled).replace("evil", QByteArray(5000, 'l'))).leftOnCard, 1);

    QByteArray card = "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Many\r\n";
    for (int i = 0; i < 10000; ++i)
        card += "TEL;TYPE=CELL:" + QByteArray::number(100000 + i) + "\r\n";
    card += "END:VCARD\r\n";
    const CardMerge::Read read = CardMerge::readAll(card);
    QCOMPARE(read.more.size(), CardMerge::kMostValues);
    QCOMPARE(read.leftOnCard, int(10000 - 1 - CardMerge::kMostValues));

    MoreValues local = read.more;
    local[5].value = QStringLiteral("999");
    const QByteArray merged = CardMerge::merge(card, read.fields, read.fields, read.more, local);
    QByteArray expected = card;
    expected.replace("TEL;TYPE=CELL:100006\r\n", "TEL;TYPE=CELL:999\r\n");
    QCOMPARE(merged, expected);
}

QTEST_GUILESS_MAIN(TestCardMerge)
#include "tst_cardmerge.moc"
