// The identification probe of the device list, with the link layer's dialogs on: which USB
// devices are units of the family.
#include "UnitMain.h"

#include "D2XXUnit_mod.h"

#include <chrono>

bool TFormMain::AcceptUnit(int i, ProbedIdentity& identity) {
    return IsFamilyCandidate(DeviceInfoList[static_cast<std::size_t>(i)]) &&
           ProbeUnit(i, identity) && IsAcceptedIdentity(identity);
}

bool TFormMain::ProbeUnit(int i, ProbedIdentity& identity) {
    ShowLinkErrors = true;
    const bool probed = ProbeIdentity(DeviceInfoList[static_cast<std::size_t>(i)].LocId, identity,
                                      SteadyExchangeClock());
    ShowLinkErrors = false;
    return probed;
}

bool TFormMain::WaitForReply(DWORD n) {
    UnitSession session(SteadyExchangeClock(), std::chrono::milliseconds(1));
    return session.WaitAndRead(n) == ResultNone;
}
