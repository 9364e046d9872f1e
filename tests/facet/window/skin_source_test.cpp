// The window's skin from each source: a zip file beside the program, a zip
// archive held as a "ZIPRES" resource, and a missing archive resource, which
// leaves the window empty without InitWindow.
#include <gtest/gtest.h>

#include <string>

#include "facet/controls/control_ui.h"
#include "test_window.h"

namespace Facet {
namespace WindowTest {
namespace {

class SkinSource : public ::testing::Test {
protected:
    void TearDown() override {
        CPaintManagerUI::SetResourceZip(L"");
        CPaintManagerUI::SetResourcePath(L"");
    }
    static int Count(CControlUI* root) {
        int n = 0;
        root->FindControl([](CControlUI* c, LPVOID data) -> CControlUI* {
            ++*static_cast<int*>(data);
            return c == nullptr ? c : nullptr;
        }, &n, 0);
        return n;
    }
};

TEST_F(SkinSource, ZipFileBesideTheProgram) {
    CTestWindow window(UILIB_ZIP, L"skin.xml", L"window_skin.zip");
    HWND hwnd = window.CreateAt(0, 0);
    ASSERT_NE(hwnd, nullptr);
    ASSERT_NE(window.Manager().GetRoot(), nullptr);
    EXPECT_EQ(Count(window.Manager().GetRoot()), 11);  // two layouts, nine controls
    EXPECT_EQ(window.initCalls, 1);
    ::DestroyWindow(hwnd);
}

TEST_F(SkinSource, MissingArchiveResourceLeavesTheWindowEmpty) {
    CTestWindow window(UILIB_ZIPRESOURCE, L"skin.xml", L"", L"NOSUCHZIP");
    // Once loaded, the archive is kept for the process; this case only means
    // something before then, so the buffer is checked first.
    if (CTestWindow::ResourceZipBuffer()) GTEST_SKIP() << "archive already loaded in this process";
    HWND hwnd = window.CreateAt(0, 0);
    ASSERT_NE(hwnd, nullptr);
    EXPECT_EQ(window.Manager().GetRoot(), nullptr);
    EXPECT_EQ(window.initCalls, 0);
    ::DestroyWindow(hwnd);
}

TEST_F(SkinSource, ZipArchiveHeldAsAResource) {
    CTestWindow window(UILIB_ZIPRESOURCE, L"skin.xml", L"", L"SKINZIP");
    HWND hwnd = window.CreateAt(0, 0);
    ASSERT_NE(hwnd, nullptr);
    ASSERT_NE(window.Manager().GetRoot(), nullptr);
    EXPECT_NE(window.Manager().FindControl(L"closebtn"), nullptr);
    EXPECT_EQ(window.initCalls, 1);
    ::DestroyWindow(hwnd);

    // The archive is read once per process and reused by later windows.
    const LPBYTE first = CTestWindow::ResourceZipBuffer();
    CTestWindow second(UILIB_ZIPRESOURCE, L"skin.xml", L"", L"SKINZIP");
    ASSERT_NE(second.CreateAt(0, 0), nullptr);
    EXPECT_EQ(CTestWindow::ResourceZipBuffer(), first);
    ::DestroyWindow(second);
}

TEST_F(SkinSource, UnknownTagsMissingImagesAndFontsStillDraw) {
    CTestWindow window(UILIB_FILE,
                       L"<Window size=\"200,100\"><Font name=\"NoSuchFace\" size=\"13\"/>"
                       L"<Image name=\"missing.png\"/><VerticalLayout bkimage=\"missing.png\">"
                       L"<Foo><Label name=\"lost\"/></Foo><Label name=\"kept\" text=\"x\" font=\"0\" "
                       L"bkimage=\"res='999' restype='png'\"/><Button name=\"b\" font=\"5\" text=\"y\"/>"
                       L"</VerticalLayout></Window>");
    HWND hwnd = window.CreateAt(0, 0);
    ASSERT_NE(hwnd, nullptr);
    ASSERT_NE(window.Manager().GetRoot(), nullptr);
    EXPECT_EQ(Count(window.Manager().GetRoot()), 3);
    EXPECT_EQ(window.Manager().FindControl(L"lost"), nullptr);
    ::ShowWindow(hwnd, SW_SHOWNOACTIVATE);
    ::UpdateWindow(hwnd);
    PumpUntil([] { return false; }, 30);
    EXPECT_EQ(window.Manager().FindControl(L"kept")->GetWidth(), 200);  // laid out and painted
    ::DestroyWindow(hwnd);
}

TEST_F(SkinSource, ASkinOfTwentyThousandFontsBuildsAndPaintsOnce) {
    // Each Font once took a GDI handle until none were left, and painting
    // then failed over and over; the table stops at a thousand.
    std::wstring skin = L"<Window size=\"200,100\">";
    for (int i = 0; i < 20000; ++i) skin += L"<Font name=\"Tahoma\" size=\"" + std::to_wstring(8 + i % 40) + L"\"/>";
    skin += L"<VerticalLayout><Label name=\"far\" text=\"x\" font=\"15000\"/></VerticalLayout></Window>";
    const DWORD start = ::GetTickCount();
    CTestWindow window(UILIB_FILE, skin.c_str());
    HWND hwnd = window.CreateAt(0, 0);
    ASSERT_NE(hwnd, nullptr);
    EXPECT_EQ(window.Manager().GetCustomFontCount(), 1000u);
    ::ShowWindow(hwnd, SW_SHOWNOACTIVATE);
    ::UpdateWindow(hwnd);
    PumpUntil([] { return false; }, 30);
    EXPECT_FALSE(::GetUpdateRect(hwnd, nullptr, FALSE)) << "painted and validated";
    EXPECT_EQ(window.Manager().FindControl(L"far")->GetWidth(), 200);
    EXPECT_LT(::GetTickCount() - start, 1000u);
    ::DestroyWindow(hwnd);
}

}  // namespace
}  // namespace WindowTest
}  // namespace Facet
