#include "driver/array_pieces.h"

#include <algorithm>

namespace driver {
namespace {

// Read mode: each address clock brings the next bit.
uint8_t ReadSerialByte(PortSignals& signals, const PacketHeader& header) {
    uint8_t value = 0;
    for (int bit = 0; bit < 8; ++bit) {
        value |= static_cast<uint8_t>(signals.DataBit() << bit);
        signals.ClockAddress(header);
    }
    return value;
}

// Programming mode: the output register moves on with each data clock.
uint8_t ReadWordByte(PortSignals& signals, uint8_t s) {
    uint8_t value = 0;
    for (int bit = 0; bit < 8; ++bit) {
        signals.Data(0xC8 + s);
        value |= static_cast<uint8_t>(signals.DataBit() << bit);
        signals.Data(0xC9 + s);
    }
    return value;
}

// The blank check samples each bit before its data clock.
uint8_t BlankCheckWordByte(PortSignals& signals, uint8_t s) {
    uint8_t value = 0;
    for (int bit = 0; bit < 8; ++bit) {
        value |= static_cast<uint8_t>(signals.DataBit() << bit);
        signals.Data(0xC8 + s);
        signals.Data(0xC9 + s);
    }
    return value;
}

bool IsWordPiece(const ArrayPiece& piece) {
    return piece.header.powerMode == 3;
}

// End of the word that starts at `wordStart` (the piece may end inside its last word).
uint32_t WordEnd(const ArrayPiece& piece, uint32_t wordStart) {
    return std::min(piece.length, wordStart + piece.wordBytes);
}

}  // namespace

void ReadPiece(PortSignals& signals, const ArrayPiece& piece, uint8_t* out) {
    const uint8_t s = piece.header.supplySelect;
    if (!IsWordPiece(piece)) {
        for (uint32_t i = 0; i < piece.length; ++i) {
            out[i] = ReadSerialByte(signals, piece.header);
        }
        return;
    }
    for (uint32_t wordStart = 0; wordStart < piece.length; wordStart += piece.wordBytes) {
        signals.Data(0xC8 + s);   // loads the word into the output register
        for (uint32_t i = wordStart; i < WordEnd(piece, wordStart); ++i) {
            out[i] = ReadWordByte(signals, s);
        }
        signals.Data(0xD9 + s);
        signals.ClockAddress(piece.header);
    }
}

bool BlankCheckPiece(PortSignals& signals, const ArrayPiece& piece) {
    const uint8_t s = piece.header.supplySelect;
    if (!IsWordPiece(piece)) {
        for (uint32_t i = 0; i < piece.length; ++i) {
            if (ReadSerialByte(signals, piece.header) != 0xFF) {
                return false;
            }
        }
        return true;
    }
    for (uint32_t wordStart = 0; wordStart < piece.length; wordStart += piece.wordBytes) {
        signals.Data(0xC8 + s);
        for (uint32_t i = wordStart; i < WordEnd(piece, wordStart); ++i) {
            if (BlankCheckWordByte(signals, s) != 0xFF) {
                return false;
            }
        }
        signals.ClockAddress(piece.header);
    }
    return true;
}

uint32_t VerifyPiece(PortSignals& signals, const ArrayPiece& piece, const uint8_t* expected) {
    const uint8_t s = piece.header.supplySelect;
    if (!IsWordPiece(piece)) {
        for (uint32_t i = 0; i < piece.length; ++i) {
            if (ReadSerialByte(signals, piece.header) != expected[i]) {
                return i;
            }
        }
        return piece.length;
    }
    for (uint32_t wordStart = 0; wordStart < piece.length; wordStart += piece.wordBytes) {
        signals.Data(0xC8 + s);
        bool matched = true;
        for (uint32_t i = wordStart; matched && i < WordEnd(piece, wordStart); ++i) {
            matched = ReadWordByte(signals, s) == expected[i];
        }
        signals.Data(0xD9 + s);
        signals.ClockAddress(piece.header);
        if (!matched) {
            return wordStart;
        }
    }
    return piece.length;
}

}  // namespace driver
