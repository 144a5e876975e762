#pragma once
// A modem channel: the program's handle on one GSM device behind a serial port. It probes a
// port with modem line settings, opens it through a SerialPort and carries out the AT command
// exchange: write one command, collect the answer, judge it, keep it as the last response.
//
// A channel is used by one thread at a time. Operations never throw; they log and return
// false (or nothing).
#include "modem/at_framer.h"
#include "modem/at_reply.h"
#include "modem/at_reply_collector.h"
#include "modem/device_list.h"
#include "modem/pacing_choice.h"
#include "modem/submission_outcome.h"
#include "serial/serial_port.h"

#include <QString>
#include <QStringList>

#include <termios.h>

#include <atomic>
#include <map>
#include <memory>
#include <mutex>

// The modem ports found by FindModems, walked once to count and once to scan.
class ModemIterator {
  public:
    ModemIterator() = default;
    explicit ModemIterator(QStringList paths) : paths_(std::move(paths)) {}
    // The next call-out path, or false at the end.
    bool next(QString* path);
    void rewind() { index_ = 0; }
    int size() const { return static_cast<int>(paths_.size()); }

  private:
    QStringList paths_;
    int index_ = 0;
};

// What the device scan reports to the window that shows it, and how that window stops it.
class ModemScanListener {
  public:
    virtual ~ModemScanListener() = default;
    virtual void setProgressRange(int /*maximum*/) {}
    virtual void advanceProgress() {}
    virtual void progressToEnd() {}
    // A usable device was found on this path (its record follows once it has been questioned).
    virtual void modemFound(const QString& /*path*/) {}
    // The device on this path has been questioned and its full record replaced the placeholder.
    virtual void deviceQuestioned(const QString& /*path*/) {}
    virtual bool stopRequested() const { return false; }
    // The port exists but could not be opened; `error` is the errno of the open (EACCES,
    // EBUSY, ...). The scan goes on with the next port.
    virtual void portRefused(const QString& /*path*/, int /*error*/) {}
};

class MFCSMS : public SerialPortDelegate {
  public:
    MFCSMS() = default;
    ~MFCSMS() override;
    MFCSMS(const MFCSMS&) = delete;
    MFCSMS& operator=(const MFCSMS&) = delete;

    // Lists the modem-type serial devices (hardware and virtual). 0 on success.
    static int FindModems(ModemIterator* iterator);
    // Scans every modem of the iterator; path receives the last call-out path handled.
    int GetModemPath(ModemIterator& iterator, char* path, size_t pathSize,
                     ModemScanListener* listener = nullptr);

    // The probe: can the path be opened with modem line settings? Descriptor or -1.
    int OpenSerialPort(const char* path);
    // The errno of the last OpenSerialPort whose open() itself failed; 0 after any other end.
    int lastOpenError() const { return lastOpenError_; }
    // Closes a probe descriptor, putting back the settings the probe found.
    void CloseSerialPort(int fileDescriptor);
    // Opens `port` on path; writes the descriptor to *fileDescriptor on success only.
    void initPort_with_decp(const char* path, int* fileDescriptor);
    // Closes the channel's port (if any) and drops it.
    void Close_Port();
    // Read time-out of the channel's port, in unscaled seconds (the pacing service scales it).
    void Set_Read_Timeout(double seconds);

    // Writes one command. A channel whose previous command is still unanswered first waits
    // for that answer (up to the read time-out), so a late answer is never taken for this
    // command's.
    bool Write_Command(int fileDescriptor, const char* command);
    // Reads the answer to the last command up to its final result (or the prompt of a
    // submission), at most the read time-out. True when the device ended it with OK and the
    // answer holds `expected` (itself trimmed). The whole answer, echo included and unsolicited
    // lines left out, becomes m_sLastResponse; the typed form is Last_Reply().
    bool Read_Command(int fileDescriptor, const char* expected);
    const tesk::at::Reply& Last_Reply() const { return lastReply_; }
    // Lines the device sent on its own (new messages, reports, registration), oldest first.
    QStringList Take_Unsolicited();
    // With no command in flight: reads what the device says on its own for up to `seconds`
    // (scaled), returning as soon as a whole unsolicited result (with its body) has come, or
    // at the end of the time. What is returned is taken off the queue.
    QStringList Wait_For_Unsolicited(int fileDescriptor, double seconds);
    // A sending run's stop request, honoured between the parts of a long message (beside the
    // process-wide Stop_SMS_Sending_Now). Not owned; null for none.
    void Set_Stop_Flag(const std::atomic<bool>* flag) { stopFlag_ = flag; }
    bool Check_Connection(int fileDescriptor);
    bool Check_Connection_For_Read(int fileDescriptor, int tries);
    void ATZ_reset_Modem(int fileDescriptor);
    void Set_CMEE_Error(int fileDescriptor);

    std::unique_ptr<SerialPort> port;
    QString m_sLastResponse;
    QString m_port_name;
    std::mutex closeLock;

    // Facts of the device record.
    QString Com_Port, Port_Det, Port_stat, Port_IMEI, Manuf, Model, battery, signal_str, oprator,
        revision, def_smsc, cus_smsc, use_cus_smsc, sms_mode, sup_sms_mode, sms_capblts;

    // Clears every fact ("" and use_cus_smsc "N").
    void Reset_Device_Facts();

    // ---- Device questioning and device-side commands (device_query.cpp, device_commands.cpp)
    // The list the scan fills and the service-centre restore looks up; not owned. Without one
    // the channel uses Default_Device_List().
    void Set_Device_List(DeviceList* list) { deviceList_ = list; }
    DeviceList& Device_List() const;

