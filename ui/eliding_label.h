#pragma once
#include <QLabel>

// A one-line label that shortens a text too long for it in the middle, with an ellipsis, and
// then shows the whole text as its tooltip. text() stays the whole text.
class ElidingLabel final : public QLabel {
    Q_OBJECT

public:
    explicit ElidingLabel(QWidget* parent = nullptr);
    void SetWholeText(const QString& text);
    // The text as it is shown.
    QString ShownText() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void UpdateToolTip();
};
