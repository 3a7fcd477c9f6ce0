// Loading the buffer from record files and saving it, from the station window.

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <algorithm>
#include <numeric>

#include "buffer/record_test_support.h"
#include "file_size_limit.h"
#include "buffer/record_transfer.h"
#include "command_window_fixture.h"

namespace {

using namespace record_test;

const char* const kLoadFilter =
    "Xilinx - Intel Hex (*.mcs)|*.mcs|Intel Hex (*.hex)|*.hex|Motorola S-Record (*.exo)|*.exo|Binary Hex "
    "(*.bin)|*.bin|All Files|*.*||";
const char* const kSaveFilter =
    "Xilinx - Intel Hex (*.mcs)|*.mcs|Intel Hex (*.hex)|*.hex|Motorola S-Record 32 bit address (*.exo)|*.exo|"
    "Binary Hex (*.bin)|*.bin|All Files|*.*||";
constexpr uint32_t kCapacity = 2268;   // the XC1718L's buffer

// One Intel Hex record; `sumError` spoils its checksum.
std::string HexRecord(uint8_t type, uint16_t address, const std::vector<uint8_t>& data, uint8_t sumError = 0) {
    std::vector<uint8_t> bytes = {static_cast<uint8_t>(data.size()), static_cast<uint8_t>(address >> 8),
                                  static_cast<uint8_t>(address), type};
    bytes.insert(bytes.end(), data.begin(), data.end());
    const uint8_t sum = static_cast<uint8_t>(std::accumulate(bytes.begin(), bytes.end(), 0u));
    bytes.push_back(static_cast<uint8_t>(0x100 - sum + sumError));
    std::string line = ":";
    for (uint8_t byte : bytes) {
        line += QString::asprintf("%02X", unsigned{byte}).toStdString();
    }
    return line + "\r\n";
}

std::string ChecksumLine(const std::vector<uint8_t>& bytes) {
    const unsigned sum = std::accumulate(bytes.begin(), bytes.end(), 0u) & 0xFFFF;
    return QString::asprintf("Checksum: 0x%04X", sum).toStdString();
}

class FileCommands : public CommandWindowTest {
protected:
    void SetUp() override { Identify("XC1718L"); }

    std::vector<uint8_t> Buffer() {
        return {programmer.buffer.get(), programmer.buffer.get() + programmer.bufferLength};
    }
    void SetBuffer(const std::vector<uint8_t>& bytes) { std::copy(bytes.begin(), bytes.end(), programmer.buffer.get()); }
    void Load(const std::string& path) {
        operatorScript.files = {path};
        Click("loadButton");
    }
    void Save(const std::string& path) {
        operatorScript.files = {path};
        Click("saveButton");
    }
    std::vector<std::string> Folder() {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }
    void ExpectWarning(const std::string& text, const std::string& caption) {
        const ScriptedOperator::Message message = OnlyMessage();
        EXPECT_EQ(message.text, text);
        EXPECT_EQ(message.caption, caption);
        EXPECT_EQ(message.icon, MessageIcon::Warning);
        EXPECT_EQ(message.buttons, MessageButtons::Ok);
        EXPECT_FALSE(operatorScript.waitCursor);
        operatorScript.messages.clear();
    }

    // Drags `urls` onto the window and, when it takes them, drops them there; true when it took the drag.
    bool Drop(const QList<QUrl>& urls) {
        QMimeData data;
        data.setUrls(urls);
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&Window(), &enter);
        if (!enter.isAccepted()) {
            return false;
        }
        QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&Window(), &drop);
        QCoreApplication::processEvents();   // the load follows the drop
        return drop.isAccepted();
    }
    QUrl Local(const std::string& name) { return QUrl::fromLocalFile(QString::fromStdString(dir / name)); }

    ScratchDir dir;
};

