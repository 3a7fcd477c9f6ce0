// What keeps the operator from harm at the station window: no command works a part without a
// programmer, a running operation can be stopped, and a PROM read is not lost by a stray key.
#include <QKeyEvent>
#include <QLabel>
#include <filesystem>

#include "command_window_fixture.h"

namespace {

const std::string kUnsavedRead = "The buffer holds a PROM read that was not saved. ";

class OperatorSafety : public CommandWindowTest {
protected:
    // Closes the window (as the close box does) once the status line shows `text`.
    void CloseWhenStatusShows(const std::string& text) {
        closer = std::make_unique<QTimer>();
        QObject::connect(closer.get(), &QTimer::timeout, [this, text] {
            if (Text("statusText").rfind(text, 0) == 0) {
                closer->stop();
                window->close();
            }
        });
        closer->start(0);
    }

    std::unique_ptr<QTimer> closer;
};

TEST_F(OperatorSafety, EveryPartCommandChecksTheProgrammerFirstAndTouchesNothingWithoutOne) {
    struct Case {
        sim::ProgrammerFault fault;
        const char* text;
    };
    for (const Case& c : {Case{sim::ProgrammerFault::Absent,
                               "Programmer not present. If programmer is connected, check battery and cable (if used)"},
                          Case{sim::ProgrammerFault::FlatBattery,
                               "Programmer not present. If programmer is connected, check battery and cable (if used)"},
                          Case{sim::ProgrammerFault::NoPulseAnswer, "Programmer micro controller error, pulse not found."}}) {
        sim::SimulatedProm part = Blank(programmer, "XC1765D");
        part.contents.assign(part.contents.size(), 0x5A);
        simulated.programmer.SetFault(sim::ProgrammerFault::None);
        Identify(part);
        std::fill_n(programmer.buffer.get(), programmer.bufferLength, 0x00);
        simulated.programmer.SetFault(c.fault);
        for (const char* command : {"readButton", "programButton", "compareButton"}) {
            SCOPED_TRACE(command);
            Choose("resetHighButton");
            Click(command);
            const ScriptedOperator::Message message = OnlyMessage();
            EXPECT_EQ(message.text, c.text);
            EXPECT_EQ(message.caption, "Programmer Check");
            EXPECT_EQ(programmer.buffer[0], 0x00) << "the buffer is untouched";
            EXPECT_EQ(simulated.programmer.PulsesGiven(), 0u);
            EXPECT_EQ(simulated.programmer.Part()->contents[0], 0x5A);
            EXPECT_EQ(EnabledButtons(), kPlainPartButtons);
            operatorScript.messages.clear();
        }
    }
}

TEST_F(OperatorSafety, TheCloseBoxStopsAReadAtTheOperatorsWord) {
    Identify("XC17S10");
    Window().show();
    CloseWhenStatusShows("Part Read: ");
    operatorScript.answers = {MessageAnswer::Yes};
    Click("readButton");
    ASSERT_EQ(operatorScript.messages.size(), 1u);
    EXPECT_EQ(operatorScript.messages[0].text, "Stop the operation in progress?");
    EXPECT_EQ(operatorScript.messages[0].buttons, MessageButtons::YesNoDefaultNo);
    EXPECT_EQ(Text("bufferStateLine"), "Buffer State: XC17S10 contents, read stopped by the operator");
    EXPECT_TRUE(Window().isVisible());
    EXPECT_EQ(simulated.programmer.PowerModeHistory().back(), 1);
    EXPECT_TRUE(Enabled("readButton"));
}

TEST_F(OperatorSafety, EscapeStopsAProgramAndSaysHowFarItGot) {
    Identify("XC1765E");
    std::fill_n(programmer.buffer.get(), programmer.bufferLength, 0x00);
    Window().show();
    closer = std::make_unique<QTimer>();
    QObject::connect(closer.get(), &QTimer::timeout, [this] {
        if (Text("statusText").rfind("Programming: ", 0) == 0) {
            closer->stop();
            QCoreApplication::postEvent(window.get(), new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
        }
    });
    closer->start(0);
    operatorScript.answers = {MessageAnswer::No};   // the first time the operator thinks better of it
    operatorScript.whileMessageShown = [this] {
        if (operatorScript.messages.size() == 1) {
            closer->start(0);
        }
    };
    operatorScript.answers.push_back(MessageAnswer::Yes);
    Choose("resetHighButton");
    Click("programButton");
    ASSERT_EQ(operatorScript.messages.size(), 3u);
    const std::string text = operatorScript.messages.back().text;
    EXPECT_EQ(text.rfind("Device did not program correctly: Stopped by the operator. ", 0), 0u) << text;
    EXPECT_NE(text.find(" of 2048 words were programmed."), std::string::npos) << text;
    EXPECT_EQ(simulated.programmer.PowerModeHistory().back(), 1);
    EXPECT_TRUE(Window().isVisible());
    EXPECT_EQ(EnabledButtons(), kPlainPartButtons);
}

TEST_F(OperatorSafety, QuitEscapeAndIdentifyAskBeforeAnUnsavedReadIsLost) {
    Identify("XC1765D");
    Window().show();
    Click("readButton");
    operatorScript.messages.clear();

    operatorScript.answers = {MessageAnswer::No, MessageAnswer::No, MessageAnswer::No};
    Click("quitButton");   // Quit
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QCoreApplication::sendEvent(window.get(), &escape);
    const uint64_t accesses = simulated.programmer.RegisterAccesses();
    Click("identifyButton");
    EXPECT_TRUE(Window().isVisible());
    EXPECT_EQ(simulated.programmer.RegisterAccesses(), accesses) << "no identification";
    ASSERT_EQ(operatorScript.messages.size(), 3u);
    EXPECT_EQ(operatorScript.messages[0].text, kUnsavedRead + "Quit anyway?");
    EXPECT_EQ(operatorScript.messages[0].buttons, MessageButtons::YesNoDefaultNo);
    EXPECT_EQ(operatorScript.messages[1].text, kUnsavedRead + "Quit anyway?");
    EXPECT_EQ(operatorScript.messages[2].text, kUnsavedRead + "Identify anyway?");

    // Saved, the read may go without a word.
    const std::string saved = (std::filesystem::temp_directory_path() / "operator-safety-read.bin").string();
    operatorScript.messages.clear();
    operatorScript.files = {saved};
    Click("saveButton");
    Click("quitButton");
    EXPECT_TRUE(operatorScript.messages.empty());
    EXPECT_FALSE(Window().isVisible());
    std::filesystem::remove(saved);
}

}  // namespace
