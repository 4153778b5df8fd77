// Colour themes and the background sound, and how both are kept between runs.
#include "AppLook.h"
#include "MainForm.h"
#include "MainMenus.h"
#include "MainWindowControls.h"
#include "MainWindowUser.h"
#include "Preferences.h"
#include "ScriptedFileChooser.h"
#include "ScriptedMessageBox.h"
#include "SettingsStore.h"
#include "SkinHookMenu.h"
#include "SkinStatusBar.h"
#include "SkinToolBar.h"
#include "SoundPlayer.h"
#include "TestDatabase.h"
#include "WindowTestFixture.h"

#include <QAction>
#include <QCloseEvent>
#include <QMenu>
#include <QSettings>
#include <QtTest>

namespace
{
const QString kApp = QStringLiteral("Mirz");
}

class TestThemeSounds : public QObject, public WindowTestFixture
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void firstStartAppliesAndStoresSilverAndPlaysTheDefault();
    void sectionAndKeyNamesIgnoreCase();
    void lowerCaseThemeAppliesNothing();
    void greenSurvivesARestart();
    void nonNumericValueLeavesSoundOff();
    void switchingOffStopsAndIsRemembered();
    void choosingAFileWhileOffSwitchesOnAndPlaysIt();
    void soundsMenuEnablesOnlyTheChangingItem();
    void emptyStoredPathPlaysTheDefault();
    void closingTheWindowStopsTheSound();
    void aTimedSyncSetByAnEarlierVersionIsKept();

private:
    QStringList m_played;
    int m_stops = 0;
};

void TestThemeSounds::init()
{
    AppLook::apply(*qApp);
    openFixture();
    m_played.clear();
    m_stops = 0;
    SoundPlayer::setBackend({[this](const QString& path) { m_played << path; }, [this] { ++m_stops; }});
}

void TestThemeSounds::cleanup()
{
    closeFixture();
}

void TestThemeSounds::firstStartAppliesAndStoresSilverAndPlaysTheDefault()
{
    QVERIFY(!QFile::exists(SettingsStore::fileFor(kApp)));
    m_form = MainWindowUser::start();
    QCOMPARE(SettingsStore::read(kApp, QStringLiteral("Theme"), QStringLiteral("Color"), QString()),
             QStringLiteral("Silver"));
    QVERIFY(controls(*m_form).menus->themesilver->isChecked());
    QVERIFY(!controls(*m_form).menus->themeblue->isChecked());
    QCOMPARE(controls(*m_form).SkinToolBar1->colorScheme(), 2);
    QCOMPARE(controls(*m_form).statbar->colorScheme(), 2);
    QCOMPARE(controls(*m_form).StatusBar->colorScheme(), 2);
    QCOMPARE(controls(*m_form).SkinHookMenu1->colorScheme(), 2);
    QVERIFY(m_form->soundOn());
    QCOMPARE(m_played, QStringList{m_db->folder() + QStringLiteral("/bg.wav")});
    // Reading the sound settings created no entries.
    QCOMPARE(SettingsStore::read(kApp, QStringLiteral("Sound"), QStringLiteral("Value"), QStringLiteral("none")),
             QStringLiteral("none"));
}

void TestThemeSounds::sectionAndKeyNamesIgnoreCase()
{
    SettingsStore::write(kApp, QStringLiteral("Theme"), QStringLiteral("Color"), QStringLiteral("Blue"));
    QCOMPARE(SettingsStore::read(kApp, QStringLiteral("theme"), QStringLiteral("COLOR"), QString()),
             QStringLiteral("Blue"));
    SettingsStore::write(kApp, QStringLiteral("THEME"), QStringLiteral("color"), QStringLiteral("Green"));
    QCOMPARE(SettingsStore::read(kApp, QStringLiteral("Theme"), QStringLiteral("Color"), QString()),
             QStringLiteral("Green"));
    QSettings raw(SettingsStore::fileFor(kApp), QSettings::IniFormat);
    QCOMPARE(raw.allKeys().size(), 1);
}

void TestThemeSounds::lowerCaseThemeAppliesNothing()
{
    SettingsStore::write(kApp, QStringLiteral("Theme"), QStringLiteral("Color"), QStringLiteral("blue"));
    m_form = MainWindowUser::start();
    QVERIFY(!controls(*m_form).menus->themeblue->isChecked());
    QVERIFY(!controls(*m_form).menus->themegreen->isChecked());
    QVERIFY(!controls(*m_form).menus->themesilver->isChecked());
    QCOMPARE(controls(*m_form).SkinToolBar1->colorScheme(), 2); // blue, the first start's theme
    QCOMPARE(SettingsStore::read(kApp, QStringLiteral("Theme"), QStringLiteral("Color"), QString()),
             QStringLiteral("blue"));
}

