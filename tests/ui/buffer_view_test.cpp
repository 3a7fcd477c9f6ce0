#include <gtest/gtest.h>

#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QListView>
#include <QProgressBar>
#include <QPushButton>
#include <vector>

#include "buffer/buffer_lines.h"
#include "dialog_driver.h"
#include "ui/buffer_section_dialog.h"
#include "ui/buffer_view_dialog.h"

namespace {

// Byte i holds the low byte of its offset, so each line shows its own offset's last digits.
std::vector<uint8_t> CountingBuffer(uint32_t length) {
    std::vector<uint8_t> bytes(length);
    for (uint32_t i = 0; i < length; ++i) {
        bytes[i] = static_cast<uint8_t>(i);
    }
    return bytes;
}

QListView* List(QWidget* viewer) {
    return viewer->findChild<QListView*>("control1013");
}

QStringList ListedLines(QWidget* viewer) {
    QStringList lines;
    QAbstractItemModel* model = List(viewer)->model();
    for (int row = 0; row < model->rowCount(); ++row) {
        lines << model->index(row, 0).data().toString();
    }
    return lines;
}

// A chooser that must not be asked.
int NoChooserExpected(QWidget*, uint32_t) {
    ADD_FAILURE() << "section chooser asked";
    return -1;
}

TEST(BufferLines, FormatOffsetAndBytesInUpperCase) {
    const std::vector<uint8_t> bytes = CountingBuffer(0x40);
    EXPECT_EQ(BufferLine(bytes.data(), 0x40, 0x10),
              "000010: 10 11 12 13 14 15 16 17 18 19 1A 1B 1C 1D 1E 1F ");
    EXPECT_EQ(BufferLine(bytes.data(), 0x40, 0x30).size(), kBufferFullLineLength);
    EXPECT_EQ(BufferLine(bytes.data(), 0x33, 0x30), "000030: 30 31 32 ");
    EXPECT_EQ(BufferLineCount(0x33, 0), 4u);
    EXPECT_EQ(BufferLineCount(0x33, 0x40), 0u);
}

TEST(BufferLines, ScreensOfTheLargestAndSmallestBuffers) {
    EXPECT_EQ(BufferScreenCount(0x200000), 5u);
    EXPECT_EQ(BufferScreenCount(0x80000), 2u);
    EXPECT_EQ(BufferScreenCount(kBufferScreenBytes), 1u);
}

TEST(BufferLines, FillProgressMovesInStepsOfTen) {
    const std::vector<FillProgressStep> steps = FillProgressSteps(0x200000, 2 * kBufferScreenBytes);
    std::vector<uint32_t> percents;
    for (const FillProgressStep& step : steps) {
        percents.push_back(step.percent);
    }
    EXPECT_EQ(percents, (std::vector<uint32_t>{1, 11, 21, 31, 41, 51, 61, 71, 81, 91}));
    // The first line whose (offset + 1) x 100 / span reaches 1.
    const uint32_t span = 0x200000 - 2 * kBufferScreenBytes;
    EXPECT_EQ(steps.front().line, (span / 100 + 15) / 16);
    // A buffer of one line never reaches a step.
    EXPECT_TRUE(FillProgressSteps(16, 0).empty());
}

TEST(BufferViewer, ListsSmallBuffersWholeWithAShortLastLine) {
    struct Case {
        uint32_t length;
        int lines;
        const char* last;
    };
    for (const Case& c : {Case{2268, 142, "0008D0: D0 D1 D2 D3 D4 D5 D6 D7 D8 D9 DA DB "},
                          Case{4536, 284, "0011B0: B0 B1 B2 B3 B4 B5 B6 B7 "}}) {
        SCOPED_TRACE(c.length);
        const std::vector<uint8_t> bytes = CountingBuffer(c.length);
        BufferViewDialog viewer(bytes.data(), c.length, nullptr, NoChooserExpected);
        EXPECT_EQ(viewer.windowTitle(), "View Buffer Contents");
        ASSERT_TRUE(viewer.Fill());
        const QStringList lines = ListedLines(&viewer);
        ASSERT_EQ(lines.size(), c.lines);
        EXPECT_EQ(lines.front(), "000000: 00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F ");
        EXPECT_EQ(lines.back(), c.last);
        EXPECT_TRUE(viewer.findChild<QProgressBar*>("control1030")->isHidden() ||
                    !viewer.findChild<QProgressBar*>("control1030")->isVisibleTo(&viewer));
        EXPECT_TRUE(List(&viewer)->isVisibleTo(&viewer));
    }
}

TEST(BufferViewer, OneScreenOpensWithoutChooser) {
    const std::vector<uint8_t> bytes = CountingBuffer(kBufferScreenBytes);
    BufferViewDialog viewer(bytes.data(), kBufferScreenBytes, nullptr, NoChooserExpected);
    ASSERT_TRUE(viewer.Fill());
    EXPECT_EQ(List(&viewer)->model()->rowCount(), 32735);
}

TEST(BufferViewer, LargestBufferListsFromTheChosenScreenToTheEnd) {
    const std::vector<uint8_t> bytes = CountingBuffer(0x200000);
    uint32_t askedLength = 0;
    BufferViewDialog viewer(bytes.data(), 0x200000, nullptr, [&](QWidget*, uint32_t length) {
        askedLength = length;
        return 2;
    });
    std::vector<int> progress;
    QObject::connect(viewer.findChild<QProgressBar*>("control1030"), &QProgressBar::valueChanged,
                     [&](int value) { progress.push_back(value); });

    ASSERT_TRUE(viewer.Fill());
    EXPECT_EQ(askedLength, 0x200000u);
    const QStringList lines = ListedLines(&viewer);
    ASSERT_EQ(lines.size(), (0x200000 - 0x0FFBE0) / 16);
    EXPECT_EQ(lines.front(), "0FFBE0: E0 E1 E2 E3 E4 E5 E6 E7 E8 E9 EA EB EC ED EE EF ");
    EXPECT_EQ(lines.back(), "1FFFF0: F0 F1 F2 F3 F4 F5 F6 F7 F8 F9 FA FB FC FD FE FF ");
    EXPECT_EQ(progress, (std::vector<int>{1, 11, 21, 31, 41, 51, 61, 71, 81, 91}));
}

TEST(BufferViewer, NoChosenSectionListsNothing) {
    const std::vector<uint8_t> bytes = CountingBuffer(0x200000);
    BufferViewDialog viewer(bytes.data(), 0x200000, nullptr, [](QWidget*, uint32_t) { return -1; });
    EXPECT_FALSE(viewer.Fill());
    EXPECT_EQ(List(&viewer)->model()->rowCount(), 0);
    EXPECT_EQ(viewer.exec(), -1);
    EXPECT_FALSE(viewer.isVisible());
}

TEST(BufferViewer, EmptyBufferListsNothing) {
    BufferViewDialog viewer(nullptr, 0, nullptr, NoChooserExpected);
    EXPECT_TRUE(viewer.Fill());
    EXPECT_EQ(List(&viewer)->model()->rowCount(), 0);
}

TEST(BufferSectionChooser, OffersEveryScreenOfTheLargestBuffer) {
    BufferSectionDialog chooser(0x200000);
    EXPECT_EQ(chooser.windowTitle(), "Display Buffer Section ");
    EXPECT_EQ(chooser.findChild<QLabel*>("control1026")->text(), "200000 ");
    EXPECT_EQ(chooser.findChild<QLabel*>("control1025")->text(), "05 ");
    auto* beginnings = chooser.findChild<QComboBox*>("control1012");
    QStringList entries;
    for (int i = 0; i < beginnings->count(); ++i) {
        entries << beginnings->itemText(i);
    }
    EXPECT_EQ(entries, QStringList({"000000 ", "07FDF0 ", "0FFBE0 ", "17F9D0 ", "1FF7C0 "}));
    EXPECT_EQ(beginnings->currentIndex(), -1);

    BufferSectionDialog twoScreens(0x80000);
    EXPECT_EQ(twoScreens.findChild<QComboBox*>("control1012")->count(), 2);
    EXPECT_EQ(twoScreens.findChild<QLabel*>("control1025")->text(), "02 ");
}

TEST(BufferSectionChooser, AnswersTheChosenIndexOrMinusOne) {
    auto run = [](std::function<void(QWidget*)> act) {
        BufferSectionDialog chooser(0x200000);
        OnNextModalDialog(std::move(act));
        return chooser.exec();
    };
    auto button = [](QWidget* d, const char* name) { return d->findChild<QPushButton*>(name); };
    EXPECT_EQ(run([&](QWidget* d) {
                  d->findChild<QComboBox*>("control1012")->setCurrentIndex(3);
                  button(d, "control1")->click();
              }),
              3);
    EXPECT_EQ(run([&](QWidget* d) { button(d, "control1")->click(); }), -1);
    EXPECT_EQ(run([&](QWidget* d) {
                  d->findChild<QComboBox*>("control1012")->setCurrentIndex(3);
                  button(d, "control2")->click();
              }),
              -1);
    EXPECT_EQ(run([](QWidget* d) { PressKey(d, Qt::Key_Escape); }), -1);
    EXPECT_EQ(run([](QWidget* d) { d->close(); }), -1);
}

TEST(BufferViewer, RunsTheRealChooserAndClosesOnEnter) {
    const std::vector<uint8_t> bytes = CountingBuffer(0x200000);
    BufferViewDialog viewer(bytes.data(), 0x200000);
    QStringList listedWhileOpen;
    auto closeViewer = [&](QWidget* modal) {
        listedWhileOpen = ListedLines(modal);
        PressKey(List(modal), Qt::Key_Return);
    };
    auto chooseThirdScreen = [&](QWidget* chooser) {
        ASSERT_NE(qobject_cast<BufferSectionDialog*>(chooser), nullptr);
        chooser->findChild<QComboBox*>("control1012")->setCurrentIndex(2);
        // The viewer's own loop comes next; it is the modal dialog once the chooser is gone.
        OnNextModalDialog(closeViewer, chooser);
        chooser->findChild<QPushButton*>("control1")->click();
    };
    OnNextModalDialog(chooseThirdScreen, &viewer);
    EXPECT_EQ(viewer.exec(), QDialog::Accepted);
    ASSERT_FALSE(listedWhileOpen.isEmpty());
    EXPECT_TRUE(listedWhileOpen.front().startsWith("0FFBE0: "));
}

class BufferViewerCopy : public ::testing::Test {
protected:
    void SetUp() override {
        viewer.show();
        ASSERT_TRUE(viewer.Fill());
        QGuiApplication::clipboard()->setText("untouched");
    }
    void Select(std::initializer_list<int> rows) {
        QItemSelectionModel* selection = List(&viewer)->selectionModel();
        // As clicks do: each clicked line becomes the current one.
        for (int row : rows) {
            selection->setCurrentIndex(List(&viewer)->model()->index(row, 0), QItemSelectionModel::Select);
        }
    }
    QString Clipboard() const { return QGuiApplication::clipboard()->text(); }

