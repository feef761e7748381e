#include "service/moduleinfo/smallxml.h"

#include <algorithm>
#include <cctype>

#include "platform/currentprompter.h"
#include "platform/prompter.h"
#include "service/maintenance/devicelist.h"
#include "service/maintenance/mtntypes.h"

namespace kvr::service {

namespace {
std::string Lower(std::string Text)
{
    std::transform(Text.begin(), Text.end(), Text.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return Text;
}

std::string Trim(const std::string& Text)
{
    const auto first = Text.find_first_not_of(' ');
    if (first == std::string::npos)
        return {};
    return Text.substr(first, Text.find_last_not_of(' ') - first + 1);
}
} // namespace

TKVRXML::TKVRXML(std::vector<std::string>* Out, std::string Sheet) : Output(Out), StyleSheet(std::move(Sheet))
{
    if (!Output)
        throw std::invalid_argument("No valid output buffer assigned");
    Message = [](const std::string& Text) { platform::prompter().showMessage(QString::fromStdString(Text)); };
}

void TKVRXML::WriteLine(const std::string& Text)
{
    Output->push_back(std::string(Nodes.size(), '\t') + Text);
}

void TKVRXML::BeginDocument()
{
    Nodes.clear();
    WriteLine("<?xml-stylesheet type=\"text/xsl\" href=\"" + StyleSheet + "\"?>");
    OpenNode("body");
}

void TKVRXML::OpenNode(const std::string& Name)
{
    WriteLine("<" + Lower(Name) + ">");
    Nodes.push_back(Name);
}

int TKVRXML::CloseNode()
{
    if (Nodes.empty()) {
        if (Message)
            Message("Can't close node: already at top-level!");
        return 0;
    }
    const std::string name = Nodes.back();
    Nodes.pop_back();
    WriteLine("</" + Lower(name) + ">");
    return static_cast<int>(Nodes.size());
}

void TKVRXML::AddNode(const std::string& Name, const std::string& Value)
{
    OpenNode(Name);
    WriteLine(Value); // the open element puts it one level deeper
    CloseNode();
}

void TKVRXML::EndDocument()
{
    while (CloseNode() != 0) {
    }
}

void WriteModuleListXML(std::vector<std::string>& Lines, const TDeviceInfo_cza* Device, bool Connected,
                        std::function<void(const std::string&)> Message)
{
    TKVRXML xml(&Lines, "mod.xslt");
    if (Message)
        xml.Message = std::move(Message);
    xml.BeginDocument();
    xml.OpenNode("modlist");
    xml.OpenNode("mods");
    if (Connected && Device) {
        for (const auto& e : Device->Status.Entries) {
            xml.OpenNode("mod");
            const TModuleTypeRow* row = FindModuleType(e.B1);
            xml.AddNode("type", row ? Trim(row->Name) : std::string());
            xml.AddNode("serno", std::to_string(e.Value));
            xml.AddNode("num", std::to_string(e.B2));
            xml.AddNode("stype", row ? Trim(row->Suffix) : std::string());
            xml.CloseNode();
        }
    }
    xml.CloseNode();
    xml.CloseNode();
    xml.EndDocument();
}

} // namespace kvr::service
