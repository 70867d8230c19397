#include "benchmarks/ellipses.h"

#include "platform/convert.h"
#include "platform/random.h"
#include "platform/stop_request.h"

namespace vt {

std::uint32_t RandomColor()
{
    // Separate statements: the draws must come in the order red, green, blue.
    const std::uint32_t red = Random(255);
    const std::uint32_t green = Random(255);
    const std::uint32_t blue = Random(255);
    return red | (green << 8) | (blue << 16);
}

TEllipseRun DrawEllipses(std::string_view countText, TEllipseCanvas& canvas,
                         const TickSource& ticks, const std::atomic<int>* stop)
{
    TEllipseRun run;
    const std::uint32_t t0 = ticks();
    run.Count = StrToInt(countText);
    // 64 bits: n + 1 must not wrap for the largest count.
    for (std::int64_t i = 0; i <= run.Count; ++i) {
        if (stop)
            if (const int signal = stop->load(std::memory_order_relaxed))
                throw TStopRequest{signal};
        canvas.NewShape();
        const auto height = static_cast<std::int32_t>(Random(300));
        canvas.SetHeight(height);
        const auto width = static_cast<std::int32_t>(Random(400));
        canvas.SetWidth(width);
        canvas.SetShapeEllipse();
        canvas.SetBrushColor(RandomColor());
        const auto left = static_cast<std::int32_t>(Random(200));
        canvas.SetLeft(left);
        const auto top = static_cast<std::int32_t>(Random(150));
        canvas.SetTop(top);
        canvas.ShowShape();
        canvas.RepaintPanel();
        if (canvas.DestroysShapes()) canvas.DestroyShape();
        ++run.Drawn;
    }
    const std::uint32_t t1 = ticks();
    run.Elapsed = TickDiff(t1, t0);
    return run;
}

}  // namespace vt
