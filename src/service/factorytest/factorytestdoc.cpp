#include "service/factorytest/factorytestdoc.h"

#include <cstdio>
#include <string_view>

#include "model/atomicfile.h"
#include "service/maintenance/mtntypes.h"
#include "service/moduleinfo/moduletexts.h"

namespace kvr::service {

namespace {

template <typename... A>
std::string Format(const char* Fmt, A... Args)
{
    char buf[512];
    std::snprintf(buf, sizeof buf, Fmt, Args...);
    return buf;
}

double Corr(std::span<const std::uint8_t> Page, std::size_t Index)
{
    return static_cast<std::int8_t>(Page[Index]) * 0.01;
}

void AddAdDa(std::string& Out, std::span<const std::uint8_t> Page, bool WithDa)
{
    Out += "AD  pos.corr (dB)\n";
    for (int i = 0; i < 4; ++i)
        Out += Format("%2i   %5.2f\n", i, Corr(Page, 23 + i));
    if (!WithDa)
        return;
    Out += "DA  neg.corr (dB)\n";
    for (int i = 0; i < 4; ++i)
        Out += Format("%2i   %5.2f\n", i, Corr(Page, 27 + i));
}

} // namespace

void TFactoryTest::AddText(const std::string& Text)
{
    std::size_t start = 0;
    while (start < Text.size()) {
        std::size_t end = Text.find('\n', start);
        std::string_view piece = std::string_view(Text).substr(start, end == std::string::npos ? std::string::npos : end - start);
        std::string line;
        for (char c : piece)
            if (c != '\r')
                line += c;
        Lines.push_back(std::move(line));
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
}

std::string GetEntryName(const TFactoryTest& Entry)
{
    if (Entry.IsCard()) {
        const TCardTypeRow* row = Entry.Kind >= 0 && Entry.Kind <= 0xFF ? FindCardCode(static_cast<std::uint8_t>(Entry.Kind)) : nullptr;
        return row ? Format("Card %s", row->Name) : "(unknown)";
    }
    const TModuleTypeRow* row = FindModuleType(Entry.Kind);
    return row ? Format("Module %s %s%d", row->Name, row->Suffix, Entry.Position + 1) : "(unknown)";
}

std::string ProtocolPath(std::int32_t Serial)
{
    return Format("7300/%02d/log%05d.txt", Serial / 1000, Serial);
}

std::string CorrectionValuesText(std::span<const std::uint8_t> Page, int SlotIndex)
{
    // Only the cards in slot indexes 1 to 8 store correction values.
    if (Page.size() < CardPageSize || SlotIndex < 1 || SlotIndex > 8)
        return {};
    std::string out;
    switch (Page[0]) {
    case 50:
        out = "\nCorrection values:\n";
        AddAdDa(out, Page, true);
        out += "MIC     5     10     15     20     25     30     35     40     45     50\n";
        for (int i = 0; i < 4; ++i) {
            out += Format("%2i ", i);
            for (int k = 0; k < 10; ++k)
                out += Format("%7.2f", Corr(Page, 31 + 10 * i + k));
            out += "\n";
        }
        break;
    case 70:
        out = "\nCorrection values:\n";
        AddAdDa(out, Page, true);
        break;
    case 71:
        out = "\nCorrection values:\n";
        AddAdDa(out, Page, false);
        break;
    case 72:
        out = "\nCorrection values:\n";
        for (int base : {23, 27}) {
            out += base == 23 ? "AD    15dB     18dB     21dB     24dB\n" : "DA    15dB     18dB     21dB     24dB\n";
            for (int i = 0; i < 4; ++i)
                out += Format("%2i   %5.2f    %5.2f    %5.2f    %5.2f\n", i, Corr(Page, base + i), Corr(Page, base + 8 + i),
                              Corr(Page, base + 16 + i), Corr(Page, base + 24 + i));
        }
        break;
    default:
        break;
    }
    return out;
}

void TTextDocument::NewPage()
{
    Pages.emplace_back();
    for (std::size_t i = 0; i < Pages.size(); ++i)
        Pages[i].Number = static_cast<std::int32_t>(i + 1);
}

void TTextDocument::AddLine(const std::string& Text)
{
    if (Pages.empty() || static_cast<std::int64_t>(Pages.back().Lines.size()) >= LinesPerPage)
        NewPage();
    Pages.back().Lines.push_back(Text);
}

void BuildDocument(TTextDocument& Doc, std::vector<TFactoryTest>& Entries, const std::string& DeviceName)
{
    Doc.Title = "KVR factory test protocol for " + DeviceName;
    for (TFactoryTest& e : Entries) {
        Doc.NewPage();
        e.FirstPage = static_cast<std::int32_t>(Doc.Pages.size());
        const std::string title = Format("%s (%05d)", GetEntryName(e).c_str(), e.IsCard() ? e.Number : e.Module);
        for (const std::string& line : e.Lines) {
            Doc.AddLine(line);
            Doc.Pages.back().Title = title;
        }
    }
}

TPrintLayout ComputePrintLayout(int PageWidth, int PageHeight, bool Landscape)
{
    TPrintLayout l;
    const int a = Landscape ? PageHeight : PageWidth;
    l.Scale = (a - 250) / 2100.0;
    l.LineHeight = static_cast<int>(45 * l.Scale);
    l.LinesPerPage = l.LineHeight > 0 ? static_cast<int>((PageHeight - 250 * l.Scale) / l.LineHeight) : 0;
    return l;
}

std::string ProtocolFileText(const TTextDocument& Doc, const std::vector<TFactoryTest>& Entries, const TProtocolHeader& Header)
{
    std::string text;
    auto line = [&text](const std::string& s) {
        // Embedded line feeds (the heading's) become CR LF as in a text-mode file.
        for (char c : s) {
            if (c == '\n')
                text += "\r\n";
            else
                text += c;
        }
        text += "\r\n";
    };
    line("Project:  " + Header.ProjectText.substr(0, 4));
    line("Device:  " + Header.DeviceName.substr(0, 10));
    line("");
    line("Module" + std::string(62, ' ') + "Page\n");
    const int total = static_cast<int>(Doc.Pages.size()) + 1;
    for (const TFactoryTest& e : Entries) {
        const std::string name = GetEntryName(e);
        std::string entry = e.IsCard()
            ? Format("   %-20s    Revision: %2d    Serial No. :%6d", name.c_str(), e.Revision, e.Number)
            : Format("%-20s    Processor %05d    Firmware: %02d.%02d.%02d.%02d", name.c_str(), e.Module, e.Version[0],
                     e.Version[1], e.Version[2], e.Version[3]);
        line(Format("%-67s  %2d", entry.c_str(), e.FirstPage + 1));
    }
    line("");
    line("");
    line("");
    const std::string stars(80, '*');
    for (const TOutputPage& p : Doc.Pages) {
        line("");
        line(stars);
        line(Format("Page %2d/%2d - %s", p.Number + 1, total, p.Title.c_str()));
        line(stars);
        line("");
        for (const std::string& l : p.Lines)
            line(l);
    }
    return text;
}

bool WriteProtocolFile(const std::string& Path, const TTextDocument& Doc, const std::vector<TFactoryTest>& Entries,
                       const TProtocolHeader& Header)
{
    const std::string text = ProtocolFileText(Doc, Entries, Header);
    model::AtomicFileWriter w(Path);
    if (!w.Open())
        return false;
    if (!w.Write(std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size())))
        return false;
    return w.Commit();
}

std::string ProposedFileName(const std::string& DeviceName)
{
    std::string name = "KVR FT for " + DeviceName + ".TXT";
    for (char& c : name)
        if (c == '/' || c == '\\' || c == ':' || c == '*' || c == '?' || c == '"' || c == '<' || c == '>' || c == '|')
            c = '_';
    return name;
}

} // namespace kvr::service
