#pragma once

#include "SmallDialog.h"

#include <functional>
#include <optional>

// Asks for the master password of a protected book. A wrong password is said in the window and
// asked again; giving up (Escape, the close box, the second button) gives no password. Without
// a caption for giving up there is no second button.
class BookPasswordDialog : public SmallDialog
{
    Q_OBJECT
public:
    using Check = std::function<bool(const QString& password)>;
    BookPasswordDialog(const QString& prompt, const QString& giveUpCaption, Check accepts);

    // The password accepts() took, or none when the user gave up.
    static std::optional<QString> ask(const QString& prompt, const QString& giveUpCaption, const Check& accepts);

    SkinTextBox* tpassword;
    SkinLabel* refusal;
    SkinButton* cmdOpen;
    SkinButton* cmdGiveUp;

private:
    void tryPassword();

    Check m_accepts;
    QString m_accepted;
};
