// The status line of the main window as the engine's status functions drive it.
#include <QLabel>
#include <QProgressBar>
#include <QTimer>

#include "station_window_fixture.h"

namespace {

class StatusLineWindowTest : public StationWindowTest {
protected:
    QProgressBar* Progress() { return Window().findChild<QProgressBar*>("statusProgress"); }
    bool ProgressShown() { return !Progress()->isHidden(); }
};

TEST_F(StatusLineWindowTest, FollowsTheStatusFunctions) {
    Window();
    ShowStatusLine();
    EXPECT_TRUE(Shown("statusLabel"));
    EXPECT_TRUE(Shown("statusText"));
    EXPECT_EQ(Text("statusText"), "");
    EXPECT_FALSE(ProgressShown());

    SetStatusText("Part Read");
    EXPECT_EQ(Text("statusText"), "Part Read");
    SetStatusText("");
    EXPECT_EQ(Text("statusText"), "Part Read");

    ShowProgress(1, 3, "Part Read");
    EXPECT_EQ(Text("statusText"), "Part Read: 33% complete");
    EXPECT_TRUE(ProgressShown());
    EXPECT_EQ(Progress()->value(), 33);
    ShowProgress(2, 3, nullptr);
    EXPECT_EQ(Text("statusText"), "66% complete");
    EXPECT_EQ(Progress()->value(), 66);

    HideStatusLine();
    EXPECT_FALSE(Shown("statusLabel"));
    EXPECT_FALSE(Shown("statusText"));
    EXPECT_FALSE(ProgressShown());

    // The next operation starts without the last one's text or progress.
    ShowStatusLine();
    EXPECT_EQ(Text("statusText"), "");
    EXPECT_FALSE(ProgressShown());
    HideStatusLine();
}

TEST_F(StatusLineWindowTest, ProgressShownOnAHiddenLineShowsIt) {
    Window();
    ShowProgress(3, 3, "Blank Check");
    EXPECT_TRUE(Shown("statusLabel"));
    EXPECT_EQ(Text("statusText"), "Blank Check: 100% complete");
    EXPECT_EQ(Progress()->value(), 100);
}

TEST_F(StatusLineWindowTest, KeepsTheWindowAliveWhileAnOperationHoldsTheThread) {
    Window();
    bool otherEventsHandled = false;
    QTimer::singleShot(0, [&otherEventsHandled] { otherEventsHandled = true; });
    SetStatusText("Programmer check...");
    EXPECT_TRUE(otherEventsHandled);
}

TEST_F(StatusLineWindowTest, CloseBoxDuringAnOperationAsksToStopItAndKeepsTheWindow) {
    Window().show();
    operatorScript.answers = {MessageAnswer::No, MessageAnswer::Yes};
    QTimer::singleShot(0, [this] { window->close(); });
    ShowStatusLine();
    EXPECT_TRUE(Window().isVisible());
    EXPECT_FALSE(programmer.stopRequested);
    QTimer::singleShot(0, [this] { window->close(); });
    SetStatusText("Part Read");
    EXPECT_TRUE(Window().isVisible());
    EXPECT_TRUE(programmer.stopRequested);
    ASSERT_EQ(operatorScript.messages.size(), 2u);
    EXPECT_EQ(operatorScript.messages[1].text, "Stop the operation in progress?");
    HideStatusLine();
    Window().close();
    EXPECT_FALSE(Window().isVisible());
}

TEST_F(StatusLineWindowTest, DoesNothingOnceTheWindowIsGone) {
    Window();
    window.reset();
    ShowStatusLine();
    SetStatusText("Part Read");
    ShowProgress(1, 2, "Part Read");
    HideStatusLine();
}

}  // namespace
