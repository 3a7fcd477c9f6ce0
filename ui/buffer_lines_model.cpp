#include "ui/buffer_lines_model.h"

#include <algorithm>

#include "buffer/buffer_lines.h"

BufferLinesModel::BufferLinesModel(QObject* parent) : QAbstractListModel(parent) {}

void BufferLinesModel::SetBuffer(const uint8_t* data, uint32_t byteCount, uint32_t firstOffset) {
    beginResetModel();
    bytes = data;
    length = data ? byteCount : 0;
    start = firstOffset;
    lineCount = static_cast<int>(BufferLineCount(length, start));
    shownLines = 0;
    endResetModel();
}

void BufferLinesModel::ShowLines(int count) {
    count = std::min(count, lineCount);
    if (count <= shownLines) {
        return;
    }
    beginInsertRows(QModelIndex(), shownLines, count - 1);
    shownLines = count;
    endInsertRows();
}

int BufferLinesModel::LineCount() const {
    return lineCount;
}

QString BufferLinesModel::LineText(int row) const {
    const uint32_t offset = start + static_cast<uint32_t>(row) * kBufferLineBytes;
    return QString::fromStdString(BufferLine(bytes, length, offset));
}

int BufferLinesModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : shownLines;
}

QVariant BufferLinesModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= shownLines) {
        return {};
    }
    return LineText(index.row());
}
