// The face painted in nine slices, checked on the pixels the window shows: corners copied
// as they are, edges stretched in one direction, the middle in both, nothing of the
// window's background left, for every face at the sizes of the stored buttons.

#include "button_harness.h"

#include "controls/xpcmdbutton/face_cell.h"
#include "controls/xpcmdbutton/nine_slice.h"

#include <gtest/gtest.h>

#include <vector>

using namespace sitecapture;

namespace {

using Line = std::vector<QRgb>;

Line Row(const QImage& image, int y, int x0, int x1)
{
    Line line;
    for (int x = x0; x < x1; ++x)
        line.push_back(image.pixel(x, y));
    return line;
}

// The columns [x0, x1) of rows [y0, y1), one Line per column.
std::vector<Line> Columns(const QImage& image, int x0, int x1, int y0, int y1)
{
    std::vector<Line> lines;
    for (int x = x0; x < x1; ++x) {
        Line column;
        for (int y = y0; y < y1; ++y)
            column.push_back(image.pixel(x, y));
        lines.push_back(column);
    }
    return lines;
}

std::vector<Line> Rows(const QImage& image, int x0, int x1, int y0, int y1)
{
    std::vector<Line> lines;
    for (int y = y0; y < y1; ++y)
        lines.push_back(Row(image, y, x0, x1));
    return lines;
}

// `target` is `source` resampled along the sequence: every target element is some source
// element, in source order, starting with the first and ending with the last.
template <typename T, typename Same>
bool IsResampled(const std::vector<T>& target, const std::vector<T>& source, Same same)
{
    if (target.empty() || source.empty())
        return false;
    if (!same(target.front(), source.front()) || !same(target.back(), source.back()))
        return false;
    size_t j = 0;
    for (const T& t : target) {
        while (j < source.size() && !same(t, source[j]))
            ++j;
        if (j == source.size())
            return false;
    }
    return true;
}

bool SameLine(const Line& a, const Line& b)
{
    return a == b;
}

// A middle row is a sideways stretch of a middle row of the cell.
bool StretchedLine(const Line& target, const Line& source)
{
    std::vector<QRgb> t(target.begin(), target.end());
    std::vector<QRgb> s(source.begin(), source.end());
    return IsResampled(t, s, [](QRgb a, QRgb b) { return a == b; });
}

::testing::AssertionResult IsNineSliced(const QImage& shown, const QImage& cellImage)
{
    const QImage cell = cellImage.convertToFormat(QImage::Format_RGB32);
    const int w = shown.width();
    const int h = shown.height();
    struct Corner {
        int x, y, sx, sy;
    };
    for (const Corner c : {Corner{0, 0, 0, 0}, Corner{w - 3, 0, 15, 0}, Corner{0, h - 3, 0, 18},
                           Corner{w - 3, h - 3, 15, 18}}) {
        if (shown.copy(c.x, c.y, 3, 3) != cell.copy(c.sx, c.sy, 3, 3))
            return ::testing::AssertionFailure() << "corner at " << c.x << "," << c.y << " differs";
    }
    if (!IsResampled(Columns(shown, 3, w - 3, 0, 3), Columns(cell, 3, 15, 0, 3), SameLine))
        return ::testing::AssertionFailure() << "top edge is not the cell's top edge stretched sideways";
    if (!IsResampled(Columns(shown, 3, w - 3, h - 3, h), Columns(cell, 3, 15, 18, 21), SameLine))
        return ::testing::AssertionFailure() << "bottom edge is not stretched sideways";
    if (!IsResampled(Rows(shown, 0, 3, 3, h - 3), Rows(cell, 0, 3, 3, 18), SameLine))
        return ::testing::AssertionFailure() << "left edge is not stretched up and down";
    if (!IsResampled(Rows(shown, w - 3, w, 3, h - 3), Rows(cell, 15, 18, 3, 18), SameLine))
        return ::testing::AssertionFailure() << "right edge is not stretched up and down";
    if (!IsResampled(Rows(shown, 3, w - 3, 3, h - 3), Rows(cell, 3, 15, 3, 18), StretchedLine))
        return ::testing::AssertionFailure() << "middle is not stretched both ways";
    return ::testing::AssertionSuccess();
}

int CountOf(const QImage& image, QRgb colour)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += image.pixel(x, y) == colour;
    return n;
}

