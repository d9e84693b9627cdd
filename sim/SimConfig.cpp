#include "SimConfig.h"

#include <charconv>
#include <set>
#include <vector>

namespace sim {

namespace {

constexpr DWORD FirstLocation = 0x1011;
constexpr const char* UnitDescription = "ORQ-SYV-730";
constexpr const char* OtherDescription = "FT232R USB UART";

std::string Trim(const std::string& text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        const auto end = text.find(separator, start);
        parts.push_back(Trim(text.substr(start, end - start)));
        if (end == std::string::npos)
            return parts;
        start = end + 1;
    }
}

// Decimal, or hexadecimal after "0x".
bool ParseNumber(const std::string& text, unsigned long& value) {
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const char* first = text.data() + (hex ? 2 : 0);
    const char* last = text.data() + text.size();
    const auto [end, error] = std::from_chars(first, last, value, hex ? 16 : 10);
    return error == std::errc{} && end == last && first != last;
}

// "a.b.c" with exactly `count` byte-sized numbers.
bool ParseBytes(const std::string& text, std::size_t count, std::uint8_t* out) {
    const std::vector<std::string> parts = Split(text, '.');
    if (parts.size() != count)
        return false;
    for (std::size_t i = 0; i < count; ++i) {
        unsigned long value = 0;
        if (!ParseNumber(parts[i], value) || value > 255)
            return false;
        out[i] = static_cast<std::uint8_t>(value);
    }
    return true;
}

class Parser {
public:
    explicit Parser(std::string& error) : error_(error) {}

    bool Item(const std::string& item, std::size_t index, SimBus& bus) {
        const std::vector<std::string> fields = Split(item, ',');
        const std::string& kind = fields[0];
        if (kind == "bus")
            return BusItem(fields, bus);
        if (kind != "unit" && kind != "device")
            return Fail("unknown item \"" + kind + "\"");
        DeviceSpec device;
        device.locationId = FirstLocation + static_cast<DWORD>(index);
        device.serialNumber = "SV73" + std::to_string(1000 + index);
        device.description = kind == "unit" ? UnitDescription : OtherDescription;
        if (kind == "unit")
            device.unit = MakeUnit(0, 1);
        int generation = 1;
        versionsGiven_ = false;
        failures_.clear();
        for (std::size_t i = 1; i < fields.size(); ++i)
            if (!Field(fields[i], device, generation))
                return false;
        if (device.unit && generation == 2 && !versionsGiven_) {
            const UnitState fresh = MakeUnit(device.unit->variant, 2);
            device.unit->softwareMajor = fresh.softwareMajor;
            device.unit->softwareMinor = fresh.softwareMinor;
            device.unit->fpga = fresh.fpga;
        }
        if (!locations_.insert(device.locationId).second)
            return Fail("location " + std::to_string(device.locationId) + " used twice");
        const DWORD location = device.locationId;
        bus.Plug(std::move(device));
        for (const auto& [call, status] : failures_)
            bus.FailCall(location, call, status);
        return true;
    }

private:
    bool Fail(const std::string& message) {
        error_ = message;
        return false;
    }

    bool BusItem(const std::vector<std::string>& fields, SimBus& bus) {
        BusTiming timing = bus.Timing();
        for (std::size_t i = 1; i < fields.size(); ++i) {
            const auto [key, value] = KeyValue(fields[i]);
            unsigned long number = 0;
            if (key == "instant" && value.empty())
                timing.instant = true;
            else if (key == "delay" && ParseNumber(value, number))
                timing.replyDelay = std::chrono::microseconds(number);
            else
                return Fail("bad bus field \"" + fields[i] + "\"");
        }
        bus.SetTiming(timing);
        return true;
    }

    static std::pair<std::string, std::string> KeyValue(const std::string& field) {
        const auto equals = field.find('=');
        if (equals == std::string::npos)
            return {field, {}};
        return {Trim(field.substr(0, equals)), Trim(field.substr(equals + 1))};
    }

