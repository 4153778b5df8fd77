#pragma once

#include <QIcon>
#include <QStringList>

#include <vector>

// Indexed pictures, as the toolbar and the lists address them.
class MyImageList
{
public:
    MyImageList() = default;
    explicit MyImageList(const QStringList& resourcePaths);

    void add(const QIcon& icon) { m_icons.push_back(icon); }
    int count() const { return int(m_icons.size()); }
    // An empty icon for an index that holds none.
    QIcon icon(int index) const;

private:
    std::vector<QIcon> m_icons;
};
