#pragma once

#include "BookSearchIndex.h"

#include <QWidget>

#include <memory>

class BookSearchResults;
class IndexReading;
class MainForm;
class QCheckBox;
class QLabel;
class QLineEdit;
class QMenu;
class QTableView;

// "البحث فى الدفتر كله...": one box that finds, as it is typed, any contact of any unlocked
// directory by any field: a name also by how it sounds, a number however it is written. A
// found contact is viewed, called, written to, edited or shown in its directory from here.
class BookSearchWindow : public QWidget
{
    Q_OBJECT
public:
    // Gives the main window the command, its Tools menu item and the start-up setting.
    static void install(MainForm& form);
    // The main window's one search window, made at its first use, brought to the front.
    static BookSearchWindow* showFor(MainForm& form);
    // At start-up, a book of kReadBehindFrom contacts or more that no session left its index in
    // is read behind the main window while the user begins, into the search window made hidden:
    // the first search finds it read.
    static void readAhead(MainForm& form);

    explicit BookSearchWindow(MainForm& main);
    ~BookSearchWindow() override;

    QLineEdit* searchBox;
    QLabel* summary;
    QTableView* results;
    QCheckBox* openAtStart;

    // The most contacts listed at once: more are counted, and narrowed by typing on.
    static constexpr qsizetype kListed = 200;
    // However small the screen, a column keeps room for a few letters.
    static constexpr int kNarrowestColumn = 48;
    // From about this many contacts, a search that read the whole book would keep the user
    // waiting past a keystroke's 50 ms (some 80 ms here): such a book is read ahead at start-up,
    // and whenever it must be read whole, behind the window.
    static constexpr qint64 kReadBehindFrom = 20000;

    // Runs the search for the box's text now (typing runs it at once too).
    void search();
    BookSearchResults* model() const { return m_model; }
    // Whether a large book is still being read: what is typed meanwhile is found once it is.
    bool reading() const { return m_reading != nullptr; }
    // The chosen contact's menu: view, call, write, copy a number, QR code, edit, its directory.
    void fillContactMenu(QMenu* menu);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    // The contacts are read as the window opens, so the first keystroke finds them at hand.
    void showEvent(QShowEvent* event) override;

private:
    QString foundMoreValue(const QString& name, const QString& query) const;
    void viewChosen();
    QStringList chosenColumns() const;
    // Whether a listed contact's directory was locked (or deleted) since the search.
    bool listsLockedContacts() const;
    void keepIndexCurrent();
    // The columns shared out over the list's width.
    void fitColumns(int width);
    void startReading();
    void takeReadIndex();

    MainForm& m_main;
    BookSearchIndex m_index;
    std::unique_ptr<IndexReading> m_reading;
    bool m_readBehind = true; // false once a read behind the window failed
    // A read behind just ended: none starts again at once but the one after another program wrote
    // during it.
    bool m_readAgain = false;
    BookSearchResults* m_model;
    bool m_fittingColumns = false;
    bool m_columnsSetByHand = false; // the user widened a column: the widths are theirs
};
