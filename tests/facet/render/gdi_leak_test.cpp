// Every routine gives back the GDI objects it makes: the process's GDI object
// count is the same before and after many rounds of loading and drawing, on
// both blend paths.
#include <gtest/gtest.h>

#include <optional>

#include "facet/manager/paint_manager_ui.h"
#include "facet/render/blend_functions.h"
#include "facet/render/render_clip.h"
#include "facet/render/render_engine.h"
#include "render_test_support.h"

namespace Facet {
namespace {

struct ProbeControl {
    void DoPaint(HDC hdc, const RECT& rcPaint) { CRenderEngine::DrawColor(hdc, rcPaint, 0x80FF0000); }
};

DWORD GdiObjects() { return ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS); }

void DrawEverything(bool fallback) {
    std::optional<CBlendFunctionsOverride> forced;
    if (fallback) forced.emplace(CBlendFunctions{});
    test::CCanvas canvas(64, 64);
    CPaintManagerUI pm;
    pm.SetDefaultFont(L"Tahoma", 14, false, false, false);
    pm.AddFont(L"Tahoma", 20, true, false, false);
    CBitmapHandle image(test::MakeDib32(2, 2, {0x80800000, 0xFF00FF00, 0, 0xFF0000FF}));
    {
        CRenderClip clip;
        CRenderClip::GenerateRoundClip(canvas.Dc(), canvas.Rect(), canvas.Rect(), 8, 8, clip);
        CRenderEngine::DrawImage(canvas.Dc(), image.Get(), canvas.Rect(), canvas.Rect(),
                                 RECT{0, 0, 2, 2}, RECT{1, 1, 0, 0}, true, 200, false, true, true);
        CRenderEngine::DrawColor(canvas.Dc(), canvas.Rect(), 0x80336699);
        CRenderEngine::DrawGradient(canvas.Dc(), canvas.Rect(), 0xFFFF0000, 0x000000FF, true, 8);
        CRenderEngine::DrawLine(canvas.Dc(), canvas.Rect(), 2, 0xFF000000, PS_DASH);
        CRenderEngine::DrawRoundRect(canvas.Dc(), canvas.Rect(), 1, 4, 4, 0xFF000000);
    }
    RECT rc = canvas.Rect();
    RECT links[2];
    CDuiString texts[2];
    int count = 2;
    CRenderEngine::DrawHtmlText(canvas.Dc(), &pm, rc,
                                L"<b>a</b> <i>b</i> <u>c</u> <a x>d</a> <f Tahoma 9 italic>e</f> "
                                L"<i res='163' restype='png'> <s>f</s>",
                                0xFF000000, links, texts, count, DT_WORDBREAK | DT_CENTER | DT_VCENTER);
    RECT text = canvas.Rect();
    CRenderEngine::DrawTextW(canvas.Dc(), &pm, text, L"plain", 0xFF000000, 0, DT_SINGLELINE);
    CRenderEngine::DrawImageString(canvas.Dc(), &pm, canvas.Rect(), canvas.Rect(),
                                   L"res='164' restype='png' corner='1,0,0,0'", L"fade='100'");
    ProbeControl control;
    CBitmapHandle snapshot(CRenderEngine::GenerateBitmap(&pm, &control, RECT{4, 4, 20, 20}));
    CRenderEngine::FreeImage(CRenderEngine::LoadImageW(165u, L"png", 0xFFFF00FF));
}

TEST(GdiObjects, RoundsOfLoadingAndDrawingLeaveNoneBehind) {
    CPaintManagerUI::SetInstance(::GetModuleHandleW(nullptr));
    // The first round creates what lives for the process (stock objects, the
    // blend functions' module); count from the second.
    DrawEverything(false);
    DrawEverything(true);
    const DWORD before = GdiObjects();
    if (before == 0) GTEST_SKIP() << "this system does not count GDI objects";
    for (int round = 0; round < 25; ++round) {
        DrawEverything(false);
        DrawEverything(true);
    }
    EXPECT_EQ(GdiObjects(), before);
}

}  // namespace
}  // namespace Facet
