#pragma once
#include <cstdint>
#include <string>

#include "buffer/record_file.h"

class OperatorServices;
class Programmer;

// The lines of the station window that show the data buffer.
class BufferPanel {
public:
    virtual ~BufferPanel() = default;
    virtual void ShowBufferState(const std::string& text) = 0;
    virtual void ShowChecksum(uint16_t checksum) = 0;
    virtual void EnableViewBuffer() = 0;
};

// The station's two file commands: fill the data buffer from a record file the operator picks,
// or write the buffer to one. The record format follows the last three letters of the file's
// name. The operator is asked and told through the operator services; nothing here knows the
// window toolkit.
//
// `defaultFilePattern` ("*.mcs" at start) is offered to the file pickers and follows the type of
// the last file loaded or saved.
class BufferFileCommands {
public:
    BufferFileCommands(Programmer& programmer, RecordFile& recordFile, std::string& defaultFilePattern,
                       OperatorServices& operatorServices, BufferPanel& panel);

    // Asks for a file and loads it as LoadFrom does.
    void Load();
    // A file that cannot be opened, whose name selects no format or that holds no data leaves
    // the buffer, its lines and the default pattern as they were. Otherwise the buffer holds
    // whatever the file brought in, even when a warning or a read error follows; at most one
    // message is shown: a truncation before the buffer lines are updated, anything else after.
    void LoadFrom(const std::string& path);

    // The file is written beside its target and put in its place only when complete, so a save
    // that fails leaves an existing file as it was (see SaveRecordFile for the files written in place).
    void Save();

private:
    // Remembers the chosen file in the buffer-state text and the default pattern.
    void NameBufferAfter(const std::string& lowerCaseName);
    void Warn(const std::string& text, const std::string& caption);

    Programmer& programmer;
    RecordFile& recordFile;
    std::string& defaultFilePattern;
    OperatorServices& operatorServices;
    BufferPanel& panel;
};
