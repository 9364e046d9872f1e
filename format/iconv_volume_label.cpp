// Two iconv steps, one character at a time: the locale's encoding to UTF-32,
// then each character to the code page, so the cut at 11 bytes falls on a
// character boundary whatever the code page's character widths are.
#include "format/iconv_volume_label.h"

#include <iconv.h>

#include <cerrno>
#include <cstdint>

namespace fat32 {
namespace {

constexpr std::size_t kVolumeLabelBytes = 11;
constexpr char kUnmappable = '_';

class Converter {
public:
    Converter(const char* to, const char* from) : handle_(::iconv_open(to, from)) {}
    ~Converter() {
        if (Valid()) ::iconv_close(handle_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool Valid() const { return handle_ != reinterpret_cast<iconv_t>(-1); }
    // Converts from `in` until the output space is used up or the input ends;
    // returns the bytes written, and advances `in` past what was taken.
    std::size_t Step(char*& in, std::size_t& inLeft, char* out, std::size_t outSize) {
        ::iconv(handle_, nullptr, nullptr, nullptr, nullptr);
        char* next = out;
        std::size_t outLeft = outSize;
        ::iconv(handle_, &in, &inLeft, &next, &outLeft);
        return outSize - outLeft;
    }

private:
    iconv_t handle_;
};

}  // namespace

LabelConversion ConvertVolumeLabel(const std::string& text, const char* fromCharset,
                                   unsigned codePage) {
    LabelConversion result;
    Converter decode("UTF-32LE", fromCharset);
    Converter encode(("CP" + std::to_string(codePage)).c_str(), "UTF-32LE");
    if (!decode.Valid() || !encode.Valid()) {
        result.known = false;
        return result;
    }
    std::string input = text;
    char* in = &input[0];
    std::size_t inLeft = input.size();
    while (inLeft > 0) {
        char wide[4];
        if (decode.Step(in, inLeft, wide, sizeof wide) != sizeof wide) {
            ++in;  // a byte that is no character in the locale's encoding
            --inLeft;
            std::uint32_t unknown = 0xFFFD;
            for (int i = 0; i < 4; ++i) wide[i] = static_cast<char>(unknown >> (8 * i));
        }
        char narrow[8];
        char* one = wide;
        std::size_t oneLeft = sizeof wide;
        std::size_t length = encode.Step(one, oneLeft, narrow, sizeof narrow);
        if (length == 0) {
            narrow[0] = kUnmappable;
            length = 1;
            result.replaced = true;
        }
        if (result.bytes.size() + length > kVolumeLabelBytes) {
            result.cut = true;
            break;
        }
        result.bytes.append(narrow, length);
    }
    return result;
}

}  // namespace fat32
