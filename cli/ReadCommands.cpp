// The commands that only read: the list of free units and one unit's state.
#include "Commands.h"

#include "D2XXUnit_mod.h"
#include "DeviceRegisters.h"
#include "RegisterTexts.h"
#include "UnitAccess.h"
#include "UnitReport.h"

#include <cstdio>

ExitStatus ListCommand(bool json) {
    if (!FetchDeviceList())
        return ExitNoUnit;
    nlohmann::ordered_json units = nlohmann::ordered_json::array();
    for (DWORD i = 0; i < DeviceInfoCount && i < DeviceInfoList.size(); ++i) {
        const FT_DEVICE_LIST_INFO_NODE& node = DeviceInfoList[i];
        UnitIdentity unit{SerialOf(node), node.LocId, {}};
        if (!IsFamilyCandidate(node) ||
            !ProbeIdentity(node.LocId, unit.probed, SteadyExchangeClock()) ||
            !IsAcceptedIdentity(unit.probed))
            continue;
        if (json)
            units.push_back(IdentityJson(unit));
        else
            std::printf("%s\n", IdentityLine(unit).c_str());
    }
    if (json)
        std::printf("%s\n", units.dump(2).c_str());
    return ExitDone;
}

ExitStatus ShowCommand(const UnitRef& ref, bool json) {
    return ForEachUnit({ref}, [json](UnitAtHand& unit) {
        const UnitIdentity identity{unit.Name(), unit.Location(), unit.Identity()};
        const StatusReply& reply = unit.Reply();
        if (json) {
            nlohmann::ordered_json shown = IdentityJson(identity);
            shown["protocol"] = ProtocolVersionText(reply[ReplyProtocol]);
            shown["registers"] = RegistersJson(reply, unit.Kind());
            std::printf("%s\n", shown.dump(2).c_str());
        } else {
            std::printf("%s\nprotocol %s\n%s", IdentityLine(identity).c_str(),
                        ProtocolVersionText(reply[ReplyProtocol]).c_str(),
                        RegisterLines(reply, unit.Kind()).c_str());
        }
        return ExitDone;
    });
}