    bool Field(const std::string& field, DeviceSpec& device, int& generation) {
        const auto [key, value] = KeyValue(field);
        unsigned long number = 0;
        const bool isNumber = ParseNumber(value, number);
        if (key == "serial")
            device.serialNumber = value;
        else if (key == "desc")
            device.description = value;
        else if (key == "loc" && isNumber && number <= 0xFFFFFFFFul)
            device.locationId = static_cast<DWORD>(number);
        else if (key == "type" && isNumber)
            device.type = static_cast<ULONG>(number);
        else if (key == "open" && value.empty())
            device.openElsewhere = true;
        else if (key == "fail")
            return FailField(value);
        else if (device.unit)
            return UnitField(key, value, isNumber, number, *device.unit, generation);
        else
            return Fail("bad device field \"" + field + "\"");
        return true;
    }

    // "FT_Name" or "FT_Name:STATUS": the device's call answers STATUS (4, the I/O error,
    // unless given) without doing anything.
    bool FailField(const std::string& value) {
        const auto colon = value.find(':');
        unsigned long status = FT_IO_ERROR;
        if (colon != std::string::npos &&
            (!ParseNumber(value.substr(colon + 1), status) || status == 0 || status > 0xFFFF))
            return Fail("bad fail field \"" + value + "\"");
        for (int call = 0; call < DriverCallCount; ++call)
            if (value.substr(0, colon) == DriverCallName(static_cast<DriverCall>(call))) {
                failures_.emplace_back(static_cast<DriverCall>(call),
                                       static_cast<FT_STATUS>(status));
                return true;
            }
        return Fail("bad fail field \"" + value + "\"");
    }

    bool UnitField(const std::string& key, const std::string& value, bool isNumber,
                   unsigned long number, UnitState& unit, int& generation) {
        const bool isByte = isNumber && number <= 255;
        std::uint8_t version[2] = {};
        if (key == "variant" && isByte)
            unit.variant = static_cast<std::uint8_t>(number);
        else if (key == "gen" && isNumber && (number == 1 || number == 2))
            generation = static_cast<int>(number);
        else if (key == "model" && isNumber && number <= 0xFFFF)
            unit.modelNumber = static_cast<std::uint16_t>(number);
        else if (key == "sw" && ParseBytes(value, 2, version)) {
            unit.softwareMajor = version[0];
            unit.softwareMinor = version[1];
            versionsGiven_ = true;
        } else if (key == "fpga" && ParseBytes(value, 5, unit.fpga.data()))
            versionsGiven_ = true;
        else if (key == "live" && value.empty())
            unit.liveInput = true;
        else if (key == "silent" && value.empty())
            unit.faults.noReply = true;
        else if (key == "reply" && isNumber && number <= 1000)
            unit.faults.replyLength = static_cast<int>(number);
        else if (key == "badheader" && value.empty())
            unit.faults.wrongHeader = true;
        else if (key == "badcrc" && value.empty())
            unit.faults.wrongChecksum = true;
        else if (key == "protocol" && isByte)
            unit.faults.protocolByte = static_cast<std::uint8_t>(number);
        else if (key == "stubborn" && value.empty())
            unit.faults.stubborn = true;
        else if (key == "deverror" && isByte)
            unit.faults.deviceError = static_cast<std::uint8_t>(number);
        else if (key == "unplug" && isNumber && number >= 1 && number <= 1000000)
            unit.faults.framesBeforeUnplug = static_cast<int>(number);
        else
            return Fail("bad unit field \"" + key + (value.empty() ? "" : "=" + value) + "\"");
        return true;
    }

    std::string& error_;
    bool versionsGiven_ = false;
    std::vector<std::pair<DriverCall, FT_STATUS>> failures_; // of the device being read
    std::set<DWORD> locations_;
};

} // namespace

std::shared_ptr<SimBus> BusFromConfig(const std::string& config, std::string& error) {
    auto bus = std::make_shared<SimBus>();
    std::size_t index = 0;
    Parser parser(error);
    for (const std::string& item : Split(config, ';')) {
        if (item.empty())
            continue;
        if (!parser.Item(item, index, *bus))
            return nullptr;
        if (item.rfind("bus", 0) != 0)
            ++index;
    }
    return bus;
}

std::shared_ptr<SimBus> DefaultBus() {
    std::string error;
    auto bus = BusFromConfig("unit,serial=SV730101,variant=0,gen=1,live;"
                             "unit,serial=SV730102,variant=4,gen=2,live;"
                             "unit,serial=SV730103,variant=5,gen=1,live;"
                             "device,serial=A5XK3RJT;"
                             "unit,serial=SV730104,variant=2,gen=1,open",
                             error);
    return bus;
}

} // namespace sim
