// Reading into the buffer and viewing it, and the PROM information of a right click, from the
// station window.
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QListView>
#include <QMouseEvent>
#include <QStringList>
#include <numeric>

#include "command_window_fixture.h"

namespace {

class ViewAndInfo : public CommandWindowTest {
protected:
    void RightClick() {
        Window().show();   // laid out, so that the corner is background
        const QPointF inside(5, 5);
        QMouseEvent press(QEvent::MouseButtonPress, inside, Window().mapToGlobal(inside), Qt::RightButton,
                          Qt::RightButton, Qt::NoModifier);
        QApplication::sendEvent(&Window(), &press);
    }

    // Opens the PROM information with a right click and returns its title and seven texts.
    QStringList InformationTexts() {
        QStringList texts;
        const bool opened = WithModalDialog([this] { RightClick(); }, [&texts](QWidget* dialog) {
            texts << dialog->windowTitle();
            for (const char* name : {"control1007", "control1008", "control1009", "control1010", "control1011",
                                     "control1012", "control1013"}) {
                texts << dialog->findChild<QLabel*>(name)->text();
            }
            qobject_cast<QDialog*>(dialog)->reject();
        });
        EXPECT_TRUE(opened);
        return texts;
    }
};

TEST_F(ViewAndInfo, ReadFillsTheBufferLinesQuietlyAndTheViewerListsTheBuffer) {
    sim::SimulatedProm part = Blank(programmer, "XC1718L");
    for (size_t i = 0; i < part.contents.size(); ++i) {
        part.contents[i] = static_cast<uint8_t>(i);
    }
    Identify(part);
    EXPECT_FALSE(Enabled("viewBufferButton"));

    Click("readButton");
    EXPECT_TRUE(operatorScript.messages.empty());
    EXPECT_FALSE(operatorScript.waitCursor);
    EXPECT_EQ(std::vector<uint8_t>(programmer.buffer.get(), programmer.buffer.get() + programmer.bufferLength),
              part.contents);
    EXPECT_EQ(Text("bufferStateLine"), "Buffer State: XC1718L contents");
    const unsigned sum = std::accumulate(part.contents.begin(), part.contents.end(), 0u) & 0xFFFF;
    EXPECT_EQ(Text("checksumLine"), QString::asprintf("Checksum: 0x%04X", sum).toStdString());
    std::vector<std::string> expected = kPlainPartButtons;
    expected.insert(expected.begin() + 6, "viewBufferButton");
    EXPECT_EQ(EnabledButtons(), expected);

    QStringList lines;
    const bool opened = WithModalDialog([this] { Click("viewBufferButton"); }, [&lines](QWidget* viewer) {
        QAbstractItemModel* model = viewer->findChild<QListView*>("control1013")->model();
        for (int row = 0; row < model->rowCount(); ++row) {
            lines << model->index(row, 0).data().toString();
        }
        qobject_cast<QDialog*>(viewer)->reject();
    });
    EXPECT_TRUE(opened);
    ASSERT_EQ(lines.size(), 142);   // 2,268 bytes: the last line holds 12
    EXPECT_EQ(lines.first(), "000000: 00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F ");
    EXPECT_EQ(lines.last(), "0008D0: D0 D1 D2 D3 D4 D5 D6 D7 D8 D9 DA DB ");

    // An empty socket reads as all ones, which must not pass for a read.
    simulated.programmer.RemovePart();
    operatorScript.answers = {MessageAnswer::Yes};   // the earlier read was not saved
    Click("readButton");
    ASSERT_EQ(operatorScript.messages.size(), 1u);
    EXPECT_EQ(operatorScript.messages[0].caption, "Part Read");
    EXPECT_EQ(operatorScript.messages[0].text.rfind("The PROM stopped answering before the end of the read", 0), 0u);
    EXPECT_EQ(Text("bufferStateLine"), "Buffer State: XC1718L contents, read failed");
    EXPECT_EQ(EnabledButtons(), expected);
}

TEST_F(ViewAndInfo, RightClickBeforeIdentificationShowsTheBareLabelsAndLeavesThePortAlone) {
    Window();
    const uint64_t accesses = simulated.programmer.RegisterAccesses();
    EXPECT_EQ(InformationTexts(),
              QStringList({"PROM Information", "PROM name:", "PROM size:", "Word size:", "Reset Active:",
                           "PROM blank:", "Manufacturer Code:", "Device ID or Product Code:"}));
    EXPECT_EQ(simulated.programmer.RegisterAccesses(), accesses);
}

TEST_F(ViewAndInfo, RightClickAfterIdentificationChecksThePartAfresh) {
    Identify("XC1765X or XC1765EL");
    EXPECT_EQ(InformationTexts(),
              QStringList({"PROM Information", "PROM name: XC1765X or XC1765EL", "PROM size: 65536 x 1 bit",
                           "Word size: 32 bits", "Reset active: High", "PROM blank: Yes",
                           "Manufacturer Code: FF FF FF C9", "Device ID or Product Code: FF FF FF FC"}));

    // Data written since the identification: the dialog sees it.
    simulated.programmer.Part()->contents[10] = 0x00;
    EXPECT_EQ(InformationTexts().at(5), "PROM blank: No");
}

TEST_F(ViewAndInfo, OnlyARightClickThatReachesTheBackgroundCounts) {
    Window().show();
    int presses = 0;
    // Counted here instead of opening the dialog.
    QObject::disconnect(&Window(), &MainDialog::rightButtonPressed, nullptr, nullptr);
    QObject::connect(&Window(), &MainDialog::rightButtonPressed, [&presses] { ++presses; });
    const auto rightPressOn = [](QWidget* control) {
        const QPointF middle = QRectF(control->rect()).center();
        QMouseEvent press(QEvent::MouseButtonPress, middle, control->mapToGlobal(middle), Qt::RightButton,
                          Qt::RightButton, Qt::NoModifier);
        QApplication::sendEvent(control, &press);
    };
    rightPressOn(Find("identifyButton"));   // a button keeps it
    EXPECT_EQ(presses, 0);
    rightPressOn(Find("promNameLine"));   // a text lets it through
    EXPECT_EQ(presses, 1);
    Window().hide();
}

}  // namespace
