#pragma once
// A picture cut into equal cells, rows x columns, handed out one cell at a time.

#include <QImage>

namespace sitecapture {

class PictureClip {
public:
    PictureClip() = default;
    PictureClip(QImage picture, int rows, int cols);

    // Loads a picture (a file or a ":/" resource); false when it cannot be read.
    bool Load(const QString& path, int rows, int cols);

    int Rows() const { return rows_; }
    int Cols() const { return cols_; }
    int CellCount() const { return rows_ * cols_; }
    QSize CellSize() const;

    // Cell by index, row-major from the top left; a null image for an index out of range.
    QImage GraphicCell(int index) const;

private:
    QImage picture_;
    int rows_ = 0;
    int cols_ = 0;
};

} // namespace sitecapture
