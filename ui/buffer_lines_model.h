#pragma once
#include <QAbstractListModel>
#include <cstdint>

// The lines of a buffer for a list view, each built only when the view asks for it.
// The model reads the buffer in place, so the buffer must outlive it.
class BufferLinesModel : public QAbstractListModel {
    Q_OBJECT

public:
    explicit BufferLinesModel(QObject* parent = nullptr);

    // Lists the lines from `start` on; no rows are shown until ShowLines.
    void SetBuffer(const uint8_t* data, uint32_t length, uint32_t start);
    // Shows the first `count` lines (rows only ever grow).
    void ShowLines(int count);

    int LineCount() const;
    QString LineText(int row) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

private:
    const uint8_t* bytes = nullptr;
    uint32_t length = 0;
    uint32_t start = 0;
    int lineCount = 0;
    int shownLines = 0;
};
