#pragma once
#include "link/Prompt.h"

#include <QDialog>
#include <QPointer>
#include <QWidget>

namespace kalvex {

// Message boxes and the input box as real dialogs, centred over the main window.
class QtPrompt final : public Prompt {
  public:
    void setParentWindow(QWidget* w) { m_parent = w; }
    // The program is quitting with no one to answer: the box open now is closed as by Esc,
    // and later boxes are not shown; their texts go to stderr and each gets its safe answer
    // (Cancel, No or OK).
    void abandonBoxes();

    MsgAnswer message(const QString& title, const QString& text, MsgButtons buttons,
                      MsgIcon icon) override;
    std::optional<QString> inputBox(const QString& title, const QString& prompt,
                                    const QString& defaultText) override;

    // Texts keep their CR LF and lone CR line ends; a Qt label breaks lines only at LF.
    static QString displayText(const QString& text);

  private:
    QPointer<QWidget> m_parent;
    QPointer<QDialog> m_open;
    bool m_abandoned = false;
};

} // namespace kalvex
