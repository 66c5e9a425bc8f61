#include "picture_clip.h"

#include <utility>

namespace sitecapture {

PictureClip::PictureClip(QImage picture, int rows, int cols)
    : picture_(std::move(picture)), rows_(rows > 0 ? rows : 0), cols_(cols > 0 ? cols : 0)
{
}

bool PictureClip::Load(const QString& path, int rows, int cols)
{
    QImage picture(path);
    if (picture.isNull())
        return false;
    *this = PictureClip(std::move(picture), rows, cols);
    return true;
}

QSize PictureClip::CellSize() const
{
    if (rows_ == 0 || cols_ == 0)
        return {};
    return {picture_.width() / cols_, picture_.height() / rows_};
}

QImage PictureClip::GraphicCell(int index) const
{
    if (index < 0 || index >= CellCount() || picture_.isNull())
        return {};
    const QSize size = CellSize();
    const int row = index / cols_;
    const int col = index % cols_;
    return picture_.copy(col * size.width(), row * size.height(), size.width(), size.height());
}

} // namespace sitecapture
