// The Bluetooth link as the connection manager drives it.
#pragma once

class BleControl {
public:
    virtual ~BleControl() = default;
    // Link up: the working match strings are set, so writes and registration look for the mouse;
    // link down: they are emptied and nothing is found.
    virtual void SetLinkUp(bool up) = 0;
    virtual bool HasRegistration() const = 0;
    virtual void ConnectAndRegister() = 0;
    virtual void Unregister() = 0;
};
