// Cost of painting a button face: every mouse move over a button repaints a full face.

#include "controls/xpcmdbutton/face_cell.h"
#include "controls/xpcmdbutton/nine_slice.h"
#include "controls/xpcmdbutton/picture_clip.h"

#include <benchmark/benchmark.h>

#include <QImage>

using namespace sitecapture;

namespace {

void BM_PaintNineSlices(benchmark::State& state)
{
    const int w = int(state.range(0));
    const int h = int(state.range(1));
    PictureClip pc;
    if (!pc.Load(QStringLiteral(":/xpcmdbutton/face.bmp"), 1, kFaceCellCount)) {
        state.SkipWithError("face picture missing");
        return;
    }
    const QImage cell = pc.GraphicCell(FaceCell::Hover);
    QImage face(w, h, QImage::Format_RGB32);
    for (auto _ : state) {
        PaintNineSlices(face, cell, kFaceBorder);
        benchmark::DoNotOptimize(face.constBits());
    }
    state.SetItemsProcessed(state.iterations());
    state.SetBytesProcessed(state.iterations() * qint64(w) * h * 4);
}
BENCHMARK(BM_PaintNineSlices)->Args({73, 27})->Args({117, 18})->Args({400, 60});

} // namespace
