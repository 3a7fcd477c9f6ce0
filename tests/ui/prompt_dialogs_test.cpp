#include <gtest/gtest.h>

#include <QApplication>
#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>
#include <functional>
#include <memory>
#include <vector>

#include "dialog_driver.h"
#include "engine/programmer.h"
#include "platform/platform_value.h"
#include "ui/buffer_section_dialog.h"
#include "ui/busy_prompt_dialog.h"
#include "ui/prom_info_dialog.h"
#include "ui/output_prompt_dialog.h"
#include "ui/reset_prompt_dialog.h"

namespace {

struct PromptCase {
    const char* name;
    std::function<std::unique_ptr<OptionPromptDialog>()> make;
    const char* title;
    const char* question;
    const char* first;
    const char* second;
    std::vector<const char*> tabOrder;   // object names of the buttons
};

std::vector<PromptCase> Prompts() {
    return {
        {"Reset", [] { return std::make_unique<ResetPromptDialog>(); }, "Reset Pin Program Setting",
         "How should the reset pin be programmed?", "Active &High", "Active &Low",
         {"control1", "control3", "control2"}},
        {"Busy", [] { return std::make_unique<BusyPromptDialog>(); }, "Busy Pin Program Setting",
         "How should the busy bit be programmed?", "Busy &Floating", "Busy &Pulled Down",
         {"control1", "control3", "control2"}},
        {"Output", [] { return std::make_unique<OutputPromptDialog>(); },
         "Serial-Parallel Output Pin Program Setting",
         "How should the serial-parallel output pin be programmed?", "&Serial Output", "&Parallel Output",
         {"control1", "control2", "control3"}},
    };
}

QPushButton* Button(QWidget* dialog, const char* name) {
    return dialog->findChild<QPushButton*>(name);
}

// The buttons in the order Tab visits them, from the first one.
std::vector<QString> ButtonTabOrder(QWidget* dialog) {
    std::vector<QString> order;
    QWidget* first = Button(dialog, "control1");
    QWidget* widget = first;
    do {
        if (qobject_cast<QPushButton*>(widget) && (widget->focusPolicy() & Qt::TabFocus)) {
            order.push_back(widget->objectName());
        }
        widget = widget->nextInFocusChain();
    } while (widget != first);
    return order;
}

int AskAndAct(const PromptCase& prompt, std::function<void(QWidget*)> act) {
    auto dialog = prompt.make();
    OnNextModalDialog(std::move(act));
    return dialog->Ask();
}

TEST(OptionPrompts, ShowTheirTextsButtonsAndTabOrder) {
    for (const PromptCase& prompt : Prompts()) {
        SCOPED_TRACE(prompt.name);
        auto dialog = prompt.make();
        EXPECT_EQ(dialog->windowTitle(), prompt.title);
        EXPECT_EQ(dialog->findChild<QLabel*>("question")->text(), prompt.question);
        ASSERT_NE(Button(dialog.get(), "control1"), nullptr);
        EXPECT_EQ(Button(dialog.get(), "control1")->text(), prompt.first);
        EXPECT_EQ(Button(dialog.get(), "control3")->text(), prompt.second);
        EXPECT_EQ(Button(dialog.get(), "control2")->text(), "&Abort");
        EXPECT_TRUE(Button(dialog.get(), "control1")->isDefault());
        std::vector<QString> expectedOrder(prompt.tabOrder.begin(), prompt.tabOrder.end());
        EXPECT_EQ(ButtonTabOrder(dialog.get()), expectedOrder);
    }
}

TEST(OptionPrompts, OutputPromptKeepsAbortRightmost) {
    OutputPromptDialog dialog;
    dialog.show();
    EXPECT_LT(Button(&dialog, "control1")->x(), Button(&dialog, "control3")->x());
    EXPECT_LT(Button(&dialog, "control3")->x(), Button(&dialog, "control2")->x());
}

TEST(OptionPrompts, OnlyTheResetPromptLacksACloseBox) {
    ResetPromptDialog reset;
    BusyPromptDialog busy;
    EXPECT_FALSE(reset.windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_TRUE(reset.windowFlags() & Qt::CustomizeWindowHint);
    EXPECT_FALSE(busy.windowFlags() & Qt::CustomizeWindowHint);
}

TEST(OptionPrompts, AnswerOneMinusOneOrZero) {
    for (const PromptCase& prompt : Prompts()) {
        SCOPED_TRACE(prompt.name);
        EXPECT_EQ(AskAndAct(prompt, [](QWidget* d) { Button(d, "control1")->click(); }), 1);
        EXPECT_EQ(AskAndAct(prompt, [](QWidget* d) { Button(d, "control3")->click(); }), -1);
        EXPECT_EQ(AskAndAct(prompt, [](QWidget* d) { Button(d, "control2")->click(); }), 0);
        EXPECT_EQ(AskAndAct(prompt, [](QWidget* d) { PressKey(d, Qt::Key_Escape); }), 0);
        EXPECT_EQ(AskAndAct(prompt, [](QWidget* d) { d->close(); }), 0);
        // Enter presses the default button.
        EXPECT_EQ(AskAndAct(prompt, [](QWidget* d) { PressKey(d, Qt::Key_Return); }), 1);
    }
}

}  // namespace

namespace {

// The desktop cuts a caption that does not fit the title bar: every dialog is made wide enough.
TEST(DialogCaptions, EveryDialogIsWideEnoughForItsCaption) {
    Programmer programmer(platform::kDirectPortFamilyVersion);
    std::vector<std::unique_ptr<QDialog>> dialogs;
    dialogs.push_back(std::make_unique<ResetPromptDialog>());
    dialogs.push_back(std::make_unique<BusyPromptDialog>());
    dialogs.push_back(std::make_unique<OutputPromptDialog>());
    dialogs.push_back(std::make_unique<PromInfoDialog>(programmer));
    dialogs.push_back(std::make_unique<BufferSectionDialog>(2268));
    const QFontMetrics metrics(QApplication::font());
    for (const auto& dialog : dialogs) {
        dialog->show();
        EXPECT_GE(dialog->width(), metrics.horizontalAdvance(dialog->windowTitle()) + 120)
            << dialog->windowTitle().toStdString();
        dialog->hide();
    }
}

}  // namespace
