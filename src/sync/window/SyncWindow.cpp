#include "SyncWindow.h"

#include "AddressBookFinder.h"
#include "BookAddress.h"
#include "CardDavClient.h"
#include "DirectoryStore.h"
#include "MainForm.h"
#include "MessageBox.h"
#include "PassedOver.h"
#include "Preferences.h"
#include "SecretStore.h"
#include "SharedData.h"
#include "SkinButton.h"
#include "SyncCommands.h"
#include "SyncStore.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>

#include <sqlite3.h>

namespace
{
const QString kTitle = QStringLiteral("مزامنة");
constexpr int kUrlRole = Qt::UserRole;         // a book's address; for the new book, the home
constexpr int kNewBookRole = Qt::UserRole + 1; // the item that makes a new book
} // namespace

SyncWindow::SyncWindow(MainForm& form) : QDialog(&form), m_form(form)
{
    setWindowTitle(kTitle);
    setObjectName(QStringLiteral("SyncWindow"));
    setLayoutDirection(Qt::RightToLeft);
    auto* layout = new QVBoxLayout(this);
    auto* fields = new QFormLayout;
    auto named = [](QWidget* widget, const char* name, const QString& accessible) {
        widget->setObjectName(QLatin1String(name));
        widget->setAccessibleName(accessible);
    };
    directory = new QComboBox(this);
    named(directory, "syncDirectory", QStringLiteral("الدليل"));
    fields->addRow(QStringLiteral("الدليل :"), directory);
    linkState = new QLabel(this);
    linkState->setObjectName(QStringLiteral("syncLinkState"));
    linkState->setWordWrap(true);
    fields->addRow(QString(), linkState);
    server = new QLineEdit(this);
    named(server, "syncServer", QStringLiteral("عنوان الخادم"));
    server->setPlaceholderText(QStringLiteral("https://example.org"));
    server->setLayoutDirection(Qt::LeftToRight);
    fields->addRow(QStringLiteral("عنوان الخادم :"), server);
    user = new QLineEdit(this);
    named(user, "syncUser", QStringLiteral("اسم المستخدم"));
    user->setLayoutDirection(Qt::LeftToRight);
    fields->addRow(QStringLiteral("اسم المستخدم :"), user);
    password = new QLineEdit(this);
    named(password, "syncPassword", QStringLiteral("كلمة المرور"));
    password->setEchoMode(QLineEdit::Password);
    password->setLayoutDirection(Qt::LeftToRight);
    fields->addRow(QStringLiteral("كلمة المرور :"), password);
    layout->addLayout(fields);

    findBooks = new SkinButton(QStringLiteral("البحث عن دفاتر العناوين"), this);
    findBooks->setObjectName(QStringLiteral("syncFindBooks"));
    layout->addWidget(findBooks);
    books = new QListWidget(this);
    named(books, "syncBooks", QStringLiteral("دفاتر العناوين على الخادم"));
    books->setMinimumHeight(110);
    layout->addWidget(books, 1);

    auto* linkRow = new QHBoxLayout;
    linkButton = new SkinButton(QStringLiteral("ربط"), this);
    linkButton->setObjectName(QStringLiteral("syncLink"));
    unlinkButton = new SkinButton(QStringLiteral("إلغاء الربط"), this);
    unlinkButton->setObjectName(QStringLiteral("syncUnlink"));
    syncNow = new SkinButton(QStringLiteral("مزامنة الآن"), this);
    syncNow->setObjectName(QStringLiteral("syncNow"));
    linkRow->addWidget(linkButton);
    linkRow->addWidget(unlinkButton);
    linkRow->addWidget(syncNow);
    layout->addLayout(linkRow);

    auto* scheduleRow = new QHBoxLayout;
    autoSync = new QCheckBox(QStringLiteral("مزامنة عند بدء التشغيل وكل"), this);
    autoSync->setObjectName(QStringLiteral("syncAuto"));
    minutes = new QSpinBox(this);
    named(minutes, "syncMinutes", QStringLiteral("دقائق المزامنة"));
    minutes->setRange(1, 24 * 60);
    scheduleRow->addWidget(autoSync);
    scheduleRow->addWidget(minutes);
    scheduleRow->addWidget(new QLabel(QStringLiteral("دقيقة"), this));
    scheduleRow->addStretch(1);
    layout->addLayout(scheduleRow);

    closeButton = new SkinButton(QStringLiteral("إغلاق"), this);
    closeButton->setObjectName(QStringLiteral("syncClose"));
    layout->addWidget(closeButton, 0, Qt::AlignLeft);

    autoSync->setChecked(SyncCommands::autoSyncOn());
    minutes->setValue(SyncCommands::autoSyncMinutes());
    fillDirectories();
    showLinkState();

    connect(directory, &QComboBox::currentIndexChanged, this, &SyncWindow::showLinkState);
    connect(findBooks, &SkinButton::clicked, this, &SyncWindow::findAddressBooks);
    connect(linkButton, &SkinButton::clicked, this, &SyncWindow::linkDirectory);
    connect(unlinkButton, &SkinButton::clicked, this, &SyncWindow::unlinkDirectory);
    connect(syncNow, &SkinButton::clicked, this, &SyncWindow::syncAll);
    connect(closeButton, &SkinButton::clicked, this, &QDialog::accept);
    auto saveSchedule = [this] {
        SyncCommands::setAutoSync(autoSync->isChecked(), minutes->value());
        SyncCommands::applySchedule(m_form);
    };
    connect(autoSync, &QCheckBox::toggled, this, saveSchedule);
    connect(minutes, &QSpinBox::valueChanged, this, saveSchedule);
    resize(520, 480);
}

