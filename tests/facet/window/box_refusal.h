// Keeps a window test program from hanging when a skin cannot be loaded: the
// window base would put up its error box and wait for a user who never
// comes, until the test's timeout. With the refusal, a message box opened on
// the calling thread is refused at once (its caption goes to standard error),
// so the window base ends the process with exit code 1 straight away.
#pragma once

namespace Facet {
namespace WindowTest {

void RefuseMessageBoxes();

}  // namespace WindowTest
}  // namespace Facet