void TestThemeSounds::greenSurvivesARestart()
{
    m_form = MainWindowUser::start();
    controls(*m_form).menus->themegreen->trigger();
    QCOMPARE(controls(*m_form).SkinToolBar1->colorScheme(), 1);
    QVERIFY(controls(*m_form).menus->themegreen->isChecked());
    QVERIFY(!controls(*m_form).menus->themesilver->isChecked());
    m_form.reset();
    m_form = MainWindowUser::start();
    QVERIFY(controls(*m_form).menus->themegreen->isChecked());
    QCOMPARE(controls(*m_form).statbar->colorScheme(), 1);
    controls(*m_form).menus->themeblue->trigger();
    QCOMPARE(controls(*m_form).SkinHookMenu1->colorScheme(), 0);
}

void TestThemeSounds::nonNumericValueLeavesSoundOff()
{
    SettingsStore::write(kApp, QStringLiteral("Sound"), QStringLiteral("Value"), QStringLiteral("yes"));
    m_form = MainWindowUser::start();
    QVERIFY(!m_form->soundOn());
    QVERIFY(m_played.isEmpty());
    SettingsStore::write(kApp, QStringLiteral("Sound"), QStringLiteral("Value"), QStringLiteral("2"));
    m_form = MainWindowUser::start();
    QVERIFY(!m_form->soundOn());
}

void TestThemeSounds::switchingOffStopsAndIsRemembered()
{
    m_form = MainWindowUser::start();
    controls(*m_form).menus->SNDOFF->trigger();
    QVERIFY(!m_form->soundOn());
    QCOMPARE(m_stops, 1);
    QCOMPARE(SettingsStore::read(kApp, QStringLiteral("Sound"), QStringLiteral("Value"), QString()),
             QStringLiteral("0"));
    m_played.clear();
    m_form = MainWindowUser::start();
    QVERIFY(m_played.isEmpty());
    controls(*m_form).menus->SNDON->trigger();
    QCOMPARE(m_played.size(), 1);
    QCOMPARE(SettingsStore::read(kApp, QStringLiteral("Sound"), QStringLiteral("Value"), QString()),
             QStringLiteral("1"));
}

void TestThemeSounds::choosingAFileWhileOffSwitchesOnAndPlaysIt()
{
    SettingsStore::write(kApp, QStringLiteral("Sound"), QStringLiteral("Value"), QStringLiteral("0"));
    m_form = MainWindowUser::start();
    const QString chime = m_db->folder() + QStringLiteral("/chime.wav");
    m_chooser->answer(chime);
    controls(*m_form).menus->bgchange->trigger();
    QCOMPARE(m_chooser->asked().last().filter, QStringLiteral("WAV SOUNDS|*.wav"));
    QVERIFY(m_form->soundOn());
    QCOMPARE(m_played, QStringList{chime});
    QCOMPARE(SettingsStore::read(kApp, QStringLiteral("Sound"), QStringLiteral("Path"), QString()), chime);
    // Cancelling the chooser changes nothing.
    controls(*m_form).menus->bgchange->trigger();
    QCOMPARE(m_played.size(), 1);
}

void TestThemeSounds::soundsMenuEnablesOnlyTheChangingItem()
{
    m_form = MainWindowUser::start();
    emit controls(*m_form).menus->sounds->aboutToShow();
    QVERIFY(!controls(*m_form).menus->SNDON->isEnabled());
    QVERIFY(controls(*m_form).menus->SNDOFF->isEnabled());
    controls(*m_form).menus->SNDOFF->trigger();
    emit controls(*m_form).menus->sounds->aboutToShow();
    QVERIFY(controls(*m_form).menus->SNDON->isEnabled());
    QVERIFY(!controls(*m_form).menus->SNDOFF->isEnabled());
}

void TestThemeSounds::emptyStoredPathPlaysTheDefault()
{
    SettingsStore::write(kApp, QStringLiteral("Sound"), QStringLiteral("Path"), QString());
    m_form = MainWindowUser::start();
    QCOMPARE(m_played, QStringList{m_db->folder() + QStringLiteral("/bg.wav")});
}

void TestThemeSounds::closingTheWindowStopsTheSound()
{
    m_form = MainWindowUser::start();
    QCloseEvent close;
    QCoreApplication::sendEvent(m_form.get(), &close);
    QCOMPARE(m_stops, 1);
}

void TestThemeSounds::aTimedSyncSetByAnEarlierVersionIsKept()
{
    // An earlier version kept the timed sync in a file of its own, under Arabic keys.
    SettingsStore::write(QStringLiteral("QAV Telephone"), QStringLiteral("Sync"), QStringLiteral("مزامنة تلقائية"),
                         QStringLiteral("1"));
    SettingsStore::write(QStringLiteral("QAV Telephone"), QStringLiteral("Sync"), QStringLiteral("دقائق المزامنة"),
                         QStringLiteral("40"));
    QVERIFY(Preferences::autoSync());
    QCOMPARE(Preferences::autoSyncMinutes(), 40);
    // Changed once, it lives in Mirz.ini with the other preferences, and wins from then on.
    Preferences::setAutoSync(false, 25);
    QVERIFY(!Preferences::autoSync());
    QCOMPARE(Preferences::autoSyncMinutes(), 25);
    QCOMPARE(SettingsStore::read(kApp, QStringLiteral("Sync"), QStringLiteral("Minutes"), QString()),
             QStringLiteral("25"));
}

QTEST_MAIN(TestThemeSounds)
#include "tst_themesounds.moc"
