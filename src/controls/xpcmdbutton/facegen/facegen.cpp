// Draws the five faces of the push button into one 90 x 21 picture and writes it as an
// 8-bit paletted BMP. The picture is committed next to the control; rerun this program
// after changing a colour and review the result enlarged before committing it.
//
//   xpcmdbutton-facegen <output.bmp>
//
// Anatomy of every 18 x 21 cell: a 1-pixel frame whose corners are rounded by blending
// towards white, a 2-pixel inner ring, and a 12 x 15 middle. Everything except the left
// and right columns depends on the row only, so the control may stretch the edges and
// the middle without distorting them.

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <map>
#include <tuple>
#include <vector>

namespace {

constexpr int kCellWidth = 18;
constexpr int kCellHeight = 21;
constexpr int kCells = 5;
constexpr int kWidth = kCellWidth * kCells;
constexpr int kHeight = kCellHeight;

struct Rgb {
    uint8_t r = 0, g = 0, b = 0;
    friend bool operator<(Rgb a, Rgb b)
    {
        return std::tie(a.r, a.g, a.b) < std::tie(b.r, b.g, b.b);
    }
};

constexpr Rgb Hex(uint32_t v)
{
    return {uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)};
}

// t = 0 gives a, t = 1 gives b.
Rgb Mix(Rgb a, Rgb b, double t)
{
    auto ch = [t](uint8_t x, uint8_t y) {
        return uint8_t(std::lround(x + (double(y) - x) * t));
    };
    return {ch(a.r, b.r), ch(a.g, b.g), ch(a.b, b.b)};
}

constexpr Rgb kWhite = Hex(0xFFFFFF);

enum class Region { Frame, Ring, Middle };

Region RegionOf(int x, int y)
{
    if (x == 0 || y == 0 || x == kCellWidth - 1 || y == kCellHeight - 1)
        return Region::Frame;
    if (x <= 2 || y <= 2 || x >= kCellWidth - 3 || y >= kCellHeight - 3)
        return Region::Ring;
    return Region::Middle;
}

// Where a ring pixel lies; top and bottom bands win over the sides at the ring's corners.
enum class Band { Top, Bottom, Left, Right };

Band BandOf(int x, int y)
{
    if (y <= 2)
        return Band::Top;
    if (y >= kCellHeight - 3)
        return Band::Bottom;
    return x <= 2 ? Band::Left : Band::Right;
}

// 0 for the outer pixel of the 2-pixel ring, 1 for the inner one.
int RingDepth(int x, int y)
{
    switch (BandOf(x, y)) {
    case Band::Top: return y - 1;
    case Band::Bottom: return kCellHeight - 2 - y;
    case Band::Left: return x - 1;
    case Band::Right: return kCellWidth - 2 - x;
    }
    return 0;
}

// Linear shading over the middle rows (3..17), held constant above and below them.
Rgb Shade(Rgb top, Rgb bottom, int y)
{
    const double t = std::clamp((y - 3) / double(kCellHeight - 7), 0.0, 1.0);
    return Mix(top, bottom, t);
}

// Shading over the whole inner height (rows 1..19), for the coloured rings.
Rgb RingShade(Rgb top, Rgb bottom, int y)
{
    return Mix(top, bottom, (y - 1) / double(kCellHeight - 3));
}

struct Face {
    Rgb frame;
    Rgb cornerOutside;   // what the rounded corners blend towards
    double cornerWeight; // share of the frame colour in the outermost corner pixel
    Rgb (*inner)(int x, int y);
};

Rgb NormalFace(int y) { return Shade(Hex(0xFCFCFB), Hex(0xECEBE6), y); }

Rgb NormalInner(int x, int y)
{
    if (RegionOf(x, y) == Region::Middle)
        return NormalFace(y);
    const Rgb shadow = Hex(0xD6D0C5);
    const int depth = RingDepth(x, y);
    switch (BandOf(x, y)) {
    case Band::Top: return depth == 0 ? kWhite : Mix(kWhite, NormalFace(3), 0.5);
    case Band::Bottom: return depth == 0 ? shadow : Mix(shadow, NormalFace(y), 0.5);
    case Band::Left: return depth == 0 ? Mix(NormalFace(y), kWhite, 0.6) : NormalFace(y);
    case Band::Right: return Mix(NormalFace(y), shadow, depth == 0 ? 0.7 : 0.35);
    }
    return NormalFace(y);
}

Rgb PressedFace(int y) { return Shade(Hex(0xE5E4DD), Hex(0xE0E0D7), y); }

Rgb PressedInner(int x, int y)
{
    if (RegionOf(x, y) == Region::Middle)
        return PressedFace(y);
    const Rgb dark = Hex(0xC9C5BA);
    const Rgb light = Hex(0xF1F0EC);
    const int depth = RingDepth(x, y);
    switch (BandOf(x, y)) {
    case Band::Top: return Mix(dark, PressedFace(3), depth == 0 ? 0.0 : 0.5);
    case Band::Left: return Mix(dark, PressedFace(y), depth == 0 ? 0.2 : 0.6);
    case Band::Bottom: return Mix(light, PressedFace(17), depth == 0 ? 0.0 : 0.5);
    case Band::Right: return Mix(PressedFace(y), light, depth == 0 ? 0.5 : 0.25);
    }
    return PressedFace(y);
}