enum class Bring { Rest, Press, Disable, Hover, Mark };

struct FaceCase {
    QSize size;
    Bring bring;
    qint16 cell;
};

class NineSliceFace : public ::testing::TestWithParam<FaceCase> {};

TEST_P(NineSliceFace, ShowsTheCellInNineSlicesOverTheWholeButton)
{
    const FaceCase& c = GetParam();
    ButtonHarness h(c.size);
    const QPointF centre(c.size.width() / 2.0, c.size.height() / 2.0);
    switch (c.bring) {
    case Bring::Rest: break;
    case Bring::Press: h.Press(centre); break;
    case Bring::Disable: h.button->SetEnabled(false); break;
    case Bring::Hover: h.Move(centre); break;
    case Bring::Mark: h.button->SetState(1); break;
    }
    const QImage shown = h.Screen();
    ASSERT_EQ(shown.size(), c.size);
    EXPECT_TRUE(IsNineSliced(shown, h.button->Faces().GraphicCell(c.cell)));
    EXPECT_EQ(CountOf(shown, ButtonHarness::kBackground), 0);
    EXPECT_EQ(h.ShownCell(), c.cell);
}

std::vector<FaceCase> AllFaces()
{
    std::vector<FaceCase> cases;
    for (const QSize size : {QSize(73, 27), QSize(117, 18), QSize(58, 23), QSize(69, 24)}) {
        cases.push_back({size, Bring::Rest, FaceCell::Normal});
        cases.push_back({size, Bring::Press, FaceCell::Pressed});
        cases.push_back({size, Bring::Disable, FaceCell::Disabled});
        cases.push_back({size, Bring::Hover, FaceCell::Hover});
        cases.push_back({size, Bring::Mark, FaceCell::Marked});
    }
    return cases;
}

std::string FaceCaseName(const ::testing::TestParamInfo<FaceCase>& info)
{
    static const char* const kNames[] = {"Normal", "Pressed", "Disabled", "Hover", "Marked"};
    return std::to_string(info.param.size.width()) + "x" + std::to_string(info.param.size.height()) + "_" +
           kNames[info.param.cell];
}

INSTANTIATE_TEST_SUITE_P(StoredSizes, NineSliceFace, ::testing::ValuesIn(AllFaces()), FaceCaseName);

TEST(NineSlice, SlicesTileTheButtonWithoutGapOrOverlap)
{
    for (const QSize size : {QSize(6, 6), QSize(7, 9), QSize(73, 27), QSize(117, 18), QSize(300, 100)}) {
        std::vector<int> covered(size.width() * size.height(), 0);
        for (const Slice& s : NineSlices(size.width(), size.height(), QSize(18, 21), 3))
            for (int y = s.target.top(); y <= s.target.bottom(); ++y)
                for (int x = s.target.left(); x <= s.target.right(); ++x)
                    ++covered[y * size.width() + x];
        for (int n : covered)
            ASSERT_EQ(n, 1) << size.width() << "x" << size.height();
    }
}

TEST(NineSlice, EdgeAndMiddleSizesAtTheStoredSizes)
{
    const auto wide = NineSlices(73, 27, QSize(18, 21), 3);
    EXPECT_EQ(wide[4].target, QRect(3, 0, 67, 3));  // top edge 67 wide
    EXPECT_EQ(wide[7].target, QRect(3, 24, 67, 3)); // bottom edge
    EXPECT_EQ(wide[6].target, QRect(0, 3, 3, 21));  // left edge 21 high
    EXPECT_EQ(wide[5].target, QRect(70, 3, 3, 21)); // right edge
    EXPECT_EQ(wide[8].target, QRect(3, 3, 67, 21)); // middle
    EXPECT_EQ(wide[8].source, QRect(3, 3, 12, 15));

    const auto low = NineSlices(117, 18, QSize(18, 21), 3);
    EXPECT_EQ(low[8].target, QRect(3, 3, 111, 12)); // middle shrunk from 15 rows to 12
}

