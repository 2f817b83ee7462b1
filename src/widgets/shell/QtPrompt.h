#pragma once
#include "link/Prompt.h"

#include <QPointer>
#include <QWidget>

namespace kalvex {

// Message boxes and the input box as real dialogs, centred over the main window.
class QtPrompt final : public Prompt {
  public:
    void setParentWindow(QWidget* w) { m_parent = w; }

    MsgAnswer message(const QString& title, const QString& text, MsgButtons buttons,
                      MsgIcon icon) override;
    std::optional<QString> inputBox(const QString& title, const QString& prompt,
                                    const QString& defaultText) override;

    // Texts keep their CR LF and lone CR line ends; a Qt label breaks lines only at LF.
    static QString displayText(const QString& text);

  private:
    QPointer<QWidget> m_parent;
};

} // namespace kalvex
