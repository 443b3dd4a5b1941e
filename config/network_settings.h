#pragma once
// NetworkSettings: the SP's own network configuration as the host reads and changes it — per
// interface the DHCP switch, the static and the DHCP-assigned address, mask and gateway and a further
// text item; the SP's TCP port numbers and the restart that makes a port change take effect; the SMTP
// server and the global remote-alert settings. Owned by cLibYAT.
//
// No state is kept between calls. Threads: any host thread; no lock is taken, and none may be held
// across a call (every operation sends SP commands). Interface and port numbers travel as one byte:
// values outside 0-255 are refused with ERR_INVALID_INDEX (7) before anything is sent. Texts from the SP are bounded by
// the caller's stated capacity whatever length the SP claims.

#include <cstdint>

class cBusComm;
class cDeviceLib;

class NetworkSettings {
public:
    // comm may be null (then the operations give their no-device result). library is the object whose
    // resetServiceProcessor setNetworkPort calls (through the interface, so an override is honoured).
    NetworkSettings(cBusComm* comm, cDeviceLib& library) : comm_(comm), library_(library) {}

    // DHCP switch of interface iface ("4.9.1.x.8") into enable. Results: ERR_SUCCESS;
    // ERR_INVALID_PARAMETER (12) enable null; ERR_FAILED (1) no comm device; ERR_INVALID_INDEX (7)
    // iface outside 0-255; the transport code; ERR_BAD_ANSWER (2) failed answer check or no data byte.
    [[nodiscard]] int32_t getDHCPEnable(int32_t node, int32_t iface, int32_t* enable);

    // The address, mask and gateway of iface as dotted texts (16 bytes each; a null one is skipped) and
    // the IP source. The DHCP-assigned address decides where the texts come from: a readable one other
    // than "0.0.0.0" means the DHCP-assigned items, else the static ones. A text whose read fails is
    // left untouched and does not change the result. The IP source is then set from the DHCP switch.
    // Results: ERR_SUCCESS; ERR_INVALID_PARAMETER (12) all texts null or ipSource null; ERR_FAILED (1)
    // no comm device; ERR_INVALID_INDEX (7) iface outside 0-255; the transport code of the DHCP switch
    // read (also when the first read's send failed); ERR_BAD_ANSWER (2) when the DHCP switch answer
    // fails its check.
    [[nodiscard]] int32_t getIPConfigInfo(int32_t node, int32_t iface, char* address, char* subnetMask, char* gateway,
                                          int32_t* ipSource);

    // The further text item of iface ("4.9.1.x.3") into text: at most textSize - 1 bytes and a zero
    // byte. Results: ERR_SUCCESS; ERR_INVALID_PARAMETER (12) text null or textSize <= 0; ERR_FAILED (1)
    // no comm device; ERR_INVALID_INDEX (7) iface outside 0-255; the transport code; ERR_BAD_ANSWER (2)
    // failed answer check.
    [[nodiscard]] int32_t getIPConfigString(int32_t node, int32_t iface, char* text, int32_t textSize);

    // Writes the DHCP switch of iface (one byte, passed through unchanged). Results: ERR_SUCCESS;
    // ERR_FAILED (1) no comm device; ERR_INVALID_INDEX (7) iface outside 0-255; ERR_INVALID_PARAMETER
    // (12) enable outside 0-255; the transport code; else the SP's status (spStatusResult).
    [[nodiscard]] int32_t setDHCPEnable(int32_t node, int32_t iface, int32_t enable);

    // Writes the given static items of iface in the order mask, address, gateway (a null text is
    // skipped). Every given text is converted first: if one is not a dotted address of four parts the
    // result is ERR_INVALID_PARAMETER (12) and nothing is sent. Results: ERR_SUCCESS;
    // ERR_INVALID_PARAMETER (12) all texts null or one does not convert; ERR_FAILED (1) no comm device;
    // ERR_INVALID_INDEX (7) iface outside 0-255; a failed send ends with its transport code; an SP
    // status other than SpStatus::kOk ends with that status (spStatusResult); items written before stay
    // written.
    [[nodiscard]] int32_t setIPConfigInfo(int32_t node, int32_t iface, const char* address, const char* subnetMask,
                                          const char* gateway);

