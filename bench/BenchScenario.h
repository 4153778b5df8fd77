#pragma once

#include <QString>

#include <functional>
#include <memory>

class MainForm;

// The user's steps the benchmark times, run on the real main window: start-up until the
// directory list is painted, opening the big directory, searching it and saving one contact.
class BenchScenario
{
public:
    explicit BenchScenario(const QString& folder);
    ~BenchScenario();

    // Builds and shows the main window; returns after the directory list has been painted.
    bool start();
    MainForm& form() { return *m_form; }

    // Each returns the milliseconds until the list and the status bar are painted.
    double openDirectory(const QString& code);
    double search(const QString& text);
    // The same in another field, picked as the user does in the search menu (its item's name).
    double searchIn(const QString& menuItem, const QString& text);
    double saveContact(const QString& name);
    void goBack();
    // Scrolls the open list from top to bottom a screen at a time; returns the slowest step.
    double scrollThrough(int* steps = nullptr);

    static long peakResidentKb();
    // What the process holds now, in kB.
    static long residentKb();

private:
    void paintNow();
    double timeUntilPainted(const std::function<void()>& step);

    std::unique_ptr<MainForm> m_form;
};
