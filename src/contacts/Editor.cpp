#include "Editor.h"

#include "AppLook.h"
#include "ContactChanges.h"
#include "ContactFields.h"
#include "ContactLinks.h"
#include "ContactStore.h"
#include "ContactValueStore.h"
#include "FocusColour.h"
#include "LimitedTextEdit.h"
#include "MainForm.h"
#include "MessageBox.h"
#include "MoreValuesView.h"
#include "MoreValuesWindow.h"
#include "MsgBoxHook.h"
#include "OutsideText.h"
#include "PassedOver.h"
#include "SharedData.h"
#include "SkinButton.h"
#include "SkinTab.h"
#include "Transaction.h"
#include "TypingLimit.h"
#include "Units.h"

#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QScreen>
#include <QScrollBar>
#include <QTextCursor>

namespace
{

// Everything on the panel stands this much higher in the window than on the panel.
constexpr int kPanelTop = -240;
constexpr int kRightLabels = 6120;
constexpr int kLeftLabels = 2520;

// A typed digit of any of the scripts people use, as 0-9; 0 for anything that is no digit.
QChar asciiDigit(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return c;
    if (u >= 0x0660 && u <= 0x0669)
        return QChar(u'0' + (u - 0x0660));
    if (u >= 0x06F0 && u <= 0x06F9)
        return QChar(u'0' + (u - 0x06F0));
    return QChar();
}

// Only the digits of a text, as 0-9.
QString digitsOf(const QString& text)
{
    QString digits;
    for (const QChar c : text)
        if (const QChar digit = asciiDigit(c); !digit.isNull())
            digits += digit;
    return digits;
}

// The box that shows a one-line field; the notes have a box of their own.
QLineEdit* lineFor(const Editor& editor, QString ContactFields::*field)
{
    const std::pair<QString ContactFields::*, QLineEdit*> boxes[] = {
        {&ContactFields::name, editor.tname},    {&ContactFields::hometel, editor.hometel},
        {&ContactFields::jobtel, editor.jobtel}, {&ContactFields::mobil, editor.mobil},
        {&ContactFields::fax, editor.fax},       {&ContactFields::address, editor.address},
        {&ContactFields::email, editor.email},   {&ContactFields::org, editor.org},
    };
    for (const auto& [member, box] : boxes)
        if (member == field)
            return box;
    return nullptr;
}

} // namespace