    // Writes length bytes of data as the further text item of iface. Results: ERR_SUCCESS;
    // ERR_INVALID_PARAMETER (12) data null, length negative or more than a request holds; ERR_FAILED (1)
    // no comm device; ERR_INVALID_INDEX (7) iface outside 0-255; the transport code; ERR_BAD_ANSWER (2)
    // when the SP refused the write (a status other than SpStatus::kOk).
    [[nodiscard]] int32_t setIPConfigString(int32_t node, int32_t iface, const char* data, int32_t length);

    // Sends the "7.4" restart when there is a comm device; the outcome is not examined.
    void resetServiceProcessor(int32_t node);

    // TCP port number port ("4.d.x") into value. Prints progress lines on standard output. Results:
    // ERR_SUCCESS; ERR_DEVICE_NOT_OPEN (13) no comm device; ERR_INVALID_PARAMETER (12) value null;
    // ERR_INVALID_INDEX (7) port outside 0-255; the transport code; the SP's status (spStatusResult)
    // when not SpStatus::kOk; ERR_BAD_ANSWER (2) an answer without the two bytes.
    [[nodiscard]] int32_t getNetworkPort(int32_t node, int32_t port, int32_t* value);

    // Writes newPort as TCP port number port and, when the SP accepted it, restarts the SP through
    // resetServiceProcessor so that it takes effect. Results: ERR_SUCCESS; ERR_DEVICE_NOT_OPEN (13) no
    // comm device; ERR_INVALID_INDEX (7) port outside 0-255; ERR_INVALID_PARAMETER (12) newPort outside
    // 0-65535 (nothing sent); the transport code; the SP's status (spStatusResult) when not
    // SpStatus::kOk (no restart then).
    [[nodiscard]] int32_t setNetworkPort(int32_t node, int32_t port, int32_t newPort);

    // The SMTP server text into server (64 bytes: at most 63 characters and a terminator) and 63 into
    // maxSize; a null pointer skips its item. Results: ERR_SUCCESS; ERR_DEVICE_NOT_OPEN (13) no comm
    // device; ERR_INVALID_INDEX (7) index not 0 (with a server buffer); the transfer's result
    // (ERR_BAD_ANSWER (2) failed answer check, the transport code).
    [[nodiscard]] int32_t getSMTPConfiguration(int32_t node, int32_t index, char* server, uint32_t* maxSize);

    // Writes the SMTP server text (64 bytes: the text, zero bytes after it). Results: ERR_SUCCESS (also
    // for a null server: nothing to do); ERR_DEVICE_NOT_OPEN (13) no comm device; ERR_INVALID_PARAMETER
    // (12) a text longer than 63 characters (nothing sent); ERR_INVALID_INDEX (7) index not 0; the
    // transfer's result (ERR_BAD_ANSWER (2) the SP refused, the transport code).
    [[nodiscard]] int32_t setSMTPConfiguration(int32_t node, int32_t index, const char* server);

    // Reads the given remote-alert items in argument order: "4.1.1.5", "4.1.1.4", "4.1.1.3", "4.5.8"
    // (one byte each, as int) and the SMTP switch "4.9.3.3.2" (1 when non-zero, else 0; 0 when its
    // read fails). The first failure ends the operation with its result; items before it stay filled.
    // Results: ERR_SUCCESS; ERR_DEVICE_NOT_OPEN (13) no comm device; the transfer's result
    // (ERR_BAD_ANSWER (2), ERR_INVALID_PARAMETER (12), the transport code).
    [[nodiscard]] int32_t getRemoteAlertConfiguration(int32_t node, int32_t* alertSetting5, int32_t* alertSetting4,
                                                      int32_t* alertSetting3, int32_t* alertSwitch,
                                                      uint8_t* smtpSwitch);

    // Writes the given items in the same order: the low byte of each int; 1 or 0 for the two switches
    // (any non-zero byte is 1). The first failure ends the operation; items before it stay written.
    // Results: ERR_SUCCESS; ERR_DEVICE_NOT_OPEN (13) no comm device; the transfer's result
    // (ERR_BAD_ANSWER (2) the SP refused, the transport code).
    [[nodiscard]] int32_t setRemoteAlertConfiguration(int32_t node, int32_t* alertSetting5, int32_t* alertSetting4,
                                                      int32_t* alertSetting3, uint8_t* alertSwitch,
                                                      uint8_t* smtpSwitch);

private:
    cBusComm* comm_;
    cDeviceLib& library_;
};
