// The common start of the run-time tests: a 200 x 150 window whose root probe
// container holds two tab-stop probes, "a" at (10, 10) and "b" at (70, 10),
// each 50 x 30, laid out and painted once, with a notifier recording.
#pragma once

#include <gtest/gtest.h>

#include "ui_test_window.h"

namespace Facet {
namespace test {

class RuntimeFixture : public ::testing::Test {
protected:
    void SetUp() override {
        root = new CProbeContainer(L"root");
        a = Add(new CProbeControl(L"a", Place(10, 10, 50, 30)));
        b = Add(new CProbeControl(L"b", Place(70, 10, 50, 30)));
        a->flags = ControlFlagTabStop;
        b->flags = ControlFlagTabStop;
        win.Pm().AddNotifier(&notes);
        win.Attach(root);
        a->Clear();
        b->Clear();
        root->Clear();
    }

    template <class Control>
    Control* Add(Control* control, CProbeContainer* parent = nullptr) {
        (parent ? parent : root)->Add(control);
        return control;
    }

    CNotifyRecorder notes;
    CTestWindow win;
    CProbeContainer* root = nullptr;
    CProbeControl* a = nullptr;
    CProbeControl* b = nullptr;
};

}  // namespace test
}  // namespace Facet
