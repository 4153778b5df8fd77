#pragma once

#include "ContactFields.h"

#include <QString>

#include <vector>

class MainForm;

// Sends the chosen contacts as one vCard file attached to a new message in the desktop's mail
// composer (xdg-email). Without a composer that takes it, the file is saved where the user
// chooses and its folder shown, to attach by hand.
class CardMail
{
public:
    static void send(MainForm& form);

    // The attachment's file name: the contact's name, or a plain word for several, made safe
    // as a single file name.
    static QString fileName(const std::vector<ContactFields>& contacts);

private:
    // The contacts to send: those chosen in the open directory, never a closed directory's.
    static std::vector<ContactFields> chosen(MainForm& form);
    // True when the composer took the file.
    static bool composeWith(const QString& file);
    static void saveInstead(MainForm& form, const QByteArray& card, const QString& name);
};
