#include "MyImageList.h"

MyImageList::MyImageList(const QStringList& resourcePaths)
{
    for (const QString& path : resourcePaths)
        m_icons.push_back(path.isEmpty() ? QIcon() : QIcon(path));
}

QIcon MyImageList::icon(int index) const
{
    if (index < 0 || index >= count())
        return QIcon();
    return m_icons[size_t(index)];
}
