#pragma once

#include <QFrame>

class QLabel;
class QToolButton;

// A captioned frame of the themed suite; optionally with a close button on its caption band
// whose press raises closeRequested(). Children are placed freely inside it.
class SkinFrame : public QFrame
{
    Q_OBJECT
public:
    explicit SkinFrame(const QString& caption = QString(), QWidget* parent = nullptr);

    void setCaption(const QString& caption);
    QString caption() const;
    void setCloseButton(bool shown);
    bool hasCloseButton() const;
    QToolButton* closeButton() const { return m_close; }

    static constexpr int kCaptionHeight = 20;

signals:
    void closeRequested();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QLabel* m_caption;
    QToolButton* m_close;
};
