#include "client/clientmessages.h"

namespace kvr::client {

const TInfoMessage ClientMessages[ClientMessageCount] = {
    {msgAccessDenied,
     "KVR Communication Server could not be started or initialized: ACCESS DENIED.\nPlease refer to the KVR manual "
     "and contact your system administrator to check your user rights on this work station!\n\nConnections to audio "
     "devices are not possible."},
    {msgServerNotResponding,
     "The KVR Communication Server is not responding!\n\nCommunication with KVR devices is not possible without the "
     "Communication Server. Please save your data and restart this application in order to start the server again."},
    {msgNoRemoteServer, "Couldn't connect to remote KVR Communication Server."},
    {msgServerUpdated, "The KVR Communication Server on this system was successfully updated."},
    {msgInstallFailed,
     "KVR Communication Server could not be installed or initialized.\nPlease refer to the KVR manual and contact "
     "your system administrator to check your user rights on this workstation!\n\nConnections to audio devices are "
     "not possible."},
    {msgOldServerRunning,
     "On your system a KVR Communication Server is running, \nwhich is older than expected by this application. "
     "\n\nConnections to audio devices are not possible.\n\nPlease close all KVR programs. The server ends by itself a "
     "few seconds after the last one;\nif it does not, end the process \"rurez\" of your user. \nThen start this "
     "application again in order to install\nthe latest KVR Communication Server version."},
    {msgUpdateNoInterface, "Server update failed. COM interface could not be initialized."},
    {msgUpdateFailed,
     "On your system a KVR Communication Server is installed,\nwhich is older than expected by this application. "
     "\nUpdating the KVR Communication Server failed.\n\nConnections to audio devices are not possible.\n\nPlease "
     "refer to the KVR manual and contact your system administrator \nto check your user rights on this workstation."},
    {msgNoWriteAccess,
     "KVR Communication Server could not be installed.\nPossible cause: no write access to server directory "
     "%s.\nConnections to audio devices are not possible.\n"},
    {msgCannotCreateFile,
     "KVR Communication Server could not be installed.\nPossible cause: You are not allowed to create the server "
     "executable file.\n\nConnections to audio devices are not possible.\n"},
    {msgDeviceNoResponse, "Device doesn't respond. \n\nCheck the connection and device status, then try again."},
    {msgTransferInterrupted, "Data transfer interrupted. \n\nCheck the connection and device status, then try again."},
    {msgFileEndNotReached,
     "File transfer end not reached. \n\nCheck the connection and device status, then try again."},
    {msgChecksumWrong, "Checksum not correct.\n\nTry again. If the problem persists, check the connection cables."},
    {msgNoBurnStatus,
     "File transferred, but no status received from flash burn operation.\n\nCheck the connection and device status, "
     "then try again."},
    {msgServerUpdatedRestart,
     "The KVR Communication Server on this system was successfully updated.\n\nPlease restart the application to use "
     "the new KVR Communication Server."},
    {msgUdpPortInUse,
     "KVR Communication Server could not be started: the UDP port %d, on which the devices send their status, is "
     "held by another program.\nPlease end that program, then start this application again.\n\nConnections to "
     "audio devices are not possible."},
};

} // namespace kvr::client