TEST_F(FileCommands, LoadsEachFormatAndNamesTheBufferAfterTheFile) {
    const std::vector<uint8_t> data = RandomImage(kCapacity, 1);
    std::string pattern = "*.mcs";
    for (const char* name : {"Board7.MCS", "image.hex", "IMAGE.EXO", "raw.bin"}) {
        SCOPED_TRACE(name);
        ASSERT_EQ(SaveRecordFile(dir / name, data.data(), kCapacity).outcome, SaveOutcome::Saved);
        SetBuffer(std::vector<uint8_t>(kCapacity, 0x55));
        Load(dir / name);
        EXPECT_TRUE(operatorScript.messages.empty());
        ASSERT_FALSE(operatorScript.fileRequests.empty());
        EXPECT_FALSE(operatorScript.fileRequests.back().save);
        EXPECT_EQ(operatorScript.fileRequests.back().filter, kLoadFilter);
        EXPECT_EQ(operatorScript.fileRequests.back().defaultExtension, pattern);
        EXPECT_EQ(Buffer(), data);
        std::string lowerName = name;
        std::transform(lowerName.begin(), lowerName.end(), lowerName.begin(), ::tolower);
        EXPECT_EQ(Text("bufferStateLine"), "Buffer State: File - " + lowerName);
        EXPECT_EQ(programmer.bufferStateText, "Buffer State: File - " + lowerName);
        EXPECT_EQ(Text("checksumLine"), ChecksumLine(data));
        EXPECT_TRUE(Enabled("viewBufferButton"));
        EXPECT_FALSE(operatorScript.waitCursor);
        pattern = "*." + lowerName.substr(lowerName.size() - 3);
        EXPECT_EQ(defaultFilePattern, pattern);
    }

    // A short file fills the start of a cleared buffer.
    WriteFile(dir / "short.bin", std::string(10, '\x12'));
    Load(dir / "short.bin");
    EXPECT_TRUE(operatorScript.messages.empty());
    std::vector<uint8_t> expected(kCapacity, 0xFF);
    std::fill_n(expected.begin(), 10, 0x12);
    EXPECT_EQ(Buffer(), expected);
    EXPECT_EQ(Text("checksumLine"), ChecksumLine(expected));
}

TEST_F(FileCommands, OneWarningAtMostATruncationBeforeTheBufferLinesChangeTheOthersAfter) {
    const std::vector<uint8_t> large = RandomImage(3000, 2);
    WriteFile(dir / "long.bin", std::string(large.begin(), large.end()));
    ASSERT_EQ(SaveRecordFile(dir / "over.exo", large.data(), 3000).outcome, SaveOutcome::Saved);
    WriteFile(dir / "far.mcs", HexRecord(0, 0x0000, {0xAA, 0xBB}) + HexRecord(0, 0x0900, {0xCC}) +
                                   HexRecord(1, 0, {}));
    WriteFile(dir / "bad.hex", HexRecord(0, 0, {1, 2, 3, 4}) + HexRecord(0, 4, {5, 6, 7, 8}) +
                                   HexRecord(0, 8, {9, 10, 11, 12}, 1) + HexRecord(0, 12, {13}) +
                                   HexRecord(1, 0, {}));

    struct Case {
        const char* name;
        const char* warning;
        std::vector<uint8_t> start;   // the buffer's first bytes after the load
    };
    const char* const kTruncated =
        "Program File is larger than device buffer. The file was truncated to fit into the buffer";
    const Case cases[] = {
        {"long.bin", kTruncated, {large.begin(), large.begin() + 16}},
        {"over.exo", kTruncated, {large.begin(), large.begin() + 16}},
        {"far.mcs", "Address in file is too large for the buffer", {0xAA, 0xBB, 0xFF}},
        {"bad.hex", "Checksum failed while reading data", {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 0xFF}},
    };
    // What the window shows of the buffer and the file it came from.
    const auto shown = [this] {
        return std::vector<std::string>{Text("bufferStateLine"), Text("checksumLine"), defaultFilePattern,
                                        Enabled("viewBufferButton") ? "View Buffer on" : "View Buffer off"};
    };
    std::vector<std::string> shownWhileWarned;
    bool waitCursorWhileWarned = true;
    operatorScript.whileMessageShown = [&] {
        shownWhileWarned = shown();
        waitCursorWhileWarned = operatorScript.waitCursor;
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<std::string> shownBefore = shown();
        Load(dir / c.name);
        ExpectWarning(c.warning, "Load File Warning");
        // A truncation is told before the window changes; the other warnings once it names the file.
        EXPECT_EQ(shownWhileWarned, std::string(c.warning) == kTruncated ? shownBefore : shown());
        EXPECT_EQ(shown()[0], std::string("Buffer State: File - ") + c.name);
        EXPECT_FALSE(waitCursorWhileWarned);
        const std::vector<uint8_t> buffer = Buffer();
        EXPECT_EQ(std::vector<uint8_t>(buffer.begin(), buffer.begin() + c.start.size()), c.start);
        EXPECT_EQ(Text("checksumLine"), ChecksumLine(buffer));
    }
}

