#include "calendar/Vnprintlayout.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace {

// Scale of the proportional sizes 50 %, 75 %, 100 %, in single precision.
constexpr float kProportionScale[] = {0.5f, 0.75f, 1.0f};

int Trunc(double value) {
    // Far beyond any page, but no undefined conversion for absurd inputs.
    return int(std::trunc(std::clamp(value, -1e9, 1e9)));
}

// An offset along one side: 0 at the start, the middle or the end.
int Place(int index, int room) {
    if (index == 1) return room / 2;
    if (index == 2) return room;
    return 0;
}

}  // namespace

TvnPrintArea PrintArea(const TvnPrintOptions& options, int pw, int ph, int sw, int sh) {
    pw = std::max(1, pw);
    ph = std::max(1, ph);
    sw = std::max(1, sw);
    sh = std::max(1, sh);
    TvnPrintArea a;
    a.Width = pw;
    a.Height = ph;
    const bool portrait = pw < ph;
    const int p = options.Proportions;
    if (p >= 0 && p <= 2) {
        // The screen's aspect ratio fills the page's shorter side.
        if (portrait)
            a.Height = int(std::min<int64_t>(int64_t(sh) * pw / sw, 1000000000));
        else
            a.Width = int(std::min<int64_t>(int64_t(sw) * ph / sh, 1000000000));
        a.Factor = kProportionScale[p];
        a.Width = Trunc(a.Width * a.Factor);
        a.Height = Trunc(a.Height * a.Factor);
        if (options.Position >= 0 && options.Position <= 8) {
            a.Left = Place(options.Position % 3, pw - a.Width);
            a.Top = Place(options.Position / 3, ph - a.Height);
        }
    }
    a.PrintScale = portrait ? float(a.Width) / float(sw) : float(a.Height) / float(sh);
    if (a.PrintScale <= 0.0f) a.PrintScale = 1.0f;
    return a;
}

TvnPrintRect PrintWallpaperRect(const TvnPrintArea& area, int proportions, int wallpaperPos,
                                int pictureW, int pictureH) {
    const TvnPrintRect whole{area.Left, area.Top, area.Left + area.Width, area.Top + area.Height};
    if (proportions == -1 || (wallpaperPos != 0 && wallpaperPos != 1)) return whole;
    const int w = Trunc(double(std::max(0, pictureW)) * area.PrintScale);
    const int h = Trunc(double(std::max(0, pictureH)) * area.PrintScale);
    const int left = area.Left + (wallpaperPos == 1 ? (area.Width - w) / 2 : 0);
    const int top = area.Top + (wallpaperPos == 1 ? (area.Height - h) / 2 : 0);
    return {left, top, left + w, top + h};
}

int PrintTitlePoints(const TvnPrintArea& area) {
    return Trunc(area.Factor * 34);
}

TvnPrintMetrics PrintMetrics(const TvnPrintArea& area, int header, int pw, int ppi) {
    const float f = area.Factor;
    TvnPrintMetrics m;
    m.DrawWidth = area.Width - area.Width / 50;
    m.DrawHeight = area.Height - (area.Height / 50 + header);
    m.MarginX = m.DrawWidth / 100 + area.Left;
    m.MarginY = m.DrawHeight / 100 + area.Top + header;
    m.CellInset = std::max(1, pw) / 800 + 1;
    m.PenWidth = Trunc(m.CellInset * f);
    m.DayFontHeight = Trunc(-(ppi * 12 / 72) * f);
    m.DayNumberFontHeight = Trunc(-(ppi * 14 / 72) * f);
    m.ItemFontHeight = Trunc(-(ppi * 10 / 72) * f);
    m.TitleHeight = Trunc(-m.DayFontHeight * 1.5);
    m.DayNumberHeight = Trunc(-m.DayNumberFontHeight * 1.5);
    m.ItemHeight = Trunc(-m.ItemFontHeight * 2.0);
    m.PrintScale = area.PrintScale;
    return m;
}
