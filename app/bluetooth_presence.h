// Whether the mouse is connected over Bluetooth LE, as hidapi sees it (vendor 0x045E, product
// 0x0069). Compiled into each executable, so each uses the hidapi it links: the system's for the
// program, the simulated one for the demo.
#pragma once

bool BluetoothMousePresent();
