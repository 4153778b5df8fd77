#pragma once

#include <QDialog>

class MainForm;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QSpinBox;
class SkinButton;
class QUrl;

// "مزامنة": the server, the user and the password; the user's address books, found on the
// server; a directory linked to one of them (or to a new one named after it); sync now; and
// the sync at start-up and every N minutes.
class SyncWindow : public QDialog
{
    Q_OBJECT
public:
    explicit SyncWindow(MainForm& form);

    QComboBox* directory;
    QLineEdit *server, *user, *password;
    QListWidget* books;
    QLabel* linkState;
    SkinButton *findBooks, *linkButton, *unlinkButton, *syncNow, *closeButton;
    QCheckBox* autoSync;
    QSpinBox* minutes;

private:
    void fillDirectories();
    void showLinkState();
    void takeCredentialsFromAddress();
    bool insecureAllowed(const QUrl& url);
    void findAddressBooks();
    void linkDirectory();
    void unlinkDirectory();
    void syncAll();
    void tell(const QString& text, bool failure);
    QString selectedCode() const;

    MainForm& m_form;
};
