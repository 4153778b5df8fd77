#pragma once

#include <QWidget>

#include <vector>

class QLabel;

// A status bar of the themed suite: panels addressed by number from 1, each with a text and a
// width in pixels, laid out from the leading (right) edge; painted in a colour scheme.
class SkinStatusBar : public QWidget
{
    Q_OBJECT
public:
    explicit SkinStatusBar(QWidget* parent = nullptr);

    int addPanel(int width, const QString& text = QString());
    int panelCount() const { return int(m_panels.size()); }
    void setPanelText(int number, const QString& text);
    QString panelText(int number) const;
    void setPanelWidth(int number, int width);
    int panelWidth(int number) const;
    void setPanelIcon(int number, const QIcon& icon);
    QLabel* panel(int number) const;

    void setColorScheme(int scheme);
    int colorScheme() const { return m_scheme; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void layoutPanels();

    std::vector<QLabel*> m_panels;
    int m_scheme = 2;
};
