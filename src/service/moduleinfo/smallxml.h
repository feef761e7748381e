#pragma once
// TKVRXML: writes indented XML line by line into a list of lines (a TAB per open element), with a
// style-sheet instruction and no XML declaration. Values are written as they are. And the
// maintenance window's XML module list built with it.

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace kvr::service {

struct TDeviceInfo_cza;

class TKVRXML {
public:
    // A null Output throws std::invalid_argument "No valid output buffer assigned".
    TKVRXML(std::vector<std::string>* Output, std::string StyleSheet);

    void BeginDocument();
    void OpenNode(const std::string& Name);
    // The new depth; 0 and the message, writing nothing, when no element is open.
    int CloseNode();
    void AddNode(const std::string& Name, const std::string& Value);
    void EndDocument();
    void WriteLine(const std::string& Text);

    // Shows "Can't close node: already at top-level!"; the program's message box by default.
    std::function<void(const std::string&)> Message;

private:
    std::vector<std::string>* Output;
    std::vector<std::string> Nodes;
    std::string StyleSheet;
};

// XMLModuleListExecute: the module list of a device as XML ("mod.xslt"); without a connection
// the lists stay empty.
void WriteModuleListXML(std::vector<std::string>& Lines, const TDeviceInfo_cza* Device, bool Connected,
                        std::function<void(const std::string&)> Message = {});

} // namespace kvr::service
