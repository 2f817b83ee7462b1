#pragma once
#include <QIcon>

namespace kalvex {

enum class ToolIcon { New, Open, Save, Print, OfflineEdit, Upload, Download, TargetBoard };

// The toolbar's images, drawn so they look the same on every desktop.
QIcon toolbarIcon(ToolIcon which);

} // namespace kalvex