Editor::Editor(MainForm& main) : m_main(main)
{
    setWindowTitle(QStringLiteral("سجل بيانات جديد"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setLayoutDirection(Qt::RightToLeft);
    setFixedSize(Units::px(7560), Units::px(5490));

    SkinTab1 = new SkinTab(this);
    SkinTab1->setGeometry(Units::rect(0, kPanelTop, 7695, 6375));

    tname = addLine(QStringLiteral("tname"), ContactFields::caption(&ContactFields::name), 200, {240, 600, 5775, 375},
                    kRightLabels);
    org = addLine(QStringLiteral("org"), ContactFields::caption(&ContactFields::org), 200, {240, 1080, 5775, 375},
                  kRightLabels);
    address = addLine(QStringLiteral("address"), ContactFields::caption(&ContactFields::address), 200,
                      {240, 1560, 5775, 375}, kRightLabels);
    hometel = addLine(QStringLiteral("hometel"), ContactFields::caption(&ContactFields::hometel), 20,
                      {3840, 2040, 2175, 375}, kRightLabels);
    jobtel = addLine(QStringLiteral("jobtel"), ContactFields::caption(&ContactFields::jobtel), 20,
                     {240, 2040, 2175, 375}, kLeftLabels);
    mobil = addLine(QStringLiteral("mobil"), ContactFields::caption(&ContactFields::mobil), 20, {3840, 2520, 2175, 375},
                    kRightLabels);
    fax = addLine(QStringLiteral("fax"), ContactFields::caption(&ContactFields::fax), 20, {240, 2520, 2175, 375},
                  kLeftLabels);
    email = addLine(QStringLiteral("email"), ContactFields::caption(&ContactFields::email), 200, {240, 3000, 5775, 375},
                    kRightLabels);
    QPalette blue = email->palette();
    blue.setColor(QPalette::Text, Units::bgr(0xFF0000));
    email->setPalette(blue);

    moreinfo = new LimitedTextEdit(kMoreInfoLimit, SkinTab1);
    moreinfo->setObjectName(QStringLiteral("moreinfo"));
    moreinfo->setAccessibleName(ContactFields::caption(&ContactFields::moreinfo));
    moreinfo->setFont(AppLook::arabicFont(11.25, true));
    moreinfo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    moreinfo->setTabChangesFocus(true);
    moreinfo->setGeometry(Units::rect(240, 3480, 5775, 1455));
    moreinfo->document()->setDefaultTextOption(QTextOption(Qt::AlignRight | Qt::AlignAbsolute));
    FocusColour::install(moreinfo);
    addLabelButton(ContactFields::caption(&ContactFields::moreinfo), moreinfo, {kRightLabels, 3480, 1215, 1455});

    dir = new QLineEdit(this);
    dir->setObjectName(QStringLiteral("dir"));
    dir->hide();

    CmdSave = new SkinButton(QStringLiteral("حفظ"), SkinTab1);
    CmdSave->setGeometry(Units::rect(1560, 5160, 1095, 390));
    cmdCancel = new SkinButton(QStringLiteral("إغلاق"), SkinTab1);
    cmdCancel->setGeometry(Units::rect(240, 5160, 1095, 390));
    cmdMore = new SkinButton(QStringLiteral("قيم أخرى..."), SkinTab1);
    cmdMore->setObjectName(QStringLiteral("cmdMore"));
    cmdMore->setGeometry(Units::rect(4560, 5160, 1455, 390));
    connect(cmdMore, &QPushButton::clicked, this, &Editor::editMoreValues);
    connect(CmdSave, &QPushButton::clicked, this, &Editor::save);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);

    // The name comes first; Tab then follows the order the fields stand in.
    QWidget* previous = nullptr;
    for (QWidget* field : visibleFields()) {
        if (previous)
            setTabOrder(previous, field);
        previous = field;
    }
    setTabOrder(previous, CmdSave);
    setTabOrder(CmdSave, cmdCancel);
    setTabOrder(cmdCancel, cmdMore);
    tname->setFocus();

    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        move(area.width() / 2 - width() / 2, area.height() / 2 - height() / 2);
    }
}

QLineEdit* Editor::addLine(const QString& name, const QString& label, int maxLength, QRect twips, int labelLeft)
{
    auto* box = new QLineEdit(SkinTab1);
    box->setObjectName(name);
    box->setAccessibleName(label);
    TypingLimit::install(box, maxLength);
    box->setFont(AppLook::arabicFont(11.25, true));
    box->setAlignment(Qt::AlignRight | Qt::AlignAbsolute);
    // Telephone numbers read left to right even inside right-to-left text ("+20 100").
    box->setLayoutDirection(maxLength == 20 ? Qt::LeftToRight : Qt::RightToLeft);
    box->setGeometry(Units::rect(twips.x(), twips.y(), twips.width(), twips.height()));
    box->installEventFilter(this);
    // A number dropped in could bring anything else with it; paste keeps only its digits.
    if (maxLength == 20)
        box->setAcceptDrops(false);
    FocusColour::install(box);
    addLabelButton(label, box, {labelLeft, twips.y(), 1215, 375});
    return box;
}

SkinButton* Editor::addLabelButton(const QString& caption, QWidget* field, QRect twips)
{
    auto* button = new SkinButton(caption, SkinTab1);
    button->setGeometry(Units::rect(twips.x(), twips.y(), twips.width(), twips.height()));
    button->setFocusPolicy(Qt::NoFocus);
    connect(button, &QPushButton::clicked, field, [field] { field->setFocus(); });
    return button;
}

void Editor::loadContact(const QStringList& columns)
{
    for (int i = 0; i < ContactFields::kCount; ++i) {
        const ContactField& field = ContactFields::kFields[size_t(i)];
        if (field.isOneLine())
            TypingLimit::load(lineFor(*this, field.member), columns.value(i));
        else
            moreinfo->setPlainText(columns.value(i));
    }
    dir->setText(columns.value(ContactFields::kCount));
    key = columns.value(0);
    more.clear();
    moreChanged = false;
    moreBefore.clear();
    // A book whose values cannot be read shows the nine fields; a save then leaves the values alone.
    PassedOver::note(ContactValueStore(SharedData::connection()).readByName(key, more), Q_FUNC_INFO);
    moreBefore = more;
}