TEST_F(FileCommands, AFileDroppedOnTheWindowLoadsAsLoadWouldWhileLoadIsEnabled) {
    const std::vector<uint8_t> data = RandomImage(kCapacity, 7);
    ASSERT_EQ(SaveRecordFile(dir / "Dropped.EXO", data.data(), kCapacity).outcome, SaveOutcome::Saved);
    WriteFile(dir / "notes.txt", "Board 7 rev B\r\n");
    const std::vector<uint8_t> before = Buffer();

    for (const QList<QUrl>& urls : {QList<QUrl>{}, {Local("Dropped.EXO"), Local("notes.txt")},
                                    {QUrl("https://example.org/image.mcs")}}) {
        EXPECT_FALSE(Drop(urls));
    }
    Find("loadButton")->setEnabled(false);   // as while a command runs
    EXPECT_FALSE(Drop({Local("Dropped.EXO")}));
    Find("loadButton")->setEnabled(true);
    EXPECT_EQ(Buffer(), before);

    EXPECT_TRUE(Drop({Local("Dropped.EXO")}));
    EXPECT_TRUE(operatorScript.messages.empty());
    EXPECT_EQ(Buffer(), data);
    EXPECT_EQ(Text("bufferStateLine"), "Buffer State: File - dropped.exo");
    EXPECT_EQ(defaultFilePattern, "*.exo");

    EXPECT_TRUE(Drop({Local("notes.txt")}));
    ExpectWarning("Valid filetypes are [mcs], [exo] and [bin]", "Load From File");
    EXPECT_EQ(Buffer(), data);
    EXPECT_TRUE(operatorScript.fileRequests.empty());   // no file dialog on the way
}