Rgb DisabledInner(int, int) { return Hex(0xF5F4EA); }

// Normal frame and face with a coloured ring shaded from top to bottom.
template <uint32_t Top, uint32_t Bottom>
Rgb RingedInner(int x, int y)
{
    if (RegionOf(x, y) == Region::Middle)
        return NormalFace(y);
    const Rgb ring = RingShade(Hex(Top), Hex(Bottom), y);
    return RingDepth(x, y) == 0 ? ring : Mix(ring, NormalFace(y), 0.3);
}

const std::array<Face, kCells> kFaces = {{
    {Hex(0x003C74), kWhite, 0.25, NormalInner},                   // Normal
    {Hex(0x003C74), kWhite, 0.25, PressedInner},                  // Pressed
    {Hex(0xC9C7BA), kWhite, 0.0, DisabledInner},                  // Disabled
    {Hex(0x003C74), kWhite, 0.25, RingedInner<0xFFF0CF, 0xE59700>}, // Hover
    {Hex(0x003C74), kWhite, 0.25, RingedInner<0xCEE7FF, 0x6982EE>}, // Marked
}};

Rgb CellPixel(const Face& face, int x, int y)
{
    // Distance from the nearest corner along each axis.
    const int cx = std::min(x, kCellWidth - 1 - x);
    const int cy = std::min(y, kCellHeight - 1 - y);
    if (cx == 0 && cy == 0)
        return Mix(face.cornerOutside, face.frame, face.cornerWeight);
    if ((cx == 0 && cy == 1) || (cx == 1 && cy == 0))
        return Mix(face.cornerOutside, face.frame, 0.65);
    if (cx == 1 && cy == 1)
        return Mix(face.inner(x, y), face.frame, 0.55);
    if (RegionOf(x, y) == Region::Frame)
        return face.frame;
    return face.inner(x, y);
}

void Put16(std::vector<uint8_t>& out, uint32_t v)
{
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
}

void Put32(std::vector<uint8_t>& out, uint32_t v)
{
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

// BITMAPFILEHEADER + BITMAPINFOHEADER, a full 256-entry palette, rows bottom-up padded
// to 4 bytes.
std::vector<uint8_t> EncodeBmp(const std::vector<uint8_t>& indices, const std::vector<Rgb>& palette)
{
    constexpr uint32_t kStride = (kWidth + 3) / 4 * 4;
    constexpr uint32_t kPaletteBytes = 256 * 4;
    constexpr uint32_t kOffset = 14 + 40 + kPaletteBytes;
    constexpr uint32_t kImageBytes = kStride * kHeight;

    std::vector<uint8_t> out;
    out.push_back('B');
    out.push_back('M');
    Put32(out, kOffset + kImageBytes);
    Put32(out, 0);
    Put32(out, kOffset);

    Put32(out, 40);
    Put32(out, kWidth);
    Put32(out, kHeight);
    Put16(out, 1);  // planes
    Put16(out, 8);  // bits per pixel
    Put32(out, 0);  // BI_RGB
    Put32(out, kImageBytes);
    Put32(out, 3780); // 96 dots per inch, in pixels per metre
    Put32(out, 3780);
    Put32(out, 256); // colours used
    Put32(out, 0);   // all of them important

    for (int i = 0; i < 256; ++i) {
        const Rgb c = i < int(palette.size()) ? palette[i] : Rgb{};
        out.push_back(c.b);
        out.push_back(c.g);
        out.push_back(c.r);
        out.push_back(0);
    }
    for (int y = kHeight - 1; y >= 0; --y) {
        for (int x = 0; x < kWidth; ++x)
            out.push_back(indices[y * kWidth + x]);
        for (uint32_t pad = kWidth; pad < kStride; ++pad)
            out.push_back(0);
    }
    return out;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <output.bmp>\n", argv[0]);
        return 2;
    }

    std::vector<Rgb> pixels(kWidth * kHeight);
    for (int cell = 0; cell < kCells; ++cell)
        for (int y = 0; y < kCellHeight; ++y)
            for (int x = 0; x < kCellWidth; ++x)
                pixels[y * kWidth + cell * kCellWidth + x] = CellPixel(kFaces[cell], x, y);

    // Palette in a fixed (sorted) order so that the output is byte-for-byte reproducible.
    std::map<Rgb, uint8_t> index;
    for (const Rgb& c : pixels)
        index.emplace(c, 0);
    if (index.size() > 256) {
        std::fprintf(stderr, "facegen: %zu colours do not fit a 256-entry palette\n", index.size());
        return 1;
    }
    std::vector<Rgb> palette;
    for (auto& [colour, i] : index) {
        i = uint8_t(palette.size());
        palette.push_back(colour);
    }
    std::vector<uint8_t> indices;
    indices.reserve(pixels.size());
    for (const Rgb& c : pixels)
        indices.push_back(index.at(c));

    const std::vector<uint8_t> bmp = EncodeBmp(indices, palette);
    std::ofstream file(argv[1], std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bmp.data()), std::streamsize(bmp.size()));
    file.close();
    if (!file) {
        std::fprintf(stderr, "facegen: cannot write %s\n", argv[1]);
        return 1;
    }
    std::printf("facegen: %s, %d x %d, %zu colours\n", argv[1], kWidth, kHeight, palette.size());
    return 0;
}
