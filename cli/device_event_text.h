// Short descriptions of what the mouse says, for talvorectl monitor.
#pragma once

#include <cstdint>

#include <QString>

// "0x4069 0x5A01 power: level 90, on battery": the key and value in hex, then what they mean.
QString DescribeDeviceEvent(uint16_t key, uint16_t value);
