#pragma once
#include "link/RSComm.h"

#include <array>
#include <optional>

namespace kalvex {

// PLS channel programming, on the link's byte exchange and mode handshake. Each member runs one
// command exchange with the board's PLS. Reads give "-9999" on failure; the programming members
// return whether the board took the command. Values the record bytes cannot carry (a channel or
// configuration entry outside 0-255, a negative setpoint or start, a configuration word outside
// 0-65535) are refused without traffic.
class PlsLink {
  public:
    static constexpr int kPlsConfigBytes = 19;
    static constexpr int kPlsConfigEntries = 24;
    using PlsConfigTable = std::array<int, kPlsConfigBytes>;
    using PlsConfig = std::array<int, kPlsConfigEntries>;

    explicit PlsLink(RSComm& link) : m_link(link) {}
    RSComm& link() { return m_link; }

    // The PLS words, typed: a failed read is no value.
    enum class Word { ScaleFactor, Offset, Position, Rpm };
    LinkResult read(Word word);
    // The configuration table, or nothing when any entry was not read.
    std::optional<PlsConfigTable> uploadConfig();

    // The text forms ("-9999" on failure), for old callers.
    QString PLSScaleFactor();
    QString PLSOffset();
    QString PLSPos();
    QString PLSRpm();
    bool SingleSetpoint(int chan, int onSetpoint, int offSetpoint, bool clearChan = false);
    bool PulseTrain(int chan, int onDivision, int offDivision, int startDivision);
    bool ClearPLSChan(int chan);
    bool RecallChannel(int chan);
    int ChannelRecallPos() const { return m_channelRecallPos; }
    int ChannelRecallState() const { return m_channelRecallState; }
    bool SetPLSOffset(int position);
    bool PLSConfigDownload(const PlsConfig& config, int configWord);
    PlsConfigTable PLSConfigUpload();

  private:
    int PLSReadWord(int command);
    bool PLSWriteChannel(int command, int chan, int a, int b, int flag);
    bool PLSWriteWord(int command, int word);
    bool PLSWriteBlock(int command, const int* entries);
    bool PLSReadConfig(int command);
    bool PLSRecall(int chan);
    bool PLSWaitReady();
    bool plsSendAll(int mode, int command, const QByteArray& bytes);
    bool plsAskReady();
    bool pulseTrainRefused(int scale, int onDivision, int offDivision, int startDivision);
    bool setpointRefused(int scale, int setpoint);
    bool offsetRefused(int scale, int position);

    RSComm& m_link;
    int m_channelRecallState = 0;
    int m_channelRecallPos = 0;
    PlsConfigTable m_plsConfig{};
};

} // namespace kalvex
