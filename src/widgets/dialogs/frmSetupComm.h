#pragma once
#include "link/SerialPort.h"

#include <QDialog>

#include <array>
#include <memory>
#include <optional>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;

namespace kalvex {

class BoardSearch;
class EntryFieldGroup;
class NumericEntryField;
class Prompt;
class RSComm;
class Stepper;
class UpDown;

// "Comm Port Settings": the serial port number and speed of the link, saved in the link's
// settings file and, for the board development tools, in ORVILO.SFG; Find Board probes the
// machine's ports for the board and fills in where it answered; a device server on the network
// (host and port, RFC 2217 or raw TCP) replaces the serial port when chosen. Saving re-opens the
// link when it was online as the dialog opened; a re-open that fails keeps the dialog open.
class frmSetupComm final : public QDialog {
    Q_OBJECT
  public:
    frmSetupComm(RSComm& link, SerialPort& port, Prompt& prompt, QString programFolder,
                 QWidget* parent = nullptr);
    ~frmSetupComm() override;

  public Q_SLOTS:
    void cmdSave_Click();
    void cmdCancel_Click();
    void cmdFindBoard_Click();

  protected:
    void reject() override;

  private:
    struct Ui {
        QLineEdit* txtCommPort = nullptr;
        UpDown* updCommPort = nullptr;
        std::array<QRadioButton*, 2> optPortSpeed{};
        QPushButton* cmdSave = nullptr;
        QPushButton* cmdCancel = nullptr;
        QPushButton* cmdFindBoard = nullptr;
        QListWidget* lstPorts = nullptr;
        QLabel* lblDevice = nullptr;
        QPushButton* cmdUsePort = nullptr;
        QLabel* lblNote = nullptr;
        QCheckBox* chkNetwork = nullptr;
        QComboBox* cboNetProtocol = nullptr;
        QLineEdit* txtNetHost = nullptr;
        QLineEdit* txtNetPort = nullptr;
    };

    QGroupBox* buildPortFrame();
    QGroupBox* buildSpeedFrame();
    QGroupBox* buildFindFrame();
    QGroupBox* buildNetworkFrame();
    void showNetwork(const QString& device);
    // The device server address entered, or nothing after saying what is wrong with it.
    std::optional<QString> networkDevice();
    void CurrentSettings();
    // A device empties and disables the port field, so the dialog shows only what Save uses;
    // no device gives the field back with its number.
    void showDevice(const QString& device);
    // One probe a step of the page loops' stepper, so the dialog is drawn and Cancel is taken
    // between probes; -1 when the search has ended.
    int findStep();
    void endSearch();
    QString saveSettings(const PortSettings& settings);

    Ui ui;
    RSComm& m_link;
    SerialPort& m_port;
    Prompt& m_prompt;
    QString m_programFolder;
    bool m_wasOnline = false;
    QString m_device;   // a device Find Board found that has no port number: what Save uses
    QString m_heldPort; // the port field's text while a device stands in its place
    std::unique_ptr<BoardSearch> m_search;
    EntryFieldGroup* m_fields = nullptr;
    NumericEntryField* m_portField = nullptr;
    Stepper* m_finder = nullptr;
};

} // namespace kalvex
