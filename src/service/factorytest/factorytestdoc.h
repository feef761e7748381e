#pragma once
// The factory test inventory and its paged protocol document: the entries of a device's modules
// and cards, the page layout for printing, and the saved text file. All free of widgets.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace kvr::service {

// One inventory entry, a module or a card; a non-zero Carrier makes it a card.
struct TFactoryTest {
    std::int32_t Number = 0;
    std::int32_t Kind = 0;
    std::int32_t Position = 0;
    std::int32_t Slot = 0;
    std::int32_t Module = 0;
    std::int32_t Version[4] = {0, 0, 0, 0};
    std::int32_t Carrier = 0;
    std::int32_t Revision = 0;
    std::int32_t FirstPage = 0;
    std::vector<std::string> Lines;

    bool IsCard() const { return Carrier != 0; }
    // Splits at line feeds and drops carriage returns, so CR LF and LF texts give the same lines.
    void AddText(const std::string& Text);
};

// "Card ...", "Module ... #n" or "(unknown)".
std::string GetEntryName(const TFactoryTest& Entry);

// "7300/%02d/log%05d.txt" for a card's serial number.
std::string ProtocolPath(std::int32_t Serial);

// The correction-value text of a card from its 128-byte information page; empty for slots
// without values or card types that carry none.
std::string CorrectionValuesText(std::span<const std::uint8_t> Page, int SlotIndex);

struct TOutputPage {
    std::string Title;
    std::int32_t Number = 0;
    std::vector<std::string> Lines;
};

struct TTextDocument {
    std::vector<TOutputPage> Pages;
    std::string Title = "Document 1";
    std::int32_t LinesPerPage = 0;

    void Clear() { Pages.clear(); }
    void NewPage();
    void AddLine(const std::string& Text);
};

// Fills the document from the entries, one new page per entry, and sets each FirstPage.
void BuildDocument(TTextDocument& Doc, std::vector<TFactoryTest>& Entries, const std::string& DeviceName);

// The print layout: printer pixels per layout unit, line height and lines a page.
struct TPrintLayout {
    double Scale = 0; // starts at 0 so a save before any print has a defined line height
    int LineHeight = 0;
    int LinesPerPage = 0;
};
TPrintLayout ComputePrintLayout(int PageWidth, int PageHeight, bool Landscape);

// The header block of a saved file.
struct TProtocolHeader {
    std::string ProjectText; // four characters
    std::string DeviceName;
};
// The saved file's whole text with CR LF line ends.
std::string ProtocolFileText(const TTextDocument& Doc, const std::vector<TFactoryTest>& Entries,
                             const TProtocolHeader& Header);
// Writes through a temporary file; false when the file could not be written, nothing half-written.
bool WriteProtocolFile(const std::string& Path, const TTextDocument& Doc,
                       const std::vector<TFactoryTest>& Entries, const TProtocolHeader& Header);

// The save dialog's proposal: "KVR FT for <device>.TXT" with path characters replaced.
std::string ProposedFileName(const std::string& DeviceName);

} // namespace kvr::service