void SyncWindow::fillDirectories()
{
    // Locked directories are left out: their contacts show only to someone who typed the password.
    QList<Directory> unlocked;
    PassedOver::note(DirectoryStore(SharedData::connection()).unlocked(unlocked), Q_FUNC_INFO);
    for (const Directory& each : unlocked)
        directory->addItem(each.name, each.code);
    const QString selected =
        m_form.viewState() == ViewState::Contacts ? m_form.currentDirectory() : m_form.selectedDirectoryCode();
    if (const int at = directory->findData(selected); at >= 0)
        directory->setCurrentIndex(at);
}

QString SyncWindow::selectedCode() const
{
    return directory->currentData().toString();
}

void SyncWindow::showLinkState()
{
    SyncStore store(SharedData::connection());
    std::optional<SyncLink> link = store.link(selectedCode());
    if (!link) {
        const std::vector<SyncLink> links = store.links();
        if (!links.empty() && server->text().isEmpty()) { // the account most likely wanted again
            server->setText(links.front().server);
            user->setText(links.front().user);
        }
    } else {
        server->setText(link->server);
        user->setText(link->user);
    }
    linkState->setText(link ? QStringLiteral("مربوط بدفتر العناوين: %1").arg(link->book)
                            : QStringLiteral("غير مربوط بدفتر عناوين"));
    unlinkButton->setEnabled(link.has_value());
    linkButton->setEnabled(directory->count() > 0);
}

void SyncWindow::tell(const QString& text, bool failure)
{
    MessageBox::show(text, MessageBox::Arabic | (failure ? MessageBox::Critical : MessageBox::Information), kTitle);
}

// A user name and password typed into the address go to their own fields: the address is stored
// and shown without them.
void SyncWindow::takeCredentialsFromAddress()
{
    const QUrl typed = AddressBookFinder::serverUrl(server->text());
    if (typed.userInfo().isEmpty())
        return;
    if (!typed.userName().isEmpty())
        user->setText(typed.userName());
    if (!typed.password().isEmpty())
        password->setText(typed.password());
    server->setText(BookAddress::withoutCredentials(typed).toString());
}

// Plain http to another machine is asked about before anything that could carry the password
// goes there; the answer Yes is kept for that server on this machine, and every sync asks it.
bool SyncWindow::insecureAllowed(const QUrl& url)
{
    if (!BookAddress::insecure(url) || Preferences::plainHttpAgreed(BookAddress::origin(url)))
        return true;
    const bool agreed =
        MessageBox::show(QStringLiteral("العنوان %1 غير مشفر (http): كلمة المرور وجهات الاتصال ترسل عبر الشبكة "
                                        "مقروءة لكل من يراها. هل تريد المتابعة؟")
                             .arg(url.toDisplayString(QUrl::RemoveUserInfo)),
                         MessageBox::Arabic | MessageBox::YesNo | MessageBox::Exclamation | MessageBox::DefaultButton2,
                         kTitle) == MessageBox::Yes;
    if (agreed)
        Preferences::agreePlainHttp(BookAddress::origin(url));
    return agreed;
}