void Editor::editMoreValues()
{
    MoreValuesWindow window(more, this);
    if (window.exec() != QDialog::Accepted)
        return;
    more = window.values();
    moreChanged = true;
}

void Editor::showMoreValues()
{
    cmdMore->hide();
    if (more.empty())
        return;
    // Below everything the window holds already, so nothing of it moves.
    auto* view = new MoreValuesView(more, this);
    const int height = Units::px(1500);
    view->setGeometry(Units::px(240), this->height(), width() - Units::px(480), height - Units::px(120));
    setFixedSize(width(), this->height() + height);
}

std::vector<QWidget*> Editor::visibleFields() const
{
    // The window's own order, top to bottom as the boxes stand, not the table's.
    return {tname, org, address, hometel, jobtel, mobil, fax, email, moreinfo};
}

void Editor::setFieldsReadOnly(bool readOnly)
{
    for (QWidget* field : visibleFields()) {
        if (auto* line = qobject_cast<QLineEdit*>(field))
            line->setReadOnly(readOnly);
        else if (auto* memo = qobject_cast<QPlainTextEdit*>(field))
            memo->setReadOnly(readOnly);
    }
}

QWidget* Editor::nextAfter(QWidget* field) const
{
    const std::vector<QWidget*> fields = visibleFields();
    for (size_t i = 0; i + 1 < fields.size(); ++i)
        if (fields[i] == field)
            return fields[i + 1];
    return nullptr;
}

bool Editor::isTelephone(QObject* field) const
{
    for (const auto number : ContactFields::membersOf<ContactField::Kind::Number>())
        if (field == lineFor(*this, number))
            return true;
    return false;
}

bool Editor::eventFilter(QObject* watched, QEvent* event)
{
    // In the view window a double-click on a number calls it, on the address writes to it.
    if (event->type() == QEvent::MouseButtonDblClick && !CmdSave->isVisible()) {
        if (isTelephone(watched) && !static_cast<QLineEdit*>(watched)->text().trimmed().isEmpty()) {
            ContactLinks::call(this, static_cast<QLineEdit*>(watched)->text());
            return true;
        }
        if (watched == email && !email->text().trimmed().isEmpty()) {
            ContactLinks::mail(this, email->text());
            return true;
        }
    }
    if (event->type() == QEvent::ContextMenu && isTelephone(watched)) {
        telephoneMenu(static_cast<QLineEdit*>(watched), static_cast<QContextMenuEvent*>(event)->globalPos());
        return true;
    }
    if (event->type() != QEvent::KeyPress)
        return QDialog::eventFilter(watched, event);
    auto* pressed = static_cast<QKeyEvent*>(event);
    if (pressed->key() == Qt::Key_Return || pressed->key() == Qt::Key_Enter) {
        // Enter walks to the next field; it never presses a button of the window.
        if (QWidget* next = nextAfter(qobject_cast<QWidget*>(watched)))
            next->setFocus();
        return true;
    }
    if (isTelephone(watched))
        return telephoneKey(static_cast<QLineEdit*>(watched), pressed);
    return QDialog::eventFilter(watched, event);
}

bool Editor::telephoneKey(QLineEdit* box, QKeyEvent* pressed)
{
    if (pressed->matches(QKeySequence::Paste)) {
        pasteDigits(box);
        return true;
    }
    // Only printable characters are filtered: Tab, Escape, Delete, the arrows and the clipboard
    // keys keep their usual meaning.
    const QString text = pressed->text();
    const bool printable =
        !text.isEmpty() && text.at(0).isPrint() && !(pressed->modifiers() & (Qt::ControlModifier | Qt::MetaModifier));
    if (!printable)
        return false;
    // Typed characters: digits only (Arabic-Indic digits are stored as 0-9).
    const QString digits = digitsOf(text);
    if (digits.size() != text.size())
        return true;
    if (digits != text && !box->isReadOnly()) {
        box->insert(digits);
        return true;
    }
    return false;
}

void Editor::pasteDigits(QLineEdit* box)
{
    if (box->isReadOnly())
        return;
    if (const QString digits = digitsOf(QGuiApplication::clipboard()->text()); !digits.isEmpty())
        box->insert(digits);
}

