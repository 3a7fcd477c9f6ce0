#pragma once
#include <QDialog>

class QPushButton;

// A modal question about one option bit, with three answers: 1 for its first button, -1 for
// its second, 0 for Abort (also Escape and the close box).
class OptionPromptDialog : public QDialog {
    Q_OBJECT

public:
    // Runs the prompt modally and returns the answer.
    int Ask();

protected:
    explicit OptionPromptDialog(QWidget* parent);
    void ConnectAnswers(QPushButton* first, QPushButton* second, QPushButton* abort);
};
