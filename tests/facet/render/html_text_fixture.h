// The fixture of the DrawHtmlText tests: a paint manager whose default font
// is Tahoma 20, helpers that measure and draw marked-up text, and pixel
// comparisons of the canvases drawn.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cwchar>
#include <utility>

#include "facet/manager/paint_manager_ui.h"
#include "facet/render/render_engine.h"
#include "render_test_support.h"

namespace Facet {
namespace test {

constexpr std::uint32_t kWhite = 0xFFFFFF;
constexpr DWORD kBlack = 0xFF000000;

class HtmlText : public ::testing::Test {
protected:
    void SetUp() override { pm_.SetDefaultFont(L"Tahoma", 20, false, false, false); }

    // The extent DT_CALCRECT gives in a rectangle `width` wide.
    SIZE Measure(const wchar_t* text, UINT style = DT_SINGLELINE, int width = 9999) {
        RECT rc = {0, 0, width, 1000};
        int links = 0;
        CRenderEngine::DrawHtmlText(scratch_.Dc(), &pm_, rc, text, kBlack, nullptr, nullptr, links,
                                    style | DT_CALCRECT);
        return SIZE{rc.right - rc.left, rc.bottom - rc.top};
    }
    void Draw(CCanvas& canvas, const wchar_t* text, UINT style = DT_SINGLELINE,
              DWORD color = kBlack) {
        RECT rc = canvas.Rect();
        int links = 0;
        CRenderEngine::DrawHtmlText(canvas.Dc(), &pm_, rc, text, color, nullptr, nullptr, links, style);
    }
    int LineHeight() {
        const TFontInfo* info = pm_.GetDefaultFontInfo();
        return info->tm.tmHeight + info->tm.tmExternalLeading;
    }
    // The width GDI gives the text in the default font.
    int PlainWidth(const wchar_t* text) {
        CSelectObject select(scratch_.Dc(), pm_.GetFont(-1));
        SIZE size = {};
        ::GetTextExtentPoint32W(scratch_.Dc(), text, static_cast<int>(wcslen(text)), &size);
        return size.cx;
    }
    static bool SamePixels(const CCanvas& a, const CCanvas& b) {
        for (int y = 0; y < a.Height(); ++y) {
            for (int x = 0; x < a.Width(); ++x) {
                if (a.Rgb(x, y) != b.Rgb(x, y)) return false;
            }
        }
        return true;
    }
    static bool HasPixel(const CCanvas& canvas, std::uint32_t rgb) {
        for (int y = 0; y < canvas.Height(); ++y) {
            for (int x = 0; x < canvas.Width(); ++x) {
                if (canvas.Rgb(x, y) == rgb) return true;
            }
        }
        return false;
    }
    // Columns holding ink within rows [top, bottom), as [first, last + 1).
    static std::pair<int, int> InkSpanInRows(const CCanvas& canvas, int top, int bottom) {
        int first = canvas.Width();
        int last = -1;
        for (int y = top; y < bottom; ++y) {
            for (int x = 0; x < canvas.Width(); ++x) {
                if (canvas.Rgb(x, y) == kWhite) continue;
                first = std::min(first, x);
                last = std::max(last, x);
            }
        }
        return std::make_pair(first, last + 1);
    }

    CPaintManagerUI pm_;
    CCanvas scratch_{1, 1};
};

}  // namespace test
}  // namespace Facet
