#include "BookPasswordDialog.h"

#include "SkinButton.h"
#include "SkinLabel.h"
#include "SkinTextBox.h"

BookPasswordDialog::BookPasswordDialog(const QString& prompt, const QString& giveUpCaption, Check accepts)
    : SmallDialog(QStringLiteral("كلمة مرور الدفتر"), 6000, 2760), m_accepts(std::move(accepts))
{
    SkinLabel* question = addLabel(prompt, 240, 160, 5400, 660);
    question->setWordWrap(true);
    tpassword = addBox(QStringLiteral("كلمة مرور الدفتر"), 240, 900, 5400, 390);
    tpassword->setEchoMode(QLineEdit::Password);
    tpassword->setBackColor(0xF3F3F3);
    refusal = addLabel(QString(), 240, 1380, 5400, 330);
    refusal->setStyleSheet(QStringLiteral("color: #b00020;"));
    refusal->setAccessibleName(QStringLiteral("سبب الرفض"));
    cmdOpen = addButton(QStringLiteral("فتح"), 4545, 2040, 1095, 390);
    cmdGiveUp = addButton(giveUpCaption, 240, 2040, 1095, 390);
    cmdOpen->setDefault(true);
    connect(cmdOpen, &QPushButton::clicked, this, &BookPasswordDialog::tryPassword);
    connect(cmdGiveUp, &QPushButton::clicked, this, &QDialog::reject);
    // Without a way out (a locked window), only the password leads on.
    cmdGiveUp->setVisible(!giveUpCaption.isEmpty());
    tpassword->setFocus();
}

void BookPasswordDialog::tryPassword()
{
    if (tpassword->text().isEmpty()) {
        refusal->setCaption(QStringLiteral("من فضلك اكتب كلمة المرور"));
        tpassword->setFocus();
        return;
    }
    if (!m_accepts(tpassword->text())) {
        refusal->setCaption(QStringLiteral("كلمة المرور غير صحيحة , حاول مرة أخرى"));
        tpassword->selectAll();
        tpassword->setFocus();
        return;
    }
    m_accepted = tpassword->text();
    // The box lets go of the password as soon as it has been taken.
    tpassword->clear();
    accept();
}

std::optional<QString> BookPasswordDialog::ask(const QString& prompt, const QString& giveUpCaption,
                                               const Check& accepts)
{
    BookPasswordDialog dialog(prompt, giveUpCaption, accepts);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.m_accepted;
}
