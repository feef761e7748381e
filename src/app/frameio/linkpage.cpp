#include "app/frameio/linkpage.h"

#include <cstring>

#include <QString>

#include "app/frameio/linkadapt.h"
#include "app/frameio/slotrecord.h"
#include "kvrdata/byteorder.h"
#include "model/cardrecords.h"
#include "model/device.h"
#include "model/linkaccess.h"
#include "model/project.h"
#include "platform/prompter.h"

namespace kvr::app::frameio {

namespace {

using model::TProject;

const char* const kTypeNames[] = {"Analog", "Digital", "MADI"};
std::string TypeName(int t) { return t >= 0 && t < 3 ? kTypeNames[t] : ""; }

int LinkState(TProject& p, int word, int device) { return model::FindDeviceLink(p, word, device, nullptr, model::lkEither); }

bool Offered(TProject& p, int mode, int word, int device)
{
    const int r = LinkState(p, word, device);
    const bool output = (word & 0x80) != 0;
    return mode == lsDestination ? !output && r != 1 : output && r != 2;
}

void AddCard(TProject& p, std::vector<LinkTreeNode>& out, int mode, int device, int slot, const SlotRecord& r, int linkType)
{
    const int type = r.CardType();
    const bool digital = type == 111;
    const bool analog = type == 122 || type == 123 || type == 222 || type == 223;
    const bool madi = type == model::kCardDSP;
    const int cls = digital ? 1 : analog ? 0 : madi ? 2 : -1;
    if (cls < 0 || (linkType != -1 && linkType != cls))
        return;
    out.push_back({1, "Slot " + std::to_string(slot + 1) + " (KX730-" + std::to_string(type) + ")"});
    const auto channel = [&](std::string text, int word) { out.push_back({2, std::move(text), word, device, cls}); };
    if (madi) {
        const int kind = r.SubType();
        if (kind != 2 && kind != 3)
            return;
        for (int port = 0; port < (kind == 3 ? 2 : 1); ++port) {
            const int word = ((slot + 1) << 8) | port;
            const int f = LinkState(p, word, device);
            const std::string name = kind == 3 ? "MADI " + std::to_string(port + 1) : "MADI";
            if (mode == lsDestination && (f & 1) == 0)
                channel(name + " in", word);
            if (mode == lsSource && (f & 2) == 0)
                channel(name + " out", word);
        }
        return;
    }
    const int n = r.ChannelByte();
    for (int i = 0; i < n; ++i) {
        const auto e = r.Entry(i);
        if (!e || !Offered(p, mode, e->ID, device))
            continue;
        const bool stereo = (e->ID & 0x2000) != 0;
        if (digital) {
            if (stereo) {
                channel("S " + e->Label, e->ID);
            } else {
                const auto next = r.Entry(i + 1);
                channel("M " + e->Label + "/" + (next ? next->Label : std::string()), e->ID);
                ++i;
            }
        } else if (stereo) {
            channel("S " + e->Label + " L", e->ID & 0xFFFE);
            channel("S " + e->Label + " R", e->ID & 0xFFFE);
        } else {
            channel("M " + e->Label, e->ID);
        }
    }
}

std::string DeviceName(TProject& p, int index)
{
    const model::TDevice* d = p.Device(index);
    return d ? d->GetName() : std::string();
}

bool Ask(platform::Prompter& prompter, const char* text)
{
    return prompter.messageBox(QString::fromLatin1(text), QStringLiteral("Attention"), platform::Buttons::OkCancel,
                               platform::Icon::Question) == platform::Answer::Ok;
}

} // namespace

std::vector<LinkTreeNode> BuildLinkTree(TProject& Project, int Mode, int DeviceIndex, int LinkType)
{
    std::vector<LinkTreeNode> out;
    for (int d = 0; d < Project.DeviceCount(); ++d) {
        const model::TDevice* dev = Project.Device(d);
        if (d == DeviceIndex || !dev || dev->Header()[model::dh::DummyDevModel] != 0)
            continue;
        out.push_back({0, dev->GetName()});
        for (int s = 0; s < std::min(dev->GetSlotCount(), kSlotCountMax); ++s)
            if (const SlotRecord r = ReadSlotRecord(*dev, s); r.Found())
                AddCard(Project, out, Mode, d, s, r, LinkType);
    }
    return out;
}

std::string TakeLinkNode(TProject& Project, int Mode, const LinkTreeNode& Node, int Direction, LinkChoice& Choice)
{
    Choice.DeviceIndex = Node.Device;
    Choice.SlotIndex = ((Node.Word >> 8) & 0x1F) - 1;
    Choice.ChannelWord = Node.Word;
    Choice.LinkType = Node.Type;
    Choice.LinkDirection = Direction;
    if (Mode == lsDestination && Direction < 0)
        return "No type of link selected!";
    if (Direction == 1 && LinkState(Project, Node.Word, Node.Device) != 0)
        return "Cannot create bidirectional link because In or Out of one of the cards is already linked!";
    return {};
}

std::string LinkConnectorText(int Type, int Word)
{
    switch (Type) {
    case 0: return std::to_string((Word & 6) + ((Word >> 7) & 1) + 1);
    case 1: return std::to_string(((Word >> 1) & 3) + 1);
    case 2: return "MADI " + std::to_string((Word & 0xFF) + 1);
    default: return {};
    }
}

std::vector<LinkRow> LinkRows(TProject& Project)
{
    std::vector<LinkRow> rows;
    for (int id = 0; id < model::kMaxDeviceLinks; ++id) {
        model::TDeviceLink l;
        if (model::GetDeviceLink(Project, id, l) == 0)
            continue;
        rows.push_back({id, DeviceName(Project, l.SDev), std::to_string(l.SSlot + 1), LinkConnectorText(l.Type, l.SPort),
                        DeviceName(Project, l.TDev), std::to_string(l.TSlot + 1), LinkConnectorText(l.Type, l.TPort)});
    }
    return rows;
}

bool AddLinkFlow(TProject& Project, LinkDialog& Dialog, platform::Prompter& Prompter, LinkProgress* Progress)
{
    LinkChoice source;
    if (!Dialog.Choose(lsSource, source))
        return false;
    model::TDeviceLink link;
    link.SDev = static_cast<std::uint8_t>(source.DeviceIndex);
    link.SSlot = static_cast<std::uint8_t>(source.SlotIndex);
    link.SPort = static_cast<std::uint16_t>(source.ChannelWord);
    link.Type = static_cast<std::uint8_t>(source.LinkType);
    LinkChoice target;
    for (bool error = true; error;) {
        target = {link.SDev, link.SSlot, link.SPort, link.Type, 0};
        if (!Dialog.Choose(lsDestination, target))
            return false;
        error = true;
        if (target.DeviceIndex == link.SDev)
            Prompter.showMessage("Error: Source device and Target device are the same! Please select another device.");
        else if (target.LinkType != link.Type)
            Prompter.showMessage(QString::fromStdString("Error: You are trying to create a link between " + TypeName(link.Type) +
                                                        " and " + TypeName(target.LinkType) + " cards !"));
        else
            error = false;
        const int sourceStereo = link.SPort & 0x2000;
        if (link.Type <= 1 && sourceStereo != (target.ChannelWord & 0x2000)) {
            if (sourceStereo == 0) {
                if (!Ask(Prompter, "You are trying to connect a mono to a stereo channel.\nDo you want to change the destination to Mono?"))
                    return false;
            } else {
                if (!Ask(Prompter, "You are trying to connect a stereo to a mono channel.\nDo you want to change the destination to Stereo?"))
                    return false;
                const bool odd = (target.ChannelWord & 1) != 0;
                const int partner = odd ? (target.ChannelWord & 0x5FFE) : ((target.ChannelWord & 0x5FFE) | 1);
                if (LinkState(Project, partner, target.DeviceIndex) != 0) {
                    Prompter.showMessage(odd ? "The destination could not changed to stereo because the first\n channel of the selected mono pair is used in another link"
                                             : "The destination could not changed to stereo because the second\n channel of the selected mono pair is used in another link");
                    return false;
                }
                target.ChannelWord &= ~1;
            }
        }
    }
    link.TDev = static_cast<std::uint8_t>(target.DeviceIndex);
    link.TSlot = static_cast<std::uint8_t>(target.SlotIndex);
    link.TPort = static_cast<std::uint16_t>(target.ChannelWord);
    if (link.Type == 0)
        target.LinkDirection = 0;
    link.Direction = static_cast<std::uint8_t>(target.LinkDirection);
    link.Opt = model::kLinkNotWritten;
    // Every record to be stored needs an ID before the target card is rewritten.
    const int needed = target.LinkDirection == 1 ? 2 : 1;
    const auto stored = static_cast<int>(model::DeviceLinkCount(Project.GetProjData(model::pstDeviceLinks)));
    if (stored + needed > model::kMaxDeviceLinks) {
        Prompter.showMessage(kLinkListFull);
        return false;
    }
    if (!AdaptLink(Project, link, link.SPort, true, Progress))
        return true;
    link.Direction = 0;
    link.Opt = 0;
    model::AddDeviceLink(Project, link);
    if (target.LinkDirection == 1) {
        model::TDeviceLink back = link;
        back.SDev = link.TDev;
        back.SSlot = link.TSlot;
        back.SPort = link.TPort;
        back.TDev = link.SDev;
        back.TSlot = link.SSlot;
        back.TPort = link.SPort;
        if (link.Type != 2) {
            back.TPort = static_cast<std::uint16_t>(back.TPort & ~0x80);
            back.SPort = static_cast<std::uint16_t>(back.SPort | 0x80);
        }
        model::AddDeviceLink(Project, back);
    }
    return true;
}

} // namespace kvr::app::frameio
