#pragma once
#include <QString>

namespace kalvex::app {

// Writes every visible widget of the program to `path` (replaced whole), one per line,
// tab-separated: object name (or class name), global x, y, width, height, and its text.
// Tabs of a tab bar and items of a menu follow as "NAME.tabN" and "NAME:ITEM TEXT"; the first
// line names the widget with the keyboard focus. For the real-input tests, which need to
// know where to click and what is shown.
bool writeWidgetMap(const QString& path);

} // namespace kalvex::app
