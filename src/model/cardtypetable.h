#pragma once
// Texts of the card types and other frame units.

#include <string>

namespace kvr::model {

// key below 110: a card index, else a card type (the first matching row). Column 0 group,
// 1 description, 2 detail, 3 model number. Empty when nothing matches.
std::string GetCardTypeText(int key, int column);

} // namespace kvr::model
