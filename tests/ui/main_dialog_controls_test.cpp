// The main window as it opens: its controls, texts, initial states, groups, the port list and
// the window menu with the About box.
#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QGroupBox>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>

#include "dialog_driver.h"
#include "station_window_fixture.h"
#include "ui/about_dialog.h"
#include "ui/eliding_label.h"

namespace {

struct ControlSpec {
    const char* name;
    int id;   // the control's resource id, kept as its controlId property
    const char* text;
    bool enabled;
    bool shown;
    const char* group;   // title of the group box it sits in; "" for none
};

const ControlSpec kControls[] = {
    {"identifyButton", 1002, "&Identify PROM", true, true, "PROM operations"},
    {"readButton", 1003, "&Read PROM into buffer", false, true, "PROM operations"},
    {"resetHighButton", 1023, "Reset &High", false, true, "Program Options"},
    {"resetLowButton", 1024, "Reset L&ow", false, true, "Program Options"},
    {"serialOutputButton", 1025, "S&erial Output", false, true, "Program Options"},
    {"parallelOutputButton", 1026, "Par&allel Output", false, true, "Program Options"},
    {"busyFloatingButton", 1027, "Busy &Floating", false, true, "Program Options"},
    {"busyPulledDownButton", 1028, "Busy Pulled &Down", false, true, "Program Options"},
    {"programButton", 1004, "&Program PROM from buffer", false, true, "PROM operations"},
    {"compareButton", 1005, "&Compare PROM to buffer", false, true, "PROM operations"},
    {"loadButton", 1001, "&Load file into buffer", false, true, "File operations"},
    {"saveButton", 1006, "&Save buffer to a file", false, true, "File operations"},
    {"promNameLine", 1007, "PROM name:", true, true, "PROM information"},
    {"promBlankLine", 1011, "PROM blank:", true, true, "PROM information"},
    {"resetActiveLine", 1010, "Reset active:", true, true, "PROM information"},
    {"expressOutputLine", 1020, "", true, true, "PROM information"},
    {"busyPinLine", 1019, "", true, true, "PROM information"},
    {"wordSizeLine", 1009, "Word size:", true, false, "PROM information"},
    {"promSizeLine", 1008, "PROM size:", true, false, "PROM information"},
    {"statusLabel", 1022, "Status:", true, false, "PROM information"},
    {"statusText", 1021, "", true, false, "PROM information"},
    {"bufferStateLine", 1013, "Buffer Contents: Empty", true, true, "Buffer operations"},
    {"checksumLine", 1016, "CheckSum: 0x0000", true, true, "Buffer operations"},
    {"viewBufferButton", 1014, "&View Buffer", false, true, "Buffer operations"},
    {"portLabel", 1015, "LPT Port", true, true, ""},
    {"quitButton", 1, "&Quit", true, true, ""},
};

std::string GroupTitle(QWidget* control) {
    for (QWidget* parent = control->parentWidget(); parent; parent = parent->parentWidget()) {
        if (auto* group = qobject_cast<QGroupBox*>(parent)) {
            return group->title().toStdString();
        }
    }
    return "";
}

using MainWindowControls = StationWindowTest;

TEST_F(MainWindowControls, OpenWithTheirTextsStatesAndGroups) {
    for (const ControlSpec& spec : kControls) {
        SCOPED_TRACE(spec.name);
        EXPECT_EQ(Text(spec.name), spec.text);
        EXPECT_EQ(Enabled(spec.name), spec.enabled);
        EXPECT_EQ(Shown(spec.name), spec.shown);
        EXPECT_EQ(GroupTitle(Find(spec.name)), spec.group);
        EXPECT_EQ(Find(spec.name)->property("controlId").toInt(), spec.id);
    }
    EXPECT_EQ(Find("promInformationGroup")->property("controlId").toInt(), 1018);
    EXPECT_EQ(qobject_cast<QGroupBox*>(Find("promInformationGroup"))->title(), "PROM information");
    EXPECT_EQ(Window().windowTitle(), "Xilinx Serial PROM Programmer - Version 4.1 - 8/21/04");
    EXPECT_FALSE(Window().windowIcon().isNull());
    EXPECT_TRUE(Window().windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_TRUE(Find<QPushButton>("quitButton")->isDefault());
    EXPECT_TRUE(operatorScript.messages.empty());   // version 8: no driver message
}

TEST_F(MainWindowControls, PortListIsSortedAndShowsThePortBase) {
    auto* ports = Find<QComboBox>("portSelector");
    ASSERT_EQ(ports->count(), 3);
    EXPECT_EQ(ports->itemText(0), "LPT1 (0x378)");
    EXPECT_EQ(ports->itemText(1), "LPT2 (0x278)");
    EXPECT_EQ(ports->itemText(2), "OLD LPT1 (0x3BC)");
    QStringList sorted{ports->itemText(0), ports->itemText(1), ports->itemText(2)};
    sorted.sort();
    EXPECT_EQ(sorted.first(), ports->itemText(0));
    EXPECT_EQ(sorted.last(), ports->itemText(2));
    EXPECT_EQ(ports->currentIndex(), 0);
}

TEST_F(MainWindowControls, OptionPairsStartUnsetAndStaySetOncePressed) {
    MainDialog& window = Window();
    window.TakeOptionChoices();
    EXPECT_EQ(window.resetChoice, -1);
    EXPECT_EQ(window.busyChoice, -1);
    EXPECT_EQ(window.outputChoice, -1);

    for (const char* name : {"resetHighButton", "resetLowButton", "serialOutputButton", "parallelOutputButton",
                             "busyFloatingButton", "busyPulledDownButton"}) {
        Find(name)->setEnabled(true);
        EXPECT_TRUE(Find<QAbstractButton>(name)->isCheckable());
        EXPECT_FALSE(Find<QAbstractButton>(name)->isChecked());
    }
    Click("resetLowButton");   // Reset Low
    Click("busyFloatingButton");   // Busy Floating
    Click("resetLowButton");   // pressing it again keeps the pair set
    window.TakeOptionChoices();
    EXPECT_EQ(window.resetChoice, 1);
    EXPECT_EQ(window.busyChoice, 0);
    EXPECT_EQ(window.outputChoice, -1);

    Click("resetHighButton");   // moves the reset choice, leaves the others
    Click("parallelOutputButton");
    window.TakeOptionChoices();
    EXPECT_EQ(window.resetChoice, 0);
    EXPECT_FALSE(Find<QAbstractButton>("resetLowButton")->isChecked());
    EXPECT_EQ(window.busyChoice, 0);
    EXPECT_EQ(window.outputChoice, 1);
}

TEST_F(MainWindowControls, QuitTakesTheOptionChoicesAndEndsTheWindow) {
    Find("resetHighButton")->setEnabled(true);
    Click("resetHighButton");
    Click("quitButton");
    EXPECT_EQ(Window().result(), QDialog::Accepted);
    EXPECT_EQ(Window().resetChoice, 0);
}

TEST_F(MainWindowControls, WindowMenuOpensTheAboutBox) {
    auto* menuButton = Window().findChild<QToolButton*>("systemMenuButton");
    ASSERT_NE(menuButton, nullptr);
    ASSERT_NE(menuButton->menu(), nullptr);
    QList<QAction*> entries = menuButton->menu()->actions();
    ASSERT_EQ(entries.size(), 2);
    EXPECT_TRUE(entries[0]->isSeparator());
    EXPECT_EQ(entries[1]->text(), "&About TOBRANE...");

    std::string caption, product, version, date;
    QTimer::singleShot(0, [&] {
        auto* about = qobject_cast<AboutDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(about, nullptr);
        caption = about->windowTitle().toStdString();
        product = about->findChild<QLabel*>("aboutProduct")->text().toStdString();
        version = about->findChild<QLabel*>("control1027")->text().toStdString();
        date = about->findChild<QLabel*>("control1028")->text().toStdString();
        EXPECT_FALSE(about->findChild<QLabel*>("aboutIcon")->pixmap().isNull());
        about->accept();
    });
    entries[1]->trigger();
    EXPECT_EQ(caption, "About TOBRANE.exe");
    EXPECT_EQ(product, "Xilinx Serial PROM Programmer");
    EXPECT_EQ(version, "TOBRANE Version 4.1");
    EXPECT_EQ(date, "8/21/04");
}

TEST_F(MainWindowControls, ALongFileNameIsShortenedInTheMiddleWithTheWholeNameAsTooltip) {
    auto* line = qobject_cast<ElidingLabel*>(Find<QWidget>("bufferStateLine"));
    ASSERT_NE(line, nullptr);
    Window().show();
    const QString name = "Buffer State: File - /home/me/boards/rack-7/controller/" + QString(80, 'x') + "/final.mcs";
    line->SetWholeText(name);
    EXPECT_EQ(line->text(), name);
    EXPECT_TRUE(line->ShownText().contains(QChar(0x2026)));
    EXPECT_TRUE(line->ShownText().startsWith("Buffer State: File"));
    EXPECT_TRUE(line->ShownText().endsWith("final.mcs"));
    EXPECT_EQ(line->toolTip(), name);

    line->SetWholeText("Buffer State: File - a.mcs");
    EXPECT_EQ(line->ShownText(), "Buffer State: File - a.mcs");
    EXPECT_EQ(line->toolTip(), "");
}

TEST_F(MainWindowControls, RightButtonOnTheBackgroundIsReported) {
    int presses = 0;
    QObject::connect(&Window(), &MainDialog::rightButtonPressed, [&presses] { ++presses; });
    Window().show();   // laid out, so that the corner is background
    // The right press opens the PROM information, which is closed again here.
    OnNextModalDialog([](QWidget* information) { qobject_cast<QDialog*>(information)->reject(); });
    const QPointF inside(5, 5);
    QMouseEvent right(QEvent::MouseButtonPress, inside, Window().mapToGlobal(inside), Qt::RightButton,
                      Qt::RightButton, Qt::NoModifier);
    QApplication::sendEvent(&Window(), &right);
    QMouseEvent left(QEvent::MouseButtonPress, inside, Window().mapToGlobal(inside), Qt::LeftButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&Window(), &left);
    EXPECT_EQ(presses, 1);

    // A disabled button takes no clicks: the press is the window's. The port selector takes
    // its own, even one that reaches the window.
    const auto rightPressOn = [this](const char* name) {
        auto* control = Find<QWidget>(name);
        const QPointF at = control->mapTo(&Window(), QPointF(control->width() / 2.0, control->height() / 2.0));
        QMouseEvent press(QEvent::MouseButtonPress, at, Window().mapToGlobal(at), Qt::RightButton, Qt::RightButton,
                          Qt::NoModifier);
        QApplication::sendEvent(&Window(), &press);
    };
    ASSERT_FALSE(Find<QWidget>("programButton")->isEnabled());
    OnNextModalDialog([](QWidget* information) { qobject_cast<QDialog*>(information)->reject(); });
    rightPressOn("programButton");
    EXPECT_EQ(presses, 2);
    rightPressOn("portSelector");
    rightPressOn("identifyButton");
    EXPECT_EQ(presses, 2);
}

}  // namespace