    std::vector<uint8_t> bytes = CountingBuffer(4536);
    BufferViewDialog viewer{bytes.data(), 4536, nullptr, NoChooserExpected};
};

TEST_F(BufferViewerCopy, NothingSelectedLeavesTheClipboard) {
    PressKey(List(&viewer), Qt::Key_C);
    EXPECT_EQ(Clipboard(), "untouched");
}

TEST_F(BufferViewerCopy, SelectedLinesGoInListOrderEachWithALineFeed) {
    Select({283, 1, 0});
    const QString expected =
        "000000: 00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F \n"
        "000010: 10 11 12 13 14 15 16 17 18 19 1A 1B 1C 1D 1E 1F \n"
        "0011B0: B0 B1 B2 B3 B4 B5 B6 B7 \n";
    for (Qt::KeyboardModifiers modifiers : {Qt::KeyboardModifiers(Qt::NoModifier),
                                            Qt::KeyboardModifiers(Qt::ControlModifier),
                                            Qt::KeyboardModifiers(Qt::ShiftModifier)}) {
        QGuiApplication::clipboard()->setText("untouched");
        PressKey(List(&viewer), Qt::Key_C, modifiers);
        EXPECT_EQ(Clipboard(), expected) << "modifiers " << modifiers.toInt();
    }
}

TEST_F(BufferViewerCopy, OneFullLineIs57Characters) {
    Select({7});
    PressKey(List(&viewer), Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(Clipboard().size(), 57);
    EXPECT_EQ(Clipboard(), "000070: 70 71 72 73 74 75 76 77 78 79 7A 7B 7C 7D 7E 7F \n");
}

}  // namespace
