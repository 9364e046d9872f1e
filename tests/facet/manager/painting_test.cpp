// Painting: the pixels the tree leaves on screen, repainting only the
// invalidated rectangle, the off-screen bitmap kept from paint to paint and
// rebuilt only after a full layout, the one-time snapshot under a transparent
// background, post-paint controls, the update-rectangle frame and printing.
#include "runtime_fixture.h"

namespace Facet {
namespace test {
namespace {

constexpr DWORD kRed = 0xFFFF0000;
constexpr DWORD kBlue = 0xFF0000FF;
constexpr DWORD kGreen = 0xFF00FF00;

class Painting : public RuntimeFixture {
protected:
    void SetUp() override {
        RuntimeFixture::SetUp();
        root->SetBkColor(kRed);
        a->SetBkColor(kBlue);
        b->SetBkColor(kBlue);
        win.Paint();
        Forget();
    }
    void Forget() {
        for (CProbeControl* probe : {static_cast<CProbeControl*>(root), a, b}) {
            probe->paints.clear();
            probe->paintBitmaps.clear();
        }
    }
};

bool SameRect(const RECT& x, const RECT& y) { return ::EqualRect(&x, &y) != FALSE; }

// The bitmap's size, from the handle a control saw selected while painting.
SIZE BitmapSize(HBITMAP bitmap) {
    BITMAP info = {};
    if (::GetObjectW(bitmap, sizeof(info), &info) == 0) return SIZE{-1, -1};
    return SIZE{info.bmWidth, info.bmHeight};
}

TEST_F(Painting, TheTreeIsOnScreen) {
    const std::vector<std::uint32_t> screen = win.Capture();
    EXPECT_EQ(win.PixelAt(5, 5), 0xFF0000u);
    EXPECT_EQ(win.PixelAt(10, 10), 0x0000FFu);
    EXPECT_EQ(win.PixelAt(59, 39), 0x0000FFu);
    EXPECT_EQ(win.PixelAt(60, 40), 0xFF0000u);
    EXPECT_EQ(win.PixelAt(199, 149), 0xFF0000u);
}

TEST_F(Painting, AChangeRepaintsOnlyTheInvalidatedRectangle) {
    // Something foreign on the screen outside a: a repaint of a must not
    // touch it, since only a's rectangle is copied from the off-screen bitmap.
    {
        HDC dc = ::GetDC(win.Hwnd());
        RECT mark = {150, 100, 160, 110};
        HBRUSH brush = ::CreateSolidBrush(RGB(0, 255, 0));
        ::FillRect(dc, &mark, brush);
        ::DeleteObject(brush);
        ::ReleaseDC(win.Hwnd(), dc);
    }
    a->SetBkColor(kGreen);
    EXPECT_TRUE(SameRect(win.UpdateRect(), a->GetPos()));
    win.Paint();
    ASSERT_EQ(root->paints.size(), 1u);
    EXPECT_TRUE(SameRect(root->paints[0], a->GetPos()));
    EXPECT_TRUE(b->paints.empty());
    EXPECT_EQ(win.PixelAt(30, 20), 0x00FF00u);
    EXPECT_EQ(win.PixelAt(155, 105), 0x00FF00u);  // left as it was
    EXPECT_EQ(win.PixelAt(80, 20), 0x0000FFu);
}

TEST_F(Painting, SettingTheSameValueAgainPaintsNothing) {
    a->SetBkColor(kBlue);
    a->SetText(L"");
    a->SetEnabled(true);
    const RECT pending = win.UpdateRect();
    EXPECT_TRUE(::IsRectEmpty(&pending) != FALSE);
}

TEST_F(Painting, TheOffscreenBitmapSurvivesPaintsAndPartialLayouts) {
    auto* group = Add(new CProbeContainer(L"group", Place(0, 60, 150, 60)));
    auto* inner = Add(new CProbeControl(L"inner", Place(5, 5, 40, 20)), group);
    // A mark written straight into the off-screen bitmap, outside anything
    // repainted later: it is still there while the bitmap lives.
    a->onPaint = [](HDC hdc) { ::SetPixel(hdc, 195, 145, RGB(1, 2, 3)); };
    ::InvalidateRect(win.Hwnd(), nullptr, FALSE);
    win.Paint();
    a->onPaint = nullptr;
    ASSERT_EQ(root->paintBitmaps.size(), 1u);
    const HBITMAP first = root->paintBitmaps[0];
    EXPECT_EQ(BitmapSize(first).cx, 200);
    EXPECT_EQ(BitmapSize(first).cy, 150);

    COLORREF seen = CLR_INVALID;
    b->onPaint = [&](HDC hdc) { seen = ::GetPixel(hdc, 195, 145); };
    b->SetBkColor(kGreen);  // a plain repaint
    win.Paint();
    EXPECT_EQ(seen, RGB(1, 2, 3));
    inner->SetFixedWidth(60);  // a partial layout: only the group
    win.Paint();
    ASSERT_EQ(inner->GetWidth(), 60);
    EXPECT_EQ(group->paintBitmaps.back(), first);
    b->SetBkColor(kBlue);
    win.Paint();
    EXPECT_EQ(seen, RGB(1, 2, 3));
}

TEST_F(Painting, AFullLayoutRebuildsTheOffscreenBitmap) {
    a->onPaint = [](HDC hdc) { ::SetPixel(hdc, 195, 145, RGB(1, 2, 3)); };
    ::InvalidateRect(win.Hwnd(), nullptr, FALSE);
    win.Paint();
    a->onPaint = nullptr;

    COLORREF seen = CLR_INVALID;
    b->onPaint = [&](HDC hdc) { seen = ::GetPixel(hdc, 195, 145); };
    root->NeedUpdate();  // the whole tree: the bitmap is made anew
    win.Paint();
    EXPECT_NE(seen, RGB(1, 2, 3));

    ::SetWindowPos(win.Hwnd(), nullptr, 0, 0, 260, 170, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    win.Paint();
    EXPECT_EQ(BitmapSize(b->paintBitmaps.back()).cx, 260);
    EXPECT_EQ(BitmapSize(b->paintBitmaps.back()).cy, 170);
}

TEST_F(Painting, PostPaintControlsPaintAfterTheTreeInListOrder) {
    std::vector<CControlUI*> order;
    a->onPaint = [&](HDC) { order.push_back(nullptr); };
    EXPECT_TRUE(win.Pm().AddPostPaint(b));
    EXPECT_TRUE(win.Pm().SetPostPaintIndex(a, 0));
    EXPECT_EQ(win.Pm().GetPostPaintCount(), 2);
    a->SetBkColor(kGreen);
    win.Paint();
    ASSERT_EQ(a->postPaints.size(), 1u);
    ASSERT_EQ(b->postPaints.size(), 1u);
    EXPECT_TRUE(SameRect(b->postPaints[0], a->GetPos()));
    EXPECT_TRUE(win.Pm().RemovePostPaint(a));
    EXPECT_FALSE(win.Pm().RemovePostPaint(a));
    EXPECT_TRUE(win.Pm().RemovePostPaint(b));
}

TEST_F(Painting, TheUpdateRectangleIsFramedInRedOnRequest) {
    win.Pm().SetShowUpdateRect(true);
    EXPECT_TRUE(win.Pm().IsShowUpdateRect());
    a->SetBkColor(kGreen);
    win.Paint();
    EXPECT_EQ(win.PixelAt(10, 10), 0xDC0000u);
    EXPECT_EQ(win.PixelAt(59, 39), 0xDC0000u);
    EXPECT_EQ(win.PixelAt(30, 20), 0x00FF00u);
}

TEST_F(Painting, ATransparentBackgroundIsASnapshotTakenOnce) {
    CTestWindow glass;
    // What lies under the window's client area before its first paint.
    {
        HDC dc = ::GetDC(glass.Hwnd());
        RECT all = {0, 0, 200, 150};
        HBRUSH brush = ::CreateSolidBrush(RGB(255, 0, 255));
        ::FillRect(dc, &all, brush);
        ::DeleteObject(brush);
        ::ReleaseDC(glass.Hwnd(), dc);
    }
    glass.Pm().SetBackgroundTransparent(true);
    auto* top = new CProbeContainer(L"top");
    auto* spot = new CProbeControl(L"spot", Place(20, 20, 10, 10));
    spot->SetBkColor(kBlue);
    top->Add(spot);
    glass.Attach(top);
    EXPECT_EQ(glass.PixelAt(5, 5), 0xFF00FFu);
    EXPECT_EQ(glass.PixelAt(25, 25), 0x0000FFu);

    // The screen changes; the next paint still starts from the snapshot.
    {
        HDC dc = ::GetDC(glass.Hwnd());
        RECT all = {0, 0, 200, 150};
        HBRUSH brush = ::CreateSolidBrush(RGB(0, 255, 0));
        ::FillRect(dc, &all, brush);
        ::DeleteObject(brush);
        ::ReleaseDC(glass.Hwnd(), dc);
    }
    ::InvalidateRect(glass.Hwnd(), nullptr, FALSE);
    glass.Paint();
    EXPECT_EQ(glass.PixelAt(5, 5), 0xFF00FFu);
}

TEST_F(Painting, PrintClientPaintsTheTreeIntoTheGivenDc) {
    CCanvasDc canvas(200, 150);
    LRESULT result = 0;
    EXPECT_FALSE(win.Pm().MessageHandler(WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.Dc()),
                                         PRF_CLIENT, result));
    EXPECT_EQ(canvas.Rgb(5, 5), 0xFF0000u);
    EXPECT_EQ(canvas.Rgb(30, 20), 0x0000FFu);
}

TEST_F(Painting, NothingIsPaintedWithoutAnUpdateRegion) {
    LRESULT result = 0;
    EXPECT_TRUE(win.Pm().MessageHandler(WM_PAINT, 0, 0, result));
    EXPECT_TRUE(root->paints.empty());
    EXPECT_TRUE(win.Pm().MessageHandler(WM_ERASEBKGND, 0, 0, result));
    EXPECT_EQ(result, 1);
}

TEST_F(Painting, ColourAdjustmentRepaintsEveryWindow) {
    a->SetColorHSL(true);
    win.Paint();
    const std::uint32_t plain = win.PixelAt(30, 20);
    CPaintManagerUI::SetHSL(true, 0, 100, 100);  // hue turned half way round
    const RECT pending = win.UpdateRect();
    EXPECT_FALSE(::IsRectEmpty(&pending));
    win.Paint();
    EXPECT_NE(win.PixelAt(30, 20), plain);
    EXPECT_EQ(win.PixelAt(80, 20), 0x0000FFu);  // b does not adjust
    CPaintManagerUI::SetHSL(true, 180, 100, 100);
    short h = 0, s = 0, l = 0;
    CPaintManagerUI::SetHSL(true, 999, -5, 300);
    CPaintManagerUI::GetHSL(&h, &s, &l);
    EXPECT_EQ(h, 360);
    EXPECT_EQ(s, 0);
    EXPECT_EQ(l, 200);
    CPaintManagerUI::SetHSL(true, 180, 100, 100);
}

}  // namespace
}  // namespace test
}  // namespace Facet
