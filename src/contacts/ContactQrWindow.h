#pragma once

#include "ContactFields.h"
#include "ContactValue.h"

#include <QDialog>
#include <QImage>
#include <QStringList>

class QLabel;
class SkinButton;

// A contact as a QR code that a phone's camera reads as a contact card (vCard 3.0, UTF-8): the
// name, numbers, e-mail, organisation and address, the notes only when they fit, then as many of
// its more values as fit (numbers and e-mails first, never the photo). What did not fit in one
// code is named under it. "حفظ كصورة..." saves it as a PNG.
class ContactQrWindow : public QDialog
{
    Q_OBJECT
public:
    ContactQrWindow(const ContactFields& contact, const MoreValues& more, QWidget* parent = nullptr);

    // The largest card of the contact that one readable code holds, and the Arabic names of what
    // was left out to make it fit: more values first (from the last kinds), then the notes and the
    // other optional fields, never the name or a number of the nine fields.
    static QByteArray fittingCard(const ContactFields& contact, const MoreValues& more, QStringList& leftOut);

    QImage codeImage() const { return m_image; }

    QLabel* code;
    QLabel* leftOutNote;
    SkinButton* cmdSave;
    SkinButton* cmdClose;

private:
    void saveImage();

    QString m_name;
    QImage m_image;
};
