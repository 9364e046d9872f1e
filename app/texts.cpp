// Picks a text by the code page in force.
#include "app/texts.h"

#include "format/show_result.h"

namespace app {

const wchar_t* Localized(const LocaleText& text) {
    return fat32::ChineseTextsInForce() ? text.chinese : text.english;
}

}  // namespace app
