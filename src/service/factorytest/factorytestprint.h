#pragma once
// Prints the factory test protocol document: an overview page listing every entry with its
// first page, then the document's pages, each with header and footer.

#include <string>
#include <vector>

#include "service/factorytest/factorytestdoc.h"

namespace kvr::platform {
class Printer;
}

namespace kvr::service {

struct TPrintContext {
    std::string ProjectText;
    std::string DeviceName;
    std::string DateTimeText; // the footer's "Report generated on" time
};

// The footer's web address.
inline constexpr const char* FactoryTestWebAddress = "http://www.example.com";

void PrintPageHeader(platform::Printer& P, const TTextDocument& Doc, const TPrintLayout& L, const TPrintContext& C,
                     const std::string& Text, int PageNumber);
void PrintDocument(platform::Printer& P, const TTextDocument& Doc, const std::vector<TFactoryTest>& Entries,
                   const TPrintLayout& L, const TPrintContext& C);

} // namespace kvr::service