    bool Read_Ph_Values_NEW(int fileDescriptor);
    QString Get_IMEI_Number(int fileDescriptor);
    bool Check_Msg_Sending_Supported(int fileDescriptor);
    bool Find_IMEI_already_listed(const QString& imei, const QString& path) const;
    QString GET_CSCS_Response(int fileDescriptor);
    QString GET_CSCS_SUPPORTEDResponse(int fileDescriptor);
    QString Get_Selected_CMGF_Mode(int fileDescriptor);
    void SET_CMGF_PDU_MODE(int fileDescriptor);
    void SET_CMGF_TEXT_MODE(int fileDescriptor);
    void SET_Custom_SMSC_Number(int fileDescriptor, const QString& number);
    void GET_And_SET_Cus_SMSC(int fileDescriptor, const QString& customNumber, const QString& path);
    bool More_SMS_Comnd(int fileDescriptor);
    // The device record built from the facts (State false).
    DeviceRecord Device_Record_From_Facts() const;

    // ---- SMS submission (sms_submission.cpp)
    using Pacing = tesk::modem::Pacing;
    void Set_Pacing(Pacing pacing) { pacing_ = pacing; }
    Pacing Get_Pacing() const { return pacing_; }
    // Ends a run on this channel: puts back the device's own service centre where the fast
    // pace left a custom one in place.
    void Finish_Run(int fileDescriptor, const QString& portPath);
    bool Prepare_Modem_For_PDU_SMS(int fileDescriptor);
    bool Prepare_Modem_For_Text_SMS(int fileDescriptor);
    bool Set_Text_Mode_SMS_Param(int fileDescriptor, bool flash, bool unicode);
    int PDU_or_Text_SMS(int fileDescriptor);
    bool Send_PDU_SMS(int fileDescriptor, const QString& number, const QString& message,
                      const QString& smsc, bool flash, bool unicode, QString* returnStatus,
                      const QString& smsCapable);
    bool Send_Text_SMS(int fileDescriptor, const QString& number, const QString& message,
                       const QString& smsc, bool flash, bool unicode, const QString& portPath,
                       QString* returnStatus, const QString& smsCapable);
    static QString Get_SMS_Error(const QString& answer);
    // Asks the network for a status report of every message sent from now on (TP-SRR in PDU
    // mode, the first octet of AT+CSMP in text mode).
    void Set_Status_Reports(bool on) { statusReports_ = on; }
    bool Status_Reports() const { return statusReports_; }
    // What became of the last message handed to Send_PDU_SMS / Send_Text_SMS.
    const tesk::modem::SubmissionOutcome& Last_Submission() const { return lastSubmission_; }

  private:
    // The steps of GetModemPath (mfcsms_probe.cpp).
    int countModemPaths(ModemIterator& iterator, char* path, size_t pathSize);
    int openForQuestions(const char* path);
    bool isNewSmsDevice(int fileDescriptor, const QString& found);
    void questionDevice(int fileDescriptor, const QString& found, const char* path,
                        ModemScanListener& scan);

    enum class Try { Answered, NoAnswer, WriteFailed };
    Try connectionTry(int fileDescriptor, const char* writeFailureText,
                      const char* readFailureText);

    // The line framing and answer reading under Write_Command / Read_Command.
    struct Expect {
        QString command;           // as written, without its line end
        QStringList payloadLines;  // a submission's body, whose echo is not an answer
        bool prompt = false;       // the "> " ends the read
    };
    tesk::at::Reply readReply(const Expect& expect, double seconds);
    bool writeBytes(int fileDescriptor, const QByteArray& bytes, const QString& shown);
    void catchUp(int fileDescriptor);
    void resetExchange();
    bool stopRequested() const;

    // Submission internals (sms_submission.cpp).
    enum class SubmitKind { Pdu, Text };
    struct PartResult;
    PartResult submitPart(int fileDescriptor, SubmitKind kind, const QString& cmgsArgument,
                          const QString& payload, const char* logPrefix);
    bool selectTextCharacterSet(int fileDescriptor, bool unicode);
    bool finishSubmission(const QString& smsCapable, QString* returnStatus);
    bool prepareFor(int fileDescriptor, int cmgf);
    bool fast() const { return pacing_ == Pacing::Fast; }
    // What the device was last told and accepted; empty or -1 when unknown.
    struct KnownSettings {
        int cmgf = -1;
        QString charset;  // "UCS2", "HEX", or "plain" for GSM/IRA
        QString textParameters;
        QString serviceCentre;
    };
    KnownSettings known_;
    QString customCentreToRestore_;
    Pacing pacing_ = Pacing::Standard;
    bool statusReports_ = false;
    tesk::modem::SubmissionOutcome lastSubmission_;

    tesk::at::LineFramer framer_;
    tesk::at::Reply lastReply_;
    QString lastCommand_;       // the command whose answer the next read belongs to
    bool answered_ = true;      // its final result (or prompt) has been read
    int patience_ = 1;          // read time-outs multiply by this once the device proved slow
    bool deviceAlive_ = false;  // the device has said something on this line
    double readTimeout_ = 0;    // scaled seconds, as set by Set_Read_Timeout
    tesk::at::UnsolicitedQueue unsolicited_;
    const std::atomic<bool>* stopFlag_ = nullptr;

    DeviceList* deviceList_ = nullptr;

    // Line settings found by each probe, by probe descriptor, so probing one port never
    // overwrites what another probe saved.
    std::map<int, termios> savedLineSettings_;
    int lastOpenError_ = 0;
};

// The channels that send in parallel, one per chosen device; they live for the whole run.
inline constexpr int kChannelCount = 32;
MFCSMS* mfc_sms_obj_arr(int slot);
// Replaces every slot with a fresh channel (done once by each main controller at start).
void Fill_Channel_Table();
// Closes and drops the port of every slot that has one.
void close_all_ports();
