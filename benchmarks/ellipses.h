// Test 3: create, paint and destroy random filled ellipses on the drawing
// panel, one after another, and time the whole run.
//
// The loop works on an abstract canvas so that the window supplies real child
// widgets and a synchronous panel repaint, while tests record the calls.
#pragma once

#include <atomic>
#include <cstdint>
#include <string_view>

#include "platform/tick_count.h"

namespace vt {

// Where the ellipses are made. Every call acts on the shape made by the last
// NewShape; nothing may be batched or deferred: RepaintPanel paints the panel
// and every child it has at that moment before it returns.
class TEllipseCanvas {
public:
    virtual ~TEllipseCanvas() = default;
    // A new shape owned by and placed on the panel, not yet visible.
    virtual void NewShape() = 0;
    virtual void SetHeight(std::int32_t height) = 0;
    virtual void SetWidth(std::int32_t width) = 0;
    virtual void SetShapeEllipse() = 0;
    // A colour value 0x00BBGGRR.
    virtual void SetBrushColor(std::uint32_t color) = 0;
    virtual void SetLeft(std::int32_t left) = 0;
    virtual void SetTop(std::int32_t top) = 0;
    virtual void ShowShape() = 0;
    virtual void RepaintPanel() = 0;
    // Whether each shape goes right after its repaint (the "Ch" box).
    virtual bool DestroysShapes() = 0;
    virtual void DestroyShape() = 0;
};

// A colour value 0x00BBGGRR with red, green and blue each drawn as a random
// number below 255, in that order; no channel ever reaches 255.
std::uint32_t RandomColor();

struct TEllipseRun {
    std::int32_t Count = 0;    // n as read from the count text
    std::int64_t Drawn = 0;    // ellipses made: n + 1, or none for a negative n
    std::int32_t Elapsed = 0;  // milliseconds from the first tick to the last
};

// Reads the start tick, converts the count text (raising EConvertError
// "'<text>' is not a valid integer value" before any ellipse is made), makes
// n + 1 ellipses and reads the end tick. Per ellipse the generator is drawn
// for height (below 300), width (below 400), red, green, blue, left (below
// 200) and top (below 150). The caller seeds the generator. With `stop`, its
// value is read before each ellipse (one relaxed load, which a repaint
// dwarfs): a non-zero one (a stop request's signal) raises TStopRequest,
// leaving the ellipses made so far on the panel.
TEllipseRun DrawEllipses(std::string_view countText, TEllipseCanvas& canvas,
                         const TickSource& ticks, const std::atomic<int>* stop = nullptr);

// DrawTime: the elapsed milliseconds x 0.001 in extended precision.
inline double DrawTimeSeconds(std::int32_t elapsedMs)
{
    return static_cast<double>(static_cast<long double>(elapsedMs) * 0.001L);
}

}  // namespace vt
