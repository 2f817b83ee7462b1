#include "widgets/pages/PageControls.h"

#include "widgets/pages/UpDown.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>

#include <map>

namespace kalvex::controls {

QString indexed(const char* base, int index) {
    return QString::fromLatin1(base) + QString::number(index);
}

QPushButton* button(const QString& caption, const QString& name, QWidget* parent) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    b->setAutoDefault(false);
    return b;
}

QGroupBox* frame(const QString& caption, const QString& name, QWidget* parent) {
    auto* f = new QGroupBox(caption, parent);
    f->setObjectName(name);
    return f;
}

namespace {

// The colour at the label's centre as its ancestors paint it, each without its children.
QColor colourBehind(const QLabel* label) {
    std::vector<QWidget*> chain;
    for (QWidget* w = label->parentWidget(); w; w = w->isWindow() ? nullptr : w->parentWidget())
        chain.push_back(w);
    QImage pixel(1, 1, QImage::Format_ARGB32_Premultiplied);
    pixel.fill(label->window()->palette().color(QPalette::Window));
    for (auto w = chain.rbegin(); w != chain.rend(); ++w) {
        const QPoint at = label->mapTo(*w, label->rect().center());
        (*w)->render(&pixel, QPoint(), QRegion(at.x(), at.y(), 1, 1),
                     QWidget::DrawWindowBackground);
    }
    return pixel.pixelColor(0, 0);
}

} // namespace

void fillLabelBackgrounds(QWidget* page) {
    std::map<const QWidget*, QColor> behind; // a frame's interior is one colour
    for (QLabel* label : page->findChildren<QLabel*>()) {
        if (label->autoFillBackground()) continue;
        auto [it, isNew] = behind.try_emplace(label->parentWidget());
        if (isNew) it->second = colourBehind(label);
        QPalette p = label->palette();
        p.setColor(QPalette::Window, it->second);
        label->setPalette(p);
        label->setAutoFillBackground(true);
    }
}

QLabel* label(const QString& text, const QString& name, QWidget* parent) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(name);
    return l;
}

int checkedMask(std::span<QCheckBox* const> boxes) {
    int mask = 0;
    for (size_t k = 0; k < boxes.size(); ++k)
        mask |= boxes[k]->isChecked() ? 1 << k : 0;
    return mask;
}

void setCheckedMask(std::span<QCheckBox* const> boxes, int mask) {
    for (size_t k = 0; k < boxes.size(); ++k)
        boxes[k]->setChecked((mask >> k) & 1);
}

Entry entry(const QString& textName, const QString& spinName, QWidget* parent, int width) {
    Entry e{new QLineEdit(parent), new UpDown(parent), new QHBoxLayout};
    e.text->setObjectName(textName);
    e.text->setMaximumWidth(width);
    e.spin->setObjectName(spinName);
    e.box->setSpacing(0);
    e.box->addWidget(e.text);
    e.box->addWidget(e.spin);
    e.box->addStretch();
    return e;
}

FieldFrame fieldFrame(const QString& title, const std::vector<FieldRow>& rows, const char* textBase,
                      const char* spinBase, QWidget* parent,
                      const std::function<void(int index, const Entry&)>& made,
                      const std::vector<QString>& headings) {
    FieldFrame out{new QGroupBox(title, parent), nullptr, {}};
    out.grid = new QGridLayout(out.frame);
    out.created.push_back(out.frame);
    const int first = headings.empty() ? 0 : 1;
    for (int k = 0; k < int(headings.size()); ++k) {
        auto* heading = new QLabel(headings[size_t(k)], out.frame);
        out.grid->addWidget(heading, 0, k + 1);
        out.created.push_back(heading);
    }
    for (int row = first; row < first + int(rows.size()); ++row) {
        const FieldRow& r = rows[size_t(row - first)];
        auto* caption = new QLabel(r.caption, out.frame);
        out.grid->addWidget(caption, row, 0);
        out.created.push_back(caption);
        int column = 1;
        for (int index : r.fields) {
            const Entry e = entry(indexed(textBase, index), indexed(spinBase, index), parent);
            out.grid->addLayout(e.box, row, column++);
            out.created.insert(out.created.end(), {e.text, e.spin});
            if (column == 2) caption->setBuddy(e.text);
            made(index, e);
        }
    }
    return out;
}

Tabs tabs(const QString& barName, const char* frameBase,
          const std::vector<std::pair<const char*, const char*>>& tabs, QWidget* parent) {
    Tabs out{new QTabBar(parent), {}};
    out.bar->setObjectName(barName);
    for (int k = 0; k < int(tabs.size()); ++k) {
        out.bar->addTab(QString::fromUtf8(tabs[size_t(k)].first));
        auto* f = new QGroupBox(parent);
        f->setFlat(true);
        f->setAccessibleName(QString::fromUtf8(tabs[size_t(k)].second));
        f->setObjectName(indexed(frameBase, k));
        f->setStyleSheet(
            QStringLiteral("QGroupBox#%1 { border: 0; margin: 0; }").arg(f->objectName()));
        out.frames.push_back(f);
    }
    return out;
}

} // namespace kalvex::controls
