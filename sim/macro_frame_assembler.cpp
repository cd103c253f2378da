#include "sim/macro_frame_assembler.h"

#include <algorithm>

#include "sim/report_decoder.h"

namespace sim {

namespace {
constexpr std::size_t kPieceBytes = 60;
}  // namespace

void MacroFrameAssembler::Reset() {
    nextPiece_ = 0;
    macroNumber_ = 0;
    report_.clear();
}

MacroFrameAssembler::Result MacroFrameAssembler::Feed(const uint8_t* frame, std::size_t length,
                                                      bool overReceiver) {
    Result result;
    auto reject = [&](std::string reason) {
        Reset();
        result.reason = std::move(reason);
        return result;
    };
    if (frame == nullptr || length != kMacroFrameLength) {
        return reject("macro frame is " + std::to_string(length) + " bytes, expected 64");
    }
    const int piece = frame[3];
    // A new piece 0 starts the macro over: a sender retrying after a lost frame begins again.
    if (piece == 0) {
        Reset();
    }
    if (piece != nextPiece_) {
        return reject("macro frame piece " + std::to_string(piece) + " arrived, expected piece " +
                      std::to_string(nextPiece_));
    }
    if (piece > 0 && frame[2] != macroNumber_) {
        return reject("macro frame for macro " + std::to_string(frame[2]) +
                      " arrived in the middle of macro " + std::to_string(macroNumber_));
    }
    const bool last = piece == kMacroFramePieces - 1;
    const uint8_t expectedMark = (last && overReceiver) ? 0x0C : 0x40;
    if (frame[1] != expectedMark) {
        return reject("macro frame piece " + std::to_string(piece) +
                      " has byte 1 = " + HexByte(frame[1]) + ", expected " + HexByte(expectedMark));
    }
    if (piece == 0) {
        report_.assign(kMacroReportLength, 0);
        report_[0] = kReportMacro;
        report_[1] = static_cast<uint8_t>(kMacroReportLength);
        report_[2] = frame[2];
        macroNumber_ = frame[2];
    }
    const std::size_t offset = 3 + kPieceBytes * static_cast<std::size_t>(piece);
    const std::size_t take = std::min(kPieceBytes, kMacroReportLength - offset);
    if (last && std::any_of(frame + 4 + take, frame + kMacroFrameLength,
                            [](uint8_t byte) { return byte != 0; })) {
        return reject("macro frame piece 2 has bytes after the end of the report");
    }
    std::copy(frame + 4, frame + 4 + take, report_.begin() + static_cast<std::ptrdiff_t>(offset));
    if (!last) {
        ++nextPiece_;
        result.step = Step::Pending;
        return result;
    }
    result.step = Step::Complete;
    result.report = std::move(report_);
    Reset();
    return result;
}

}  // namespace sim
