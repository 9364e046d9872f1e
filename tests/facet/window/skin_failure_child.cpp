// A program whose window skin builds no root control: the window base shows
// its error box and ends the process with exit code 1 while creating it.
// With an argument it refuses message boxes first, as the window tests do.
#include "box_refusal.h"
#include "test_window.h"

int main(int argc, char**) {
    if (argc > 1) Facet::WindowTest::RefuseMessageBoxes();
    Facet::WindowTest::CTestWindow window(Facet::UILIB_FILE, L"<Window><Foo><Label/></Foo></Window>");
    window.CreateAt(0, 0);
    return 0;  // reached only when the failure went unnoticed
}
