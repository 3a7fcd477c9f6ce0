#include <algorithm>

#include "buffer/buffer_checksum.h"
#include "buffer/buffer_lines.h"
#include "cli/commands.h"
#include "cli/image_files.h"
#include "platform/large_buffer.h"

namespace cli {
namespace {

// A buffer of the command line's size, as the station's buffer is before a load.
platform::LargeBuffer ErasedBuffer(const CommandLine& line) {
    platform::LargeBuffer buffer(line.bufferSize);
    std::fill_n(buffer.data(), line.bufferSize, uint8_t{0xFF});
    return buffer;
}

// Success, or the status that says the file loaded with a warning.
int LoadedStatus(LoadOutcome outcome) {
    return outcome == LoadOutcome::LoadedWithWarning ? kExitLoadWarning : kExitSuccess;
}

}  // namespace

int RunConvert(const CommandLine& line, const Console& console) {
    const std::string& in = line.files[0];
    const std::string& out = line.files[1];
    if (!CheckLoadName(in, console) || !CheckSaveName(out, console)) {
        return kExitFailed;
    }
    const platform::LargeBuffer buffer = ErasedBuffer(line);
    const LoadOutcome loaded = LoadImage(in, buffer.data(), line.bufferSize, console);
    if (loaded == LoadOutcome::Failed || !SaveImage(out, buffer.data(), line.bufferSize, console)) {
        return kExitFailed;
    }
    ShowChecksum(BufferChecksum(buffer.data(), line.bufferSize), console);
    return LoadedStatus(loaded);
}

int RunChecksum(const CommandLine& line, const Console& console) {
    const platform::LargeBuffer buffer = ErasedBuffer(line);
    const LoadOutcome loaded = LoadImage(line.files[0], buffer.data(), line.bufferSize, console);
    if (loaded == LoadOutcome::Failed) {
        return kExitFailed;
    }
    ShowChecksum(BufferChecksum(buffer.data(), line.bufferSize), console);
    return LoadedStatus(loaded);
}

int RunDump(const CommandLine& line, const Console& console) {
    const platform::LargeBuffer buffer = ErasedBuffer(line);
    const LoadOutcome loaded = LoadImage(line.files[0], buffer.data(), line.bufferSize, console);
    if (loaded == LoadOutcome::Failed) {
        return kExitFailed;
    }
    // Lines start where the viewer's do, on multiples of 16: from the line holding the offset.
    const uint32_t first = line.dumpFrom - line.dumpFrom % kBufferLineBytes;
    for (uint32_t offset = first; offset < line.bufferSize; offset += kBufferLineBytes) {
        console.out << BufferLine(buffer.data(), line.bufferSize, offset) << '\n';
    }
    return LoadedStatus(loaded);
}

}  // namespace cli
