#include "app/recent.h"

#include "platform/settingsstore.h"

namespace kvr::app {

namespace {
constexpr int Count = 10;
}

TRecent::TRecent(platform::SettingsStore& Store, std::string KeyPath)
    : Store(Store), KeyPath(std::move(KeyPath))
{
}

std::string TRecent::ValueName(int Index)
{
    return "Recent" + std::to_string(Index);
}

void TRecent::ShiftDown(int First, int End)
{
    for (int i = First; i < End; ++i) {
        if (i + 1 >= Count)
            break;
        if (const auto next = Store.readString(KeyPath, ValueName(i + 1)))
            Store.writeString(KeyPath, ValueName(i), *next);
    }
}

void TRecent::Add(const std::string& Name)
{
    for (int i = Count - 1; i >= 0; --i) {
        const auto stored = Store.readString(KeyPath, ValueName(i));
        if (stored && *stored == Name) {
            ShiftDown(i, Count);
            Store.writeString(KeyPath, ValueName(Count - 1), Name);
            return;
        }
    }
    for (int i = Count - 1; i >= 0; --i) {
        if (!Store.valueExists(KeyPath, ValueName(i))) {
            Store.writeString(KeyPath, ValueName(i), Name);
            return;
        }
    }
    ShiftDown(0, Count);
    Store.writeString(KeyPath, ValueName(Count - 1), Name);
}

std::vector<TRecent::Entry> TRecent::MenuEntries() const
{
    std::vector<Entry> entries;
    for (int i = Count - 1; i >= 0; --i) {
        if (const auto stored = Store.readString(KeyPath, ValueName(i)))
            entries.push_back(Entry{i, *stored});
    }
    return entries;
}

} // namespace kvr::app
