// The committed face picture: its format, its anatomy, its colours, and that the generator
// in the repository still draws exactly this file.

#include "controls/xpcmdbutton/face_cell.h"
#include "controls/xpcmdbutton/picture_clip.h"

#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace sitecapture;

namespace {

QImage Picture()
{
    return QImage(QStringLiteral(":/xpcmdbutton/face.bmp"));
}

QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

quint32 Le32(const QByteArray& bytes, int at)
{
    return quint32(quint8(bytes[at])) | quint32(quint8(bytes[at + 1])) << 8 |
           quint32(quint8(bytes[at + 2])) << 16 | quint32(quint8(bytes[at + 3])) << 24;
}

TEST(FacePicture, IsAnEightBitPalettedBitmapOfFiveCells)
{
    const QByteArray bmp = ReadAll(QStringLiteral(":/xpcmdbutton/face.bmp"));
    ASSERT_GE(bmp.size(), 54);
    EXPECT_EQ(bmp.left(2), "BM");
    EXPECT_EQ(Le32(bmp, 18), 90u);
    EXPECT_EQ(Le32(bmp, 22), 21u);
    EXPECT_EQ(quint8(bmp[28]), 8);   // bits per pixel
    EXPECT_EQ(Le32(bmp, 30), 0u);    // uncompressed
    EXPECT_EQ(Le32(bmp, 46), 256u);  // palette entries

    const QImage picture = Picture();
    ASSERT_FALSE(picture.isNull());
    EXPECT_EQ(picture.size(), QSize(90, 21));
    EXPECT_EQ(picture.format(), QImage::Format_Indexed8);
    EXPECT_EQ(picture.colorCount(), 256);
}

TEST(FacePicture, PictureClipCutsOneRowOfFiveCells)
{
    const PictureClip pc(Picture(), 1, kFaceCellCount);
    EXPECT_EQ(pc.CellCount(), 5);
    EXPECT_EQ(pc.CellSize(), QSize(18, 21));
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(pc.GraphicCell(i), Picture().copy(18 * i, 0, 18, 21)) << "cell " << i;
    EXPECT_TRUE(pc.GraphicCell(-1).isNull());
    EXPECT_TRUE(pc.GraphicCell(5).isNull());
    EXPECT_TRUE(PictureClip().GraphicCell(0).isNull());
}

struct CellLook {
    qint16 cell;
    QRgb frame;
    QRgb middleTop;    // row 3
    QRgb middleBottom; // row 17
    QRgb ringTop;      // row 1, outer ring pixel
    QRgb ringBottom;   // row 19
};

class FaceCellLook : public ::testing::TestWithParam<CellLook> {};

TEST_P(FaceCellLook, HasItsFrameFaceAndRingColours)
{
    const CellLook& look = GetParam();
    const QImage cell = PictureClip(Picture(), 1, 5).GraphicCell(look.cell).convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(cell.pixel(9, 0), look.frame);
    EXPECT_EQ(cell.pixel(9, 20), look.frame);
    EXPECT_EQ(cell.pixel(0, 10), look.frame);
    EXPECT_EQ(cell.pixel(17, 10), look.frame);
    EXPECT_EQ(cell.pixel(9, 3), look.middleTop);
    EXPECT_EQ(cell.pixel(9, 17), look.middleBottom);
    EXPECT_EQ(cell.pixel(9, 1), look.ringTop);
    EXPECT_EQ(cell.pixel(9, 19), look.ringBottom);

    // Rounded corners: the corner pixel is lighter than the frame beside it.
    for (const QPoint corner : {QPoint(0, 0), QPoint(17, 0), QPoint(0, 20), QPoint(17, 20)})
        EXPECT_GT(qGray(cell.pixel(corner)), qGray(look.frame)) << corner.x() << "," << corner.y();
}

std::string CellName(const ::testing::TestParamInfo<CellLook>& info)
{
    static const char* const kNames[] = {"Normal", "Pressed", "Disabled", "Hover", "Marked"};
    return kNames[info.param.cell];
}

INSTANTIATE_TEST_SUITE_P(
    AllCells, FaceCellLook,
    ::testing::Values(CellLook{FaceCell::Normal, 0xFF003C74, 0xFFFCFCFB, 0xFFECEBE6, 0xFFFFFFFF, 0xFFD6D0C5},
                      CellLook{FaceCell::Pressed, 0xFF003C74, 0xFFE5E4DD, 0xFFE0E0D7, 0xFFC9C5BA, 0xFFF1F0EC},
                      CellLook{FaceCell::Disabled, 0xFFC9C7BA, 0xFFF5F4EA, 0xFFF5F4EA, 0xFFF5F4EA, 0xFFF5F4EA},
                      CellLook{FaceCell::Hover, 0xFF003C74, 0xFFFCFCFB, 0xFFECEBE6, 0xFFFFF0CF, 0xFFE59700},
                      CellLook{FaceCell::Marked, 0xFF003C74, 0xFFFCFCFB, 0xFFECEBE6, 0xFFCEE7FF, 0xFF6982EE}),
    CellName);

TEST(FacePicture, DisabledCellHasWhiteCornerPixels)
{
    const QImage cell = PictureClip(Picture(), 1, 5).GraphicCell(FaceCell::Disabled).convertToFormat(QImage::Format_RGB32);
    for (const QPoint corner : {QPoint(0, 0), QPoint(17, 0), QPoint(0, 20), QPoint(17, 20)})
        EXPECT_EQ(cell.pixel(corner), 0xFFFFFFFFu);
}

// The control stretches the top and bottom edges and the middle sideways, so each of their
// rows must be one colour across the twelve middle columns.
TEST(FacePicture, StretchedRowsAreUniformInEveryCell)
{
    const PictureClip pc(Picture(), 1, 5);
    for (int i = 0; i < 5; ++i) {
        const QImage cell = pc.GraphicCell(i).convertToFormat(QImage::Format_RGB32);
        for (int y = 0; y < 21; ++y)
            for (int x = 4; x < 15; ++x)
                ASSERT_EQ(cell.pixel(x, y), cell.pixel(3, y)) << "cell " << i << " at " << x << "," << y;
    }
}

TEST(FacePicture, GeneratorDrawsTheCommittedFile)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString out = dir.filePath(QStringLiteral("face.bmp"));
    QProcess gen;
    gen.start(QStringLiteral(SITECAPTURE_FACEGEN_PATH), {out});
    ASSERT_TRUE(gen.waitForFinished(30000));
    ASSERT_EQ(gen.exitCode(), 0) << gen.readAllStandardError().toStdString();
    const QByteArray generated = ReadAll(out);
    ASSERT_FALSE(generated.isEmpty());
    EXPECT_TRUE(generated == ReadAll(QStringLiteral(SITECAPTURE_FACE_BMP)))
        << "regenerate src/controls/xpcmdbutton/face.bmp with xpcmdbutton-facegen";
    EXPECT_TRUE(generated == ReadAll(QStringLiteral(":/xpcmdbutton/face.bmp")));
}

} // namespace
