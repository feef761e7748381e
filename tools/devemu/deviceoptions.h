#pragma once
// The emulator's --device option: KEY=VALUE,... into the device it describes (the keys are listed
// in main.cpp).

#include <QHostAddress>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "devemu/devicemodel.h"

namespace kvr::devemu {

struct DeviceOptions {
    QHostAddress address{QStringLiteral("127.0.0.2")};
    quint16 port = 0;
    DeviceIdentity identity;
    FaultKnobs knobs;
    std::vector<ModuleEntry> modules;
    std::map<std::uint16_t, std::vector<Bytes>> pages;
    std::vector<CardSpec> cards;
    Bytes image;
    int generation = 0;
    bool serialLine = false;
};

// False with error set on a bad key or value.
bool parseDevice(const std::string& text, DeviceOptions& d, std::string& error);

} // namespace kvr::devemu
