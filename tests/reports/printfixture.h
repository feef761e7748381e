#pragma once
// A project of the data model, a main window stand-in over it, a recording printer behind a
// print service and a scripted prompter: what the print run and its sections need.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "model/cardrecords.h"
#include "model/device.h"
#include "model/project.h"
#include "model/quiethost.h"
#include "platform/currentprompter.h"
#include "platform/recordingprinter.h"
#include "reports/printhost.h"

namespace kvr::reports::test {

// A card channel: label (at most 16 characters), ID, signed level, flags.
inline model::TChannelEntry Ch(const std::string& Label, int Id, int Level = 0, int Flags = 0)
{
    model::TChannelEntry e;
    std::copy_n(Label.begin(), std::min<std::size_t>(Label.size(), 16), e.Label.begin());
    e.ID = static_cast<std::uint16_t>(Id);
    e.Level = static_cast<std::uint8_t>(static_cast<std::int8_t>(Level));
    e.Option = static_cast<std::uint8_t>(Flags);
    return e;
}

class FakeHost : public PrintHost {
public:
    explicit FakeHost(model::TProject* Project) : FProject(Project) {}
    model::TProject* Project() override { return FProject; }
    int CurDevice() const override { return FCurDevice; }
    void SetCurDevice(int Device) override
    {
        FCurDevice = Device;
        CurDevices.push_back(Device);
    }
    std::string ProjectFileName() const override { return FileName; }
    void Log(const std::string& Line) override { Logged.push_back(Line); }
    void Log(const std::string& Line, int Level) override { Logged.push_back(std::to_string(Level) + " " + Line); }
    bool PrinterDebug() const override { return Debug; }
    bool Debug = false;
    ModuleSelection ConsoleSelection() const override { return Selection; }
    std::string Today() const override { return "10.12.2026"; }

    model::TProject* FProject;
    int FCurDevice = -1;
    std::vector<int> CurDevices;
    std::string FileName = "/home/user/projects/Studio.kvp";
    ModuleSelection Selection;
    std::vector<std::string> Logged;
};

class FakePrintService : public platform::PrintService {
public:
    platform::Printer* CurrentPrinter() override { return Available ? &Printer : nullptr; }
    bool ExecuteDialog() override
    {
        ++Dialogs;
        return DialogAnswer;
    }
    platform::RecordingPrinter Printer;
    bool Available = true;
    bool DialogAnswer = true;
    int Dialogs = 0;
};

class PrintTest : public ::testing::Test {
protected:
    PrintTest()
    {
        model::SetModelHost(&quiet);
        auto script = std::make_unique<platform::ScriptedPrompter>();
        prompts = script.get();
        platform::setPrompter(std::move(script));
        project.SetName("Studio");
        SetUserName("Anna");
    }
    ~PrintTest() override
    {
        platform::setPrompter(nullptr);
        model::SetModelHost(nullptr);
    }

    void SetUserName(const std::string& Name)
    {
        auto header = project.GetHeader();
        std::memset(header.data() + model::ph::UserName, 0, model::ph::UserNameWidth);
        std::memcpy(header.data() + model::ph::UserName, Name.data(), Name.size());
        project.SetHeader(header);
    }

    // A frame named Name; its index.
    int AddFrame(const std::string& Name)
    {
        const int index = project.AddDevice();
        project.Device(index)->SetName(Name);
        return index;
    }

    // A fixed-model device (panel).
    int AddPanel(const std::string& Name)
    {
        const int index = AddFrame(Name);
        model::TDevice& device = *project.Device(index);
        auto header = device.GetHeader();
        header[model::dh::DummyDevModel] = 27;
        device.SetHeader(header, false);
        return index;
    }

    std::vector<std::string> Messages() const
    {
        std::vector<std::string> texts;
        for (const auto& record : prompts->records())
            texts.push_back(record.text.toStdString());
        return texts;
    }

    model::QuietModelHost quiet;
    model::TProject project;
    FakeHost host{&project};
    FakePrintService printers;
    platform::RecordingPrinter& printer = printers.Printer;
    platform::ScriptedPrompter* prompts = nullptr;
};

} // namespace kvr::reports::test

#include <sstream>

#include "gfx/recordingcanvas.h"

namespace kvr::reports::test {

// A primitive in a line that a table of expectations can hold: "line 1,2 3,4", "rect 0,1,2,3",
// "poly 1,2 3,4 5,6", "text 1,2 h44 Name".
inline std::string Brief(const gfx::Op& Op)
{
    std::ostringstream out;
    auto points = [&] {
        for (std::size_t i = 0; i < Op.points.size(); ++i)
            out << (i ? " " : "") << Op.points[i].x << ',' << Op.points[i].y;
    };
    switch (Op.kind) {
    case gfx::OpKind::Line: out << "line "; points(); break;
    case gfx::OpKind::Rectangle:
        out << "rect " << Op.rect.left << ',' << Op.rect.top << ',' << Op.rect.right << ',' << Op.rect.bottom;
        break;
    case gfx::OpKind::Polygon: out << "poly "; points(); break;
    case gfx::OpKind::Text:
        out << "text " << Op.points[0].x << ',' << Op.points[0].y << " h" << Op.font.height << ' ' << Op.text;
        break;
    default: out << gfx::opKindName(Op.kind);
    }
    return out.str();
}

inline std::vector<std::string> Brief(const gfx::RecordingCanvas& Page)
{
    std::vector<std::string> lines;
    for (const gfx::Op& op : Page.ops())
        lines.push_back(Brief(op));
    return lines;
}

} // namespace kvr::reports::test