// Below 6 pixels the middle slices have no size; the corners still paint what fits.
TEST(NineSlice, TinyButtonsPaintWithoutLeavingTheImage)
{
    const QImage cell = PictureClip(QImage(QStringLiteral(":/xpcmdbutton/face.bmp")), 1, 5).GraphicCell(0);
    for (const QSize size : {QSize(1, 1), QSize(2, 5), QSize(5, 2), QSize(4, 4)}) {
        QImage image(size, QImage::Format_RGB32);
        image.fill(ButtonHarness::kBackground);
        PaintNineSlices(image, cell, 3);
        EXPECT_EQ(CountOf(image, ButtonHarness::kBackground), 0) << size.width() << "x" << size.height();
    }
}

TEST(NineSlice, CopyReplacesPixelsWithoutBlending)
{
    QImage cell(2, 1, QImage::Format_ARGB32);
    cell.setPixel(0, 0, 0x80FF0000); // half transparent red
    cell.setPixel(1, 0, 0xFF00FF00);
    QImage image(4, 2, QImage::Format_RGB32);
    image.fill(0xFF0000FF);
    CopyScaled(image, QRect(0, 0, 4, 2), cell, QRect(0, 0, 2, 1));
    EXPECT_EQ(image.pixel(0, 0) & 0xFFFFFF, 0xFF0000u); // red, not mixed with the blue below
    EXPECT_EQ(image.pixel(1, 1) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(image.pixel(2, 0), 0xFF00FF00u);
    EXPECT_EQ(image.pixel(3, 1), 0xFF00FF00u);
}

// The retained face is what the window shows after the button was covered.
TEST(NineSlice, FaceSurvivesARepaint)
{
    ButtonHarness h(QSize(73, 27));
    h.Move({10, 10});
    const QImage before = h.Screen();
    h.button->repaint();
    EXPECT_EQ(h.Screen(), before);
    EXPECT_EQ(h.ShownCell(), FaceCell::Hover);
}

// ---- caption colour ----

struct CaptionCase {
    bool enabled;
    QRgb colour;
};

class CaptionColour : public ::testing::TestWithParam<CaptionCase> {};

// Every pixel the caption changes lies between the face beneath and the caption colour
// (anti-aliased edges), and its solid strokes are the caption colour itself.
TEST_P(CaptionColour, CaptionIsDrawnInTheColourOfTheEnabledState)
{
    ButtonHarness h(QSize(73, 27), QStringLiteral("编辑记录"));
    h.button->SetFont(QFont(QStringLiteral("宋体"), 9));
    h.button->SetEnabled(GetParam().enabled);
    const QImage shown = h.Screen();
    const QImage face = h.button->FaceImage();
    const QColor ink = QColor::fromRgb(GetParam().colour);

    int changed = 0;
    int solid = 0;
    for (int y = 0; y < shown.height(); ++y) {
        for (int x = 0; x < shown.width(); ++x) {
            const QColor got = QColor::fromRgb(shown.pixel(x, y));
            const QColor under = QColor::fromRgb(face.pixel(x, y));
            if (got == under)
                continue;
            ++changed;
            solid += got == ink;
            auto between = [](int v, int a, int b) { return v >= std::min(a, b) - 2 && v <= std::max(a, b) + 2; };
            ASSERT_TRUE(between(got.red(), under.red(), ink.red()) && between(got.green(), under.green(), ink.green()) &&
                        between(got.blue(), under.blue(), ink.blue()))
                << "pixel " << x << "," << y << " is " << got.name().toStdString();
        }
    }
    EXPECT_GT(changed, 20);
    EXPECT_GT(solid, 5);
}

INSTANTIATE_TEST_SUITE_P(EnabledAndDisabled, CaptionColour,
                         ::testing::Values(CaptionCase{true, 0xFF000000}, CaptionCase{false, 0xFFA1A192}),
                         [](const auto& info) { return std::string(info.param.enabled ? "Enabled" : "Disabled"); });

} // namespace