void Editor::telephoneMenu(QLineEdit* box, const QPoint& globalPos)
{
    // The box's own menu, whose paste keeps only the digits as typing does.
    QMenu* menu = box->createStandardContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    if (auto* paste = menu->findChild<QAction*>(QStringLiteral("edit-paste"))) {
        paste->disconnect(box);
        connect(paste, &QAction::triggered, box, [box] { pasteDigits(box); });
    }
    // A number can be called or copied from here, as from the contact list.
    if (!box->text().trimmed().isEmpty()) {
        QAction* first = menu->actions().value(0);
        QAction* call = new QAction(QStringLiteral("اتصال"), menu);
        call->setObjectName(QStringLiteral("callnumber"));
        connect(call, &QAction::triggered, this, [this, box] { ContactLinks::call(this, box->text()); });
        QAction* copy = new QAction(QStringLiteral("نسخ الرقم"), menu);
        copy->setObjectName(QStringLiteral("copynumber"));
        connect(copy, &QAction::triggered, box, [box] { ContactLinks::copyNumber(box->text()); });
        menu->insertActions(first, {call, copy});
        menu->insertSeparator(first);
    }
    menu->popup(globalPos);
}

void Editor::save()
{
    // Pasted text is outside text: control characters and direction controls never reach the book.
    if (OutsideText::oneLine(tname->text()).trimmed().isEmpty()) {
        SetMsgBoxHook(this);
        MessageBox::show(QStringLiteral("من فضلك أدخل الاسم"), MessageBox::Arabic | MessageBox::Information,
                         QStringLiteral("انتبه"));
        RemoveMsgBoxHook();
        tname->setFocus();
        return;
    }
    ContactStore store(SharedData::connection());
    DataResult written;
    // One Unicode spelling of each letter (NFC): a name typed with its marks in another order, or
    // a letter and its mark apart, is the same name as the one that looks the same.
    auto typed = [](const QString& text) { return text.normalized(QString::NormalizationForm_C); };
    ContactFields typedIn;
    for (const ContactField& field : ContactFields::kFields)
        typedIn.*field.member =
            typed(field.isOneLine() ? lineFor(*this, field.member)->text() : moreinfo->toPlainText());
    const ContactFields contact = OutsideText::contact(typedIn);
    qint64 row = -1;
    // What the edit replaces, so that it can be taken back.
    ContactFields before;
    QString dirBefore;
    bool known = false;
    if (mode == Mode::Edit)
        PassedOver::note(store.readByName(key, before, dirBefore, known), Q_FUNC_INFO);
    // An edit of a contact deleted or renamed meanwhile saves nothing, and the user must know.
    // The contact and its more values together, or neither.
    {
        Transaction transaction(SharedData::connection());
        written = transaction.begun();
        if (written && mode == Mode::Edit)
            written = store.updateByName(key, contact, dir->text());
        else if (written)
            written = store.insert(contact, dir->text(), &row);
        if (written && moreChanged) {
            qint64 at = row;
            if (mode == Mode::Edit)
                written = store.findByName(contact.name, at);
            if (written && at <= 0)
                written = DataResult{false, QStringLiteral("لم تعد جهة الاتصال %1 موجودة").arg(contact.name)};
            if (written)
                written = ContactValueStore(SharedData::connection()).replaceWithin(at, contact.name, more);
        }
        if (written)
            written = transaction.commit();
    }
    if (written && mode == Mode::Add)
        m_main.undoHistory().record(ContactChanges::added(contact, dir->text(), moreChanged ? more : MoreValues()));
    else if (written && known)
        m_main.undoHistory().record(
            ContactChanges::edited(before, dirBefore, contact, dir->text(),
                                   moreChanged ? std::optional(std::pair(moreBefore, more)) : std::nullopt));
    if (!written) {
        // A duplicate name in any directory, or any database failure: nothing is lost, the
        // window stays open with everything typed.
        SetMsgBoxHook(this);
        MessageBox::show(QStringLiteral("عفوا .. لايمكن حفظ البيانات , ربما حدث خطأ فى قاعدة البيانات أو الاسم الذى "
                                        "أدخلته مكرر فى هذا الدليل أو فى دليل آخر , تأكد من الاسم الذى أدخلته ثم أعد "
                                        "المحاولة"),
                         MessageBox::Arabic | MessageBox::Critical, QStringLiteral("خطأ"));
        RemoveMsgBoxHook();
        return;
    }
    m_main.refreshAfterWrite(BookChange::Contacts);
    accept();
}
