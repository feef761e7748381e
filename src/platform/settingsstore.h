#pragma once
// The program's settings, kept where a desktop system keeps per-user settings. Keys are paths such
// as "Software\KVR\KX7300\Definition"; key paths and value names are matched without regard to
// case, as the program has always expected.

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace kvr::platform {

class SettingsStore {
public:
    virtual ~SettingsStore() = default;

    virtual std::optional<std::string> readString(const std::string& key, const std::string& name) const = 0;
    virtual std::optional<std::int32_t> readInteger(const std::string& key, const std::string& name) const = 0;
    virtual std::optional<std::vector<std::uint8_t>> readBinary(const std::string& key, const std::string& name) const = 0;

    // Writes report false when the store cannot be written.
    virtual bool writeString(const std::string& key, const std::string& name, const std::string& value) = 0;
    virtual bool writeInteger(const std::string& key, const std::string& name, std::int32_t value) = 0;
    virtual bool writeBinary(const std::string& key, const std::string& name, const std::vector<std::uint8_t>& value) = 0;

    virtual bool valueExists(const std::string& key, const std::string& name) const = 0;
    virtual bool deleteValue(const std::string& key, const std::string& name) = 0;
};

// Settings held in memory, for tests.
class MemorySettingsStore : public SettingsStore {
public:
    std::optional<std::string> readString(const std::string& key, const std::string& name) const override;
    std::optional<std::int32_t> readInteger(const std::string& key, const std::string& name) const override;
    std::optional<std::vector<std::uint8_t>> readBinary(const std::string& key, const std::string& name) const override;
    bool writeString(const std::string& key, const std::string& name, const std::string& value) override;
    bool writeInteger(const std::string& key, const std::string& name, std::int32_t value) override;
    bool writeBinary(const std::string& key, const std::string& name, const std::vector<std::uint8_t>& value) override;
    bool valueExists(const std::string& key, const std::string& name) const override;
    bool deleteValue(const std::string& key, const std::string& name) override;

    // Makes every later write fail, to test how callers handle an unwritable store.
    void setReadOnly(bool readOnly) { readOnly_ = readOnly; }

private:
    struct Value {
        enum Kind { String, Integer, Binary } kind;
        std::string text;
        std::int32_t number = 0;
        std::vector<std::uint8_t> bytes;
    };
    bool put(const std::string& key, const std::string& name, Value value);
    const Value* find(const std::string& key, const std::string& name) const;

    std::map<std::string, Value> values_;
    bool readOnly_ = false;
};

// Settings in an INI file: $KVR_CONFIG_DIR/settings.ini when that variable is set, else the
// user's configuration folder. Only a regular file (or none yet) is read or written: a pipe or
// a device there would block the program at its first read, so the store then reads nothing
// (the defaults stand) and refuses every write.
class IniSettingsStore : public SettingsStore {
public:
    IniSettingsStore();
    explicit IniSettingsStore(const std::string& fileName);
    ~IniSettingsStore() override;

    std::optional<std::string> readString(const std::string& key, const std::string& name) const override;
    std::optional<std::int32_t> readInteger(const std::string& key, const std::string& name) const override;
    std::optional<std::vector<std::uint8_t>> readBinary(const std::string& key, const std::string& name) const override;
    bool writeString(const std::string& key, const std::string& name, const std::string& value) override;
    bool writeInteger(const std::string& key, const std::string& name, std::int32_t value) override;
    bool writeBinary(const std::string& key, const std::string& name, const std::vector<std::uint8_t>& value) override;
    bool valueExists(const std::string& key, const std::string& name) const override;
    bool deleteValue(const std::string& key, const std::string& name) override;

    const std::string& fileName() const { return fileName_; }
    static std::string defaultFileName();
    // Empty while the file is a regular file or does not exist; else the message that says why
    // the settings are neither read nor kept.
    std::string unusableReason() const;

private:
    std::string fileName_;
};

// The store the program uses; the program installs its own at start, tests install theirs.
SettingsStore& settingsStore();
void setSettingsStore(std::unique_ptr<SettingsStore> store);

// The key under which the program keeps its options and recent files.
inline constexpr const char* DefinitionKey = "Software\\KVR\\KX7300\\Definition";

} // namespace kvr::platform
