#pragma once
#include <QString>

#include <functional>
#include <span>
#include <vector>

class QCheckBox;
class QGridLayout;
class QGroupBox;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabBar;
class QWidget;

namespace kalvex {

class UpDown;

// Builds a page's named controls from tables, so a page holds its captions, names and indexes
// rather than layout code. Array controls are named base + index ("txtSetup3").
namespace controls {

QString indexed(const char* base, int index);
QPushButton* button(const QString& caption, const QString& name, QWidget* parent);
QGroupBox* frame(const QString& caption, const QString& name, QWidget* parent);
QLabel* label(const QString& text, const QString& name, QWidget* parent);

// Gives every label under `page` that paints no background of its own the colour shown behind
// it (a frame's interior is often a shade darker than the window), so a changed value repaints
// the label alone instead of the frame around it, whose title is laid out again on every paint.
void fillLabelBackgrounds(QWidget* page);

// A row of check boxes as a bit mask, box k bit k.
int checkedMask(std::span<QCheckBox* const> boxes);
void setCheckedMask(std::span<QCheckBox* const> boxes, int mask);

// A text box with its up/down arrows, side by side.
struct Entry {
    QLineEdit* text;
    UpDown* spin;
    QHBoxLayout* box;
};
Entry entry(const QString& textName, const QString& spinName, QWidget* parent, int width = 80);

// One captioned row of a field frame: the caption (with its access key) and the index of each
// field on the row.
struct FieldRow {
    QString caption;
    std::vector<int> fields;
};
// What a field frame created; the page keeps the controls it needs by index.
struct FieldFrame {
    QGroupBox* frame;
    QGridLayout* grid;
    std::vector<QWidget*> created; // every control, for the page's enable lists
};
// A frame of captioned rows of entry fields named textBase/spinBase + index, under an optional
// row of column headings; `made` receives each field as it is created.
FieldFrame fieldFrame(const QString& title, const std::vector<FieldRow>& rows, const char* textBase,
                      const char* spinBase, QWidget* parent,
                      const std::function<void(int index, const Entry&)>& made,
                      const std::vector<QString>& headings = {});

// A tab strip over borderless frames, one per tab, named frameBase + index; the tab names the
// page, the frame only groups it. `tabs` pairs each tab's caption with its frame's name.
struct Tabs {
    QTabBar* bar;
    std::vector<QGroupBox*> frames;
};
Tabs tabs(const QString& barName, const char* frameBase,
          const std::vector<std::pair<const char*, const char*>>& tabs, QWidget* parent);

} // namespace controls
} // namespace kalvex
