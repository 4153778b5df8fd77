#pragma once

#include <QWidget>

#include <vector>

class QToolButton;
class QFrame;
class FlowRow;
class MyImageList;

// The main toolbar of the themed suite: numbered positions from 1, each a button or a
// separator, laid out from the leading edge (the right, in a right-to-left window), in a second
// row where the window is too narrow for one. A button
// has a caption, a picture and a kind; a drop-down button also has an arrow part.
class SkinToolBar : public QWidget
{
    Q_OBJECT
public:
    enum class Kind { Separator, Plain, DropDown };

    explicit SkinToolBar(QWidget* parent = nullptr);

    void setImageList(const MyImageList* images) { m_images = images; }
    // Positions are added in order; returns the position number given.
    int addButton(const QString& caption, Kind kind, int pictureIndex);
    int addSeparator(int width = 4);

    int positionCount() const { return int(m_positions.size()); }
    Kind kind(int position) const;
    QString caption(int position) const;
    int pictureIndex(int position) const;
    QToolButton* button(int position) const;
    QToolButton* arrow(int position) const;

    void setColorScheme(int scheme);
    int colorScheme() const { return m_scheme; }

signals:
    // The face of a button was pressed.
    void buttonPressed(int position);
    // The arrow of a drop-down button was pressed; point is where its menu is to appear.
    void arrowPressed(int position, const QPoint& point);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    struct Position {
        Kind kind;
        QString caption;
        int picture;
        QToolButton* face;
        QToolButton* arrow;
        QFrame* separator;
    };
    void applyScheme();

    const MyImageList* m_images = nullptr;
    FlowRow* m_layout;
    std::vector<Position> m_positions;
    int m_scheme = 2;
};
