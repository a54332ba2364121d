// The bar a page shows under its buttons while a long split or join runs: the share
// done painted from the active skin (see sProgressPaint), with the percentage, the
// rate and the time left written across it. Without a skin it takes the system's
// colours. It paints only what it was last given; it asks nothing of the job.
#pragma once

#include "forms/Controls.h"

#include <cstdint>
#include <string>

namespace sj {

class TJobProgressBar : public TCustomControl {
    SJ_CLASS(TJobProgressBar, TCustomControl)

public:
    explicit TJobProgressBar(TComponent* owner);

    // done of total after `seconds` of work. Repaints only when what it shows changes.
    void SetProgress(std::int64_t done, std::int64_t total, double seconds);
    const std::string& StatusText() const { return FText; }
    // The width of the filled share in pixels.
    int FillWidth() const;
    std::int64_t Done() const { return FDone; }

protected:
    void WndProc(TMessage& message) override;
    void Paint() override;

private:
    void PaintUnskinned(HDC dc, int fillWidth);

    std::int64_t FDone = 0;
    std::int64_t FTotal = 0;
    std::string FText;
};

} // namespace sj
