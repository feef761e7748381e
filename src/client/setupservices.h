#pragma once
// Small request-and-answer services of the communication client: the serial number, names of
// channel setups, mixer setups and fader channels, setup transfers and the commands that load,
// save or delete setups, the console-ID message and the status request over the connection.

#include <cstdint>
#include <string>

#include "client/kvrcommunicationclient.h"
#include "kvrdata/stream.h"

namespace kvr::client {

class SetupServices {
public:
    explicit SetupServices(TKVRCommunicationClient& Client)
        : Client(Client)
    {
    }

    bool GetSerialNumber(unsigned& Serial);

    // Type is CBID_CH_SETUP_NAME or CBID_MX_SETUP_NAME; any other fails the assertion.
    bool GetSetupName(unsigned Type, unsigned char Number, std::string& Name);
    bool SetSetupName(unsigned Type, unsigned char Number, const std::string& Name);
    bool DeleteChannelSetupName(int Number);
    bool DeleteMixerSetupName(int Number);
    bool GetFaderChName(unsigned short Channel, std::string& Name);
    bool SetFaderChName(unsigned short Channel, const std::string& Name);

    // Refused while another transfer runs; SendSetup also refuses a stream above 65,535 bytes,
    // which the store command cannot describe.
    bool SendSetup(unsigned char SetupType, unsigned char Number, Kvrdata_ns::TStream* Stream);
    bool ReadSetup(unsigned char SetupType, unsigned char Number, Kvrdata_ns::TStream* Stream);
    bool ReadSetupSize(unsigned char SetupType, unsigned char Number, unsigned short& Size);
    bool LoadSaveSetup(unsigned char A, unsigned char B, unsigned char C, unsigned char D);
    bool DeleteChannelSetup(int Number);

    bool SetConsoleID(unsigned A, unsigned char B, unsigned char C, unsigned char D, bool E);
    bool GetTCPBroadcast(TUDPMsgV6* Msg);

private:
    bool RequestSetupSize(unsigned char SetupType, unsigned char Number, unsigned short& Size);

    TKVRCommunicationClient& Client;
};

} // namespace kvr::client
