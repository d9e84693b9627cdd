// Opens a unit of the installed simulated bus through the link layer and sets its line up as
// the program does before an exchange; the caller's test fails when any step does.
#pragma once

#include "D2XXUnit_mod.h"
#include "SimDriver.h"
#include "UnitSession.h"

#include <gtest/gtest.h>

inline void OpenSimulatedUnit(DWORD location) {
    SetD2xxApi(sim::SimApi());
    ShowLinkErrors = false;
    LinkStatus = 0;
    ASSERT_TRUE(OpenForExchange(location));
}
