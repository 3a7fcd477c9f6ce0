#include "buffer/load_save_commands.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <vector>

#include "buffer/record_transfer.h"
#include "engine/programmer.h"
#include "buffer/operator_services.h"

namespace {

const char* const kLoadFilter =
    "Xilinx - Intel Hex (*.mcs)|*.mcs|Intel Hex (*.hex)|*.hex|Motorola S-Record (*.exo)|*.exo|"
    "Binary Hex (*.bin)|*.bin|All Files|*.*||";
const char* const kSaveFilter =
    "Xilinx - Intel Hex (*.mcs)|*.mcs|Intel Hex (*.hex)|*.hex|Motorola S-Record 32 bit address (*.exo)|*.exo|"
    "Binary Hex (*.bin)|*.bin|All Files|*.*||";

const char* const kLoadCaption = "Load From File";
const char* const kLoadWarningCaption = "Load File Warning";
const char* const kSaveCaption = "Save To File";

std::string LowerCaseFileName(const std::string& path) {
    std::string name = std::filesystem::path(path).filename().string();
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return name;
}

}  // namespace

BufferFileCommands::BufferFileCommands(Programmer& programmer, RecordFile& recordFile,
                                       std::string& defaultFilePattern, OperatorServices& operatorServices,
                                       BufferPanel& panel)
    : programmer(programmer), recordFile(recordFile), defaultFilePattern(defaultFilePattern),
      operatorServices(operatorServices), panel(panel) {}

void BufferFileCommands::Load() {
    const std::string path = operatorServices.AskFileToOpen(kLoadFilter, defaultFilePattern);
    if (!path.empty()) {
        LoadFrom(path);
    }
}

void BufferFileCommands::LoadFrom(const std::string& path) {
    const uint32_t capacity = programmer.GetBufferLength();
    // Read into a cleared copy: a file that does not open, or whose name selects no format,
    // must leave the buffer as it was.
    std::vector<uint8_t> contents(capacity, 0xFF);
    operatorServices.SetWaitCursor(true);
    const LoadResult loaded = LoadRecordFile(recordFile, path, contents.data(), capacity);
    if (!loaded.opened || loaded.format == RecordFormat::Unknown) {
        operatorServices.SetWaitCursor(false);
        Warn(loaded.opened ? "Valid filetypes are [mcs], [exo] and [bin]" : "File could not be Opened", kLoadCaption);
        return;
    }
    // A file with nothing in it (a text file named .mcs, say) must not pass for an erased image.
    if (loaded.count == 0 && loaded.fileError.empty()) {
        operatorServices.SetWaitCursor(false);
        Warn("The file holds no data records", kLoadWarningCaption);
        return;
    }

    std::copy_n(contents.data(), capacity, programmer.buffer.get());
    // One message at most: a read error says more than what the reader made of the short file.
    // A truncation is told at once, before the window's lines change; the other warnings come
    // once the lines show the file they are about.
    const LoadWarning warning = loaded.fileError.empty() ? loaded.warning : LoadWarning::None;
    if (warning == LoadWarning::Truncated) {
        operatorServices.SetWaitCursor(false);
        Warn(LoadWarningText(warning), kLoadWarningCaption);
        operatorServices.SetWaitCursor(true);
    }
    NameBufferAfter(LowerCaseFileName(path));
    panel.EnableViewBuffer();
    panel.ShowBufferState(programmer.bufferStateText);
    programmer.UpdateChecksum();
    panel.ShowChecksum(programmer.checksum);
    operatorServices.SetWaitCursor(false);

    if (!loaded.fileError.empty()) {
        Warn("File could not be read: " + loaded.fileError, kLoadWarningCaption);
    } else if (warning == LoadWarning::AddressRange || warning == LoadWarning::Checksum) {
        Warn(LoadWarningText(warning), kLoadWarningCaption);
    }
}

void BufferFileCommands::Save() {
    const std::string path = operatorServices.AskFileToSave(kSaveFilter, defaultFilePattern);
    if (path.empty()) {
        return;
    }
    const std::string name = LowerCaseFileName(path);
    if (FormatForFileName(name) == RecordFormat::Unknown) {
        Warn("Valid filetypes are [mcs], [hex], [exo], or [bin]", kSaveCaption);
        return;
    }

    operatorServices.SetWaitCursor(true);
    const SaveResult saved = SaveRecordFile(recordFile, path, programmer.buffer.get(), programmer.GetBufferLength());
    if (saved.outcome == SaveOutcome::Saved) {
        NameBufferAfter(name);
        panel.ShowBufferState(programmer.bufferStateText);
    }
    operatorServices.SetWaitCursor(false);

    if (saved.outcome == SaveOutcome::NotCreated) {
        Warn("File could not be created", kSaveCaption);
    } else if (saved.outcome == SaveOutcome::WriteFailed) {
        Warn("File could not be written: " + saved.errorText, kSaveCaption);
    }
}

void BufferFileCommands::NameBufferAfter(const std::string& lowerCaseName) {
    defaultFilePattern = "*." + lowerCaseName.substr(lowerCaseName.size() - 3);
    programmer.bufferStateText = "Buffer State: File - " + lowerCaseName;
}

void BufferFileCommands::Warn(const std::string& text, const std::string& caption) {
    operatorServices.ShowMessage(text, caption, MessageIcon::Warning, MessageButtons::Ok);
}
