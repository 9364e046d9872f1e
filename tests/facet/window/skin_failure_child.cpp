// A program whose window skin builds no root control: the window base shows
// its error box and ends the process with exit code 1 while creating it.
#include "test_window.h"

int main() {
    Facet::WindowTest::CTestWindow window(Facet::UILIB_FILE, L"<Window><Foo><Label/></Foo></Window>");
    window.CreateAt(0, 0);
    return 0;  // reached only when the failure went unnoticed
}
