#include "widgets/shell/QtPrompt.h"

#include <QInputDialog>
#include <QMessageBox>

#include <cstdio>

namespace kalvex {

namespace {

QMessageBox::Icon boxIcon(MsgIcon icon) {
    switch (icon) {
    case MsgIcon::Critical:
        return QMessageBox::Critical;
    case MsgIcon::Question:
        return QMessageBox::Question;
    case MsgIcon::Exclamation:
        return QMessageBox::Warning;
    case MsgIcon::Information:
        return QMessageBox::Information;
    case MsgIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

QList<QMessageBox::StandardButton> boxButtons(MsgButtons buttons) {
    switch (buttons) {
    case MsgButtons::Ok:
        return {QMessageBox::Ok};
    case MsgButtons::OkCancel:
        return {QMessageBox::Ok, QMessageBox::Cancel};
    case MsgButtons::YesNo:
        return {QMessageBox::Yes, QMessageBox::No};
    case MsgButtons::YesNoCancel:
        return {QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel};
    case MsgButtons::RetryCancel:
        return {QMessageBox::Retry, QMessageBox::Cancel};
    }
    return {QMessageBox::Ok};
}

// Closing a box without a button counts as its last button (Cancel, No or OK).
MsgAnswer answerOf(int button, MsgButtons buttons) {
    switch (button) {
    case QMessageBox::Ok:
        return MsgAnswer::Ok;
    case QMessageBox::Yes:
        return MsgAnswer::Yes;
    case QMessageBox::No:
        return MsgAnswer::No;
    case QMessageBox::Retry:
        return MsgAnswer::Retry;
    case QMessageBox::Cancel:
        return MsgAnswer::Cancel;
    default:
        break;
    }
    if (buttons == MsgButtons::Ok) return MsgAnswer::Ok;
    return buttons == MsgButtons::YesNo ? MsgAnswer::No : MsgAnswer::Cancel;
}

constexpr int kMostLines = 20;

// Lines of "caption<TAB>value" become rows of one grid, so the values line up whatever the
// caption's width in the box's font (tab stops do not, with a proportional font).
QString tabbedAsTable(const QString& text) {
    QString html;
    bool inTable = false;
    for (const QString& line : text.split(u'\n')) {
        const QStringList cells = line.split(u'\t', Qt::SkipEmptyParts);
        if ((cells.size() > 1) != inTable)
            html += (inTable = !inTable) ? QStringLiteral("<table cellspacing=0 cellpadding=1>")
                                         : QStringLiteral("</table>");
        if (inTable) {
            html += QStringLiteral("<tr>");
            for (const QString& c : cells)
                html += QStringLiteral("<td style='white-space:pre; padding-right:12px'>") +
                        c.toHtmlEscaped() + QStringLiteral("</td>");
            html += QStringLiteral("</tr>");
        } else {
            html += QStringLiteral("<div style='white-space:pre'>") +
                    (line.isEmpty() ? QStringLiteral("&nbsp;") : line.toHtmlEscaped()) +
                    QStringLiteral("</div>");
        }
    }
    return inTable ? html + QStringLiteral("</table>") : html;
}

// A long text keeps its opening lines in the box and the whole in the scrolling details, so
// no box grows taller than the screen.
void setBoxText(QMessageBox& box, const QString& text) {
    const QStringList lines = text.split(u'\n');
    if (lines.size() <= kMostLines) {
        if (text.contains(u'\t')) {
            box.setTextFormat(Qt::RichText);
            box.setText(tabbedAsTable(text));
        } else {
            box.setText(text);
        }
        return;
    }
    const int shown = kMostLines / 2;
    box.setText(lines.mid(0, shown).join(u'\n') +
                QStringLiteral("\n...\n\n%1 more lines: Show Details.").arg(lines.size() - shown));
    box.setDetailedText(text);
}

} // namespace

QString QtPrompt::displayText(const QString& text) {
    QString out = text;
    out.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    out.replace(u'\r', u'\n');
    return out;
}

void QtPrompt::abandonBoxes() {
    m_abandoned = true;
    if (m_open) m_open->reject();
}

MsgAnswer QtPrompt::message(const QString& title, const QString& text, MsgButtons buttons,
                            MsgIcon icon) {
    if (m_abandoned) {
        std::fprintf(stderr, "kalvex: %s: %s\n", qPrintable(title), qPrintable(displayText(text)));
        return answerOf(QMessageBox::NoButton, buttons);
    }
    QMessageBox box(boxIcon(icon), title, QString(), QMessageBox::NoButton, m_parent);
    box.setTextFormat(Qt::PlainText);
    setBoxText(box, displayText(text));
    const QList<QMessageBox::StandardButton> list = boxButtons(buttons);
    for (QMessageBox::StandardButton b : list)
        box.addButton(b);
    box.setDefaultButton(list.front());
    if (list.size() > 1 && list.back() != QMessageBox::No) box.setEscapeButton(list.back());
    m_open = &box;
    box.exec();
    return answerOf(box.standardButton(box.clickedButton()), buttons);
}

std::optional<QString> QtPrompt::inputBox(const QString& title, const QString& prompt,
                                          const QString& defaultText) {
    if (m_abandoned) return std::nullopt;
    QInputDialog dialog(m_parent);
    dialog.setWindowTitle(title);
    dialog.setLabelText(displayText(prompt));
    dialog.setTextValue(defaultText);
    m_open = &dialog;
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.textValue();
}

} // namespace kalvex
