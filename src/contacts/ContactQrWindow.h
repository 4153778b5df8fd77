#pragma once

#include "ContactFields.h"

#include <QDialog>
#include <QImage>
#include <QStringList>

class QLabel;
class SkinButton;

// A contact as a QR code that a phone's camera reads as a contact card (vCard 3.0, UTF-8): the
// name, numbers, e-mail, organisation and address, the notes only when they fit. What did not
// fit in one code is named under it. "حفظ كصورة..." saves it as a PNG.
class ContactQrWindow : public QDialog
{
    Q_OBJECT
public:
    ContactQrWindow(const ContactFields& contact, QWidget* parent = nullptr);

    // The largest card of the contact that one readable code holds, and the Arabic names of the
    // fields left out to make it fit (the notes first, never the name or a number).
    static QByteArray fittingCard(const ContactFields& contact, QStringList& leftOut);

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