void SyncWindow::findAddressBooks()
{
    takeCredentialsFromAddress();
    if (server->text().trimmed().isEmpty() || user->text().trimmed().isEmpty()) {
        tell(QStringLiteral("اكتب عنوان الخادم واسم المستخدم"), true);
        return;
    }
    if (!insecureAllowed(AddressBookFinder::serverUrl(server->text())))
        return;
    CardDavClient client(user->text().trimmed(), password->text());
    client.setTimeout(30000);
    AddressBookFinder finder(client);
    std::vector<AddressBook> found;
    setCursor(Qt::BusyCursor);
    const bool ok = finder.find(server->text(), found);
    unsetCursor();
    if (!ok) {
        tell(finder.error(), true);
        return;
    }
    books->clear();
    auto* fresh = new QListWidgetItem(QStringLiteral("دفتر عناوين جديد باسم الدليل"), books);
    fresh->setData(kUrlRole, finder.home().toString());
    fresh->setData(kNewBookRole, true);
    for (const AddressBook& book : found) {
        auto* item = new QListWidgetItem(book.name, books);
        item->setData(kUrlRole, book.url.toString());
        item->setToolTip(book.url.toString());
    }
    books->setCurrentRow(found.empty() ? 0 : 1);
    if (!finder.elsewhere().empty()) {
        QStringList refused;
        for (const QUrl& book : finder.elsewhere())
            refused << AddressBookFinder::elsewhereMessage(book, AddressBookFinder::serverUrl(server->text()));
        tell(refused.join(QLatin1Char('\n')), true);
    }
}

void SyncWindow::linkDirectory()
{
    takeCredentialsFromAddress();
    QListWidgetItem* chosen = books->currentItem();
    if (!chosen) {
        tell(QStringLiteral("ابحث عن دفاتر العناوين أولا ثم اختر واحدا منها"), true);
        return;
    }
    const QString account = user->text().trimmed();
    QString book = chosen->data(kUrlRole).toString();
    // The server's address may have been changed since the books were found: a book links only
    // on the server shown.
    const QUrl typed = AddressBookFinder::serverUrl(server->text());
    if (!CardDavClient::sameOrigin(QUrl(book), typed)) {
        tell(AddressBookFinder::elsewhereMessage(QUrl(book), typed), true);
        return;
    }
    if (!insecureAllowed(QUrl(book)))
        return;
    if (const std::optional<QString> other =
            SyncStore(SharedData::connection())
                .otherDirectoryOf(BookAddress::isBookAt(BookAddress::key(QUrl(book))), selectedCode());
        other && !chosen->data(kNewBookRole).toBool()) {
        tell(QStringLiteral("دفتر العناوين هذا مربوط بالفعل بالدليل \"%1\"").arg(*other), true);
        return;
    }
    if (chosen->data(kNewBookRole).toBool()) {
        CardDavClient client(account, password->text());
        client.setTimeout(30000);
        AddressBookFinder finder(client);
        AddressBook made; // in the home the search found, kept with the "new book" item
        if (!finder.create(QUrl(book), directory->currentText(), made)) {
            tell(finder.error(), true);
            return;
        }
        book = made.url.toString();
    }
    const SyncLink link{selectedCode(), AddressBookFinder::serverUrl(server->text()).toString(), account, book, {}};
    if (DataResult saved = SyncStore(SharedData::connection()).saveLink(link); !saved) {
        tell(QStringLiteral("تعذر حفظ الربط: %1").arg(saved.error), true);
        return;
    }
    const QString key = SecretStore::account(account, book);
    SyncCommands::rememberPassword(key, password->text());
    QString text = QStringLiteral("تم ربط الدليل \"%1\" بدفتر العناوين %2").arg(directory->currentText(), book);
    if (!SecretStore::instance().write(key, password->text()))
        text += QStringLiteral("\nلا تعمل خزنة كلمات مرور على هذا الجهاز: سيسأل البرنامج عن كلمة المرور عند كل "
                               "مزامنة ولن يحفظها");
    SyncCommands::showLinks(m_form);
    showLinkState();
    tell(text, false);
}

void SyncWindow::unlinkDirectory()
{
    SyncStore store(SharedData::connection());
    const std::optional<SyncLink> before = store.link(selectedCode());
    if (DataResult removed = store.removeLink(selectedCode()); !removed) {
        tell(QStringLiteral("تعذر إلغاء الربط: %1").arg(removed.error), true);
        return;
    }
    // The account's password goes with its last link, from the secret store and from memory.
    if (before)
        SyncCommands::forgetUnlessUsed(*before);
    SyncCommands::showLinks(m_form);
    showLinkState();
}

void SyncWindow::syncAll()
{
    // A password typed here is the one to use now, for the account shown.
    if (const std::optional<SyncLink> link = SyncStore(SharedData::connection()).link(selectedCode());
        link && !password->text().isEmpty())
        SyncCommands::rememberPassword(SecretStore::account(link->user, link->book), password->text());
    SyncCommands::syncAll(m_form);
}
