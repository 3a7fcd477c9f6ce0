#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/status_line.h"

namespace {

// A window that keeps the status line's state and logs every call, repaints included.
class FakeStatusWindow : public StatusLineWindow {
public:
    void SetStatusLineVisible(bool shown) override {
        visible = shown;
        calls.push_back(shown ? "show" : "hide");
    }
    void SetStatusLineText(const std::string& newText) override {
        text = newText;
        calls.push_back("text:" + newText);
    }
    void SetStatusLineProgress(int newPercent) override { percent = newPercent; }
    void RepaintStatusLine() override { calls.push_back("repaint"); }

    bool visible = false;
    std::string text = "Status";
    int percent = -2;
    std::vector<std::string> calls;
};

class StatusLineTest : public ::testing::Test {
protected:
    StatusLineTest() { SetStatusLineWindow(&window); }
    ~StatusLineTest() override { SetStatusLineWindow(nullptr); }
    FakeStatusWindow window;
};

TEST_F(StatusLineTest, PercentIsTruncatedAndZeroForNoTotal) {
    EXPECT_EQ(ProgressPercent(1, 3), 33);
    EXPECT_EQ(ProgressPercent(2, 3), 66);
    EXPECT_EQ(ProgressPercent(199, 200), 99);
    EXPECT_EQ(ProgressPercent(3, 3), 100);
    EXPECT_EQ(ProgressPercent(5, 0), 0);
    EXPECT_EQ(ProgressPercent(0, 0), 0);
    // Taken as a signed 8-bit value: past 127 % it wraps.
    EXPECT_EQ(ProgressPercent(2, 1), -56);
}

TEST_F(StatusLineTest, ProgressTextWithAndWithoutLabel) {
    ShowProgress(1, 3, "Part Read");
    EXPECT_EQ(window.text, "Part Read: 33% complete");
    EXPECT_EQ(window.percent, 33);
    EXPECT_TRUE(window.visible);
    ShowProgress(3, 3, nullptr);
    EXPECT_EQ(window.text, "100% complete");
    ShowProgress(7, 0, "Blank Check");
    EXPECT_EQ(window.text, "Blank Check: 0% complete");
}

TEST_F(StatusLineTest, OperationSequenceRepaintsAfterEveryChange) {
    ShowStatusLine();
    SetStatusText("Power On - Part Read");
    SetStatusText("");   // an empty text leaves the previous one
    ShowProgress(0, 100, "Part Read");
    HideStatusLine();
    EXPECT_EQ(window.calls, (std::vector<std::string>{
                                "text:", "show", "repaint",                          //
                                "text:Power On - Part Read", "repaint",              //
                                "text:Part Read: 0% complete", "show", "repaint",    //
                                "hide", "repaint"}));
    EXPECT_FALSE(window.visible);
    EXPECT_EQ(window.text, "Part Read: 0% complete");
}

TEST(StatusLineWithoutWindowTest, EveryCallIsHarmless) {
    FakeStatusWindow window;
    SetStatusLineWindow(nullptr);
    ShowStatusLine();
    SetStatusText("Part Identify");
    ShowProgress(1, 2, "Part Read");
    HideStatusLine();
    EXPECT_TRUE(window.calls.empty());
}

}  // namespace
