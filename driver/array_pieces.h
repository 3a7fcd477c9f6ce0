#pragma once
#include <cstdint>

#include "driver/port_signals.h"

namespace driver {

// The data array streams out of the part bit by bit in read mode (power mode 2) and word by
// word in programming mode (power mode 3, extended devices). A piece starts where the part's
// address counter stands and leaves it at the start of the next piece; in programming mode
// `wordBytes` is the part's word size in bytes (unused in read mode).
struct ArrayPiece {
    const PacketHeader& header;
    uint32_t wordBytes;
    uint32_t length;   // bytes
};

// Reads the piece into `out`, in buffer order: the first bit delivered is bit 0 of byte 0.
void ReadPiece(PortSignals& signals, const ArrayPiece& piece, uint8_t* out);

// True when every bit of the piece is erased. Stops at the first byte that is not 0xFF.
bool BlankCheckPiece(PortSignals& signals, const ArrayPiece& piece);

// Compares the piece with `expected`. Returns the piece length when all of it matches, else
// the offset of the first difference: of its byte in read mode, of the start of its word in
// programming mode.
uint32_t VerifyPiece(PortSignals& signals, const ArrayPiece& piece, const uint8_t* expected);

}  // namespace driver
