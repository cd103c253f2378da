// Whether the simulated mouse holds what slot 0 of a profile says, setting by setting, after the
// conversions the reports make on their way: DPI in hundreds, 1-based stage, rate code from the
// index, inverted speed, brightness only for the breathing effects, sleep time split over two
// nibbles, button bytes from the function table, macros under their macro number.
//
// The expectations are worked out here from the device's tables, not by the report builders, so
// a fault on either side shows up as a named mismatch.
#pragma once

#include <gtest/gtest.h>

#include "protocol/profile_record.h"
#include "sim/mouse_settings.h"

enum class RateCheck {
    Compare,  // the mouse's rate follows the record
    Skip,     // the rate did not travel (Bluetooth never carries it)
};

::testing::AssertionResult MouseMatchesRecord(const sim::MouseSettings& mouse,
                                              const ProfileRecord& record,
                                              RateCheck rate = RateCheck::Compare);