TEST_F(FileCommands, AFileThatDoesNotOpenOrHasAnUnknownTypeChangesNothing) {
    const std::vector<uint8_t> before = RandomImage(kCapacity, 3);
    SetBuffer(before);
    WriteFile(dir / "image.txt", ":00000001FF\r\n");
    std::filesystem::create_directory(dir / "folder.bin");
    const std::string stateLine = Text("bufferStateLine");
    const std::string checksumLine = Text("checksumLine");

    struct Case {
        const char* name;
        const char* text;
    };
    const Case cases[] = {
        {"image.txt", "Valid filetypes are [mcs], [exo] and [bin]"},
        {"missing.mcs", "File could not be Opened"},
        {"folder.bin", "File could not be Opened"},
        {"missing.txt", "File could not be Opened"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Load(dir / c.name);
        ExpectWarning(c.text, "Load From File");
        EXPECT_EQ(Buffer(), before);
        EXPECT_EQ(Text("bufferStateLine"), stateLine);
        EXPECT_EQ(Text("checksumLine"), checksumLine);
        EXPECT_FALSE(Enabled("viewBufferButton"));
        EXPECT_EQ(defaultFilePattern, "*.mcs");
    }

    Load("");   // cancelled
    EXPECT_TRUE(operatorScript.messages.empty());
    EXPECT_EQ(Buffer(), before);

    // Files that open and have a known type but hold no data are no erased image either.
    WriteFile(dir / "notes.mcs", "Board 7 rev B: program before fitting\r\n");
    WriteFile(dir / "end-only.hex", ":00000001FF\r\n");
    WriteFile(dir / "empty.bin", "");
    for (const char* name : {"notes.mcs", "end-only.hex", "empty.bin"}) {
        SCOPED_TRACE(name);
        Load(dir / name);
        ExpectWarning("The file holds no data records", "Load File Warning");
        EXPECT_EQ(Buffer(), before);
        EXPECT_EQ(Text("bufferStateLine"), stateLine);
        EXPECT_EQ(Text("checksumLine"), checksumLine);
        EXPECT_EQ(defaultFilePattern, "*.mcs");
    }
}

TEST_F(FileCommands, AReadErrorIsNamedAndTheBufferKeepsWhatWasRead) {
    // Reading this process's memory at offset 0 fails with an I/O error, even for root.
    std::filesystem::create_symlink("/proc/self/mem", dir / "memory.bin");
    SetBuffer(RandomImage(kCapacity, 4));
    Load(dir / "memory.bin");
    ExpectWarning("File could not be read: Read error: Input/output error", "Load File Warning");
    EXPECT_EQ(Buffer(), std::vector<uint8_t>(kCapacity, 0xFF));
    EXPECT_EQ(Text("bufferStateLine"), "Buffer State: File - memory.bin");
    EXPECT_TRUE(Enabled("viewBufferButton"));
}

TEST_F(FileCommands, SavesEachTypeAndNamesTheBufferAfterTheFile) {
    const std::vector<uint8_t> data = RandomImage(kCapacity, 5);
    SetBuffer(data);
    const std::string checksumLine = Text("checksumLine");
    std::string pattern = "*.mcs";
    for (const char* name : {"out.mcs", "out.hex", "OUT.EXO", "out.bin"}) {
        SCOPED_TRACE(name);
        Save(dir / name);
        EXPECT_TRUE(operatorScript.messages.empty());
        EXPECT_TRUE(operatorScript.fileRequests.back().save);
        EXPECT_EQ(operatorScript.fileRequests.back().filter, kSaveFilter);
        EXPECT_EQ(operatorScript.fileRequests.back().defaultExtension, pattern);
        std::vector<uint8_t> readBack(kCapacity, 0xFF);
        const LoadResult loaded = LoadRecordFile(dir / name, readBack.data(), kCapacity);
        EXPECT_EQ(loaded.warning, LoadWarning::None);
        EXPECT_EQ(readBack, data);
        std::string lowerName = name;
        std::transform(lowerName.begin(), lowerName.end(), lowerName.begin(), ::tolower);
        EXPECT_EQ(Text("bufferStateLine"), "Buffer State: File - " + lowerName);
        pattern = "*." + lowerName.substr(lowerName.size() - 3);
        EXPECT_EQ(defaultFilePattern, pattern);
        // The buffer did not change: its checksum line and View Buffer stay as they were.
        EXPECT_EQ(Text("checksumLine"), checksumLine);
        EXPECT_FALSE(Enabled("viewBufferButton"));
        EXPECT_FALSE(operatorScript.waitCursor);
    }
    EXPECT_EQ(ReadFile(dir / "out.hex"), ReadFile(dir / "out.mcs"));
    EXPECT_EQ(ReadBytes(dir / "out.bin"), data);
    EXPECT_EQ(Folder(), (std::vector<std::string>{"OUT.EXO", "out.bin", "out.hex", "out.mcs"}));
}

TEST_F(FileCommands, AnUnknownTypeOrAFileThatCannotBeCreatedIsRefused) {
    const std::string stateLine = Text("bufferStateLine");
    Save(dir / "out.txt");
    ExpectWarning("Valid filetypes are [mcs], [hex], [exo], or [bin]", "Save To File");
    EXPECT_TRUE(Folder().empty());

    std::filesystem::create_directory(dir / "folder.bin");
    Save(dir / "folder.bin");
    ExpectWarning("File could not be created", "Save To File");
    EXPECT_TRUE(std::filesystem::is_directory(dir / "folder.bin"));
    EXPECT_EQ(Folder(), std::vector<std::string>{"folder.bin"});
    EXPECT_EQ(Text("bufferStateLine"), stateLine);
    EXPECT_EQ(defaultFilePattern, "*.mcs");
}

TEST_F(FileCommands, AFailedWriteNamesTheErrorAndLeavesTheOldFileIntact) {
    WriteFile(dir / "keep.mcs", "old contents");
    const std::string stateLine = Text("bufferStateLine");

    {
        FileSizeLimit limit(4096);   // the write fails part way
        ASSERT_TRUE(limit.ok);
        Save(dir / "keep.mcs");
    }

    ExpectWarning("File could not be written: Write error: File too large", "Save To File");
    EXPECT_EQ(ReadFile(dir / "keep.mcs"), "old contents");
    EXPECT_EQ(Folder(), std::vector<std::string>{"keep.mcs"});
    EXPECT_EQ(Text("bufferStateLine"), stateLine);
    EXPECT_EQ(defaultFilePattern, "*.mcs");
}

}  // namespace
