// Delivers one configuration report to the mouse; the apply pipeline sends through this.
#pragma once

#include <cstddef>
#include <cstdint>

class ReportSender {
public:
    virtual ~ReportSender() = default;
    // 1 when the report counts as delivered, 0 when no link took it.
    virtual int SendReport(const uint8_t* bytes, std::size_t length) = 0;
    // False when the link in use never carries reports of this id (the mouse takes no report
    // rate over Bluetooth): such a report is held back without counting as a failure.
    virtual bool CanCarry(uint8_t /*reportId*/) const { return true; }
};
