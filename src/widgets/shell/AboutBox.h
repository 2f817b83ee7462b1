#pragma once
#include <QDialog>

namespace kalvex {

class RSComm;

// "About KALVEX": product, version, support contact, the serial line in use, and a button that
// starts the desktop's system information tool when there is one.
class AboutBox final : public QDialog {
    Q_OBJECT
  public:
    AboutBox(const RSComm& link, QWidget* parent = nullptr);

    // The system information program found on this computer, or empty.
    static QString systemInfoTool();
};

} // namespace kalvex
