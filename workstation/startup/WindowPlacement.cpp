#include "startup/WindowPlacement.h"

#include <QSettings>

namespace vantor {


WindowPlacement WindowPlacement::load()
{
    QSettings store(QStringLiteral("VANTORViewer"), QStringLiteral("VANTORViewer"));
    WindowPlacement placement;
    store.beginGroup(QStringLiteral("Settings"));
    placement.left = store.value(QStringLiteral("MainLeft"), placement.left).toInt();
    placement.top = store.value(QStringLiteral("MainTop"), placement.top).toInt();
    placement.width = store.value(QStringLiteral("MainWidth"), placement.width).toInt();
    placement.height = store.value(QStringLiteral("MainHeight"), placement.height).toInt();
    placement.maximized = store.value(QStringLiteral("MainMaximized"), false).toBool();
    store.endGroup();
    return placement;
}

void WindowPlacement::save() const
{
    QSettings store(QStringLiteral("VANTORViewer"), QStringLiteral("VANTORViewer"));
    store.beginGroup(QStringLiteral("Settings"));
    store.setValue(QStringLiteral("MainLeft"), left);
    store.setValue(QStringLiteral("MainTop"), top);
    store.setValue(QStringLiteral("MainWidth"), width);
    store.setValue(QStringLiteral("MainHeight"), height);
    store.setValue(QStringLiteral("MainMaximized"), maximized ? 1 : 0);
    store.endGroup();
    store.sync();
}

} // namespace vantor
