// Puts a macro report back together from the three 64-byte frames that carry it over USB.
// Frame: 09, 0x40 (0x0C for the last frame over the receiver), macro number, piece 0..2, then 60
// bytes of the report from its byte 3 on; the last piece holds 8 report bytes and 52 zeros.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace sim {

inline constexpr std::size_t kMacroFrameLength = 64;
inline constexpr int kMacroFramePieces = 3;

class MacroFrameAssembler {
public:
    enum class Step { Rejected, Pending, Complete };
    struct Result {
        Step step = Step::Rejected;
        std::string reason;           // why a frame was rejected
        std::vector<uint8_t> report;  // the whole 131-byte report once complete
    };

    // overReceiver: the last frame must carry 0x0C in byte 1 instead of 0x40.
    Result Feed(const uint8_t* frame, std::size_t length, bool overReceiver);

    // Forgets a partly received macro (the link went down).
    void Reset();

    bool HasPending() const { return nextPiece_ != 0; }

private:
    int nextPiece_ = 0;
    uint8_t macroNumber_ = 0;
    std::vector<uint8_t> report_;
};

}  // namespace sim
